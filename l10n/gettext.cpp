#include "l10n/gettext.h"

#include "formats/text.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <libintl.h>
#include <string_view>

namespace varnox::l10n {

namespace {

constexpr char kDomain[] = "varnox";
// The catalogue's context as lconvert writes it ("context|comment", no comment here), which
// gettext keeps before the text and a 0x04.
constexpr std::string_view kContext = "Varnox|\004";

// dgettext only reads the loaded catalogue, so workers may call it at once.
std::string TranslateText(const char* german)
{
    std::string key(kContext);
    key += german;
    const char* found = dgettext(kDomain, key.c_str());
    return found == key.c_str() ? std::string(german) : std::string(found);
}

// gettext translates nothing in the C locale, and a user's English locale may not be
// installed: then the messages take C.UTF-8, which reads LANGUAGE, and LANGUAGE names English.
void LetGettextSpeakEnglish()
{
    const char* messages = std::setlocale(LC_MESSAGES, "");
    if (messages == nullptr || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    const char* language = std::getenv("LANGUAGE");
    if (language == nullptr || !std::string_view(language).starts_with("en"))
        ::setenv("LANGUAGE", "en", 1);
}

} // namespace

std::string LocaleFolder(const std::string& programFolder)
{
    return (std::filesystem::path(programFolder) / ".." / "share" / "locale").lexically_normal().string();
}

bool UseCatalogue(Language language, const std::string& programFolder)
{
    if (language == Language::German)
        return true;
    const std::string folder = LocaleFolder(programFolder);
    std::error_code error;
    if (!std::filesystem::is_regular_file(folder + "/en/LC_MESSAGES/varnox.mo", error))
        return false;
    LetGettextSpeakEnglish();
    bindtextdomain(kDomain, folder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
    SetTranslateFunction(&TranslateText);
    return true;
}

} // namespace varnox::l10n
