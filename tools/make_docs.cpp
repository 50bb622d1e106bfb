// Writes the manual pages of varnox and varnox-cli in German and English, and the shells'
// completion of varnox-cli, from the command table and the catalogue.
// Usage: varnox-docs CHANGELOG FOLDER

#include "fileio/atomic_file.h"
#include "fileio/input_file.h"
#include "formats/text.h"
#include "l10n/language.h"
#include "tools/docs.h"

#include <QString>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace {

using varnox::Path;

bool Write(const Path& path, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!error &&
        varnox::WriteFileAtomically(path, {std::span<const std::uint8_t>(bytes, text.size())}, error))
        return true;
    std::fprintf(stderr, "varnox-docs: %s: %s\n", varnox::PathText(path).c_str(), error.message().c_str());
    return false;
}

bool WritePages(const Path& folder, const varnox::docs::Release& release)
{
    return Write(folder / "varnox-cli.1", varnox::docs::CliManPage(release)) &&
           Write(folder / "varnox.1", varnox::docs::WindowsManPage(release));
}

} // namespace

namespace varnox::docs {

Release ReadRelease(std::string_view changelog)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    Release release;
    const std::size_t open = changelog.find(" (");
    const std::size_t close = changelog.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return {};
    release.version = std::string(changelog.substr(open + 2, close - open - 2));
    // The trailer " -- NAME <MAIL>  Tue, 08 Dec 2026 14:07:40 +0000" of the first entry.
    const std::size_t trailer = changelog.find("\n -- ");
    const std::size_t comma = changelog.find(", ", changelog.find(">  ", trailer));
    if (trailer == std::string_view::npos || comma == std::string_view::npos || comma + 13 > changelog.size())
        return {};
    const std::string_view day = changelog.substr(comma + 2, 2);
    const std::string_view month = changelog.substr(comma + 5, 3);
    const std::string_view year = changelog.substr(comma + 9, 4);
    for (int i = 0; i < 12; ++i)
        if (month == kMonths[i]) {
            char date[16];
            std::snprintf(date, sizeof date, "%.4s-%02d-%.2s", year.data(), i + 1, day.data());
            release.date = date;
            return release;
        }
    return {};
}

} // namespace varnox::docs

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: varnox-docs CHANGELOG ORDNER\n");
        return 2;
    }
    varnox::Bytes changelog;
    std::error_code error;
    if (!varnox::ReadWholeFile(argv[1], changelog, error)) {
        std::fprintf(stderr, "varnox-docs: %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    const varnox::docs::Release release = varnox::docs::ReadRelease(
        std::string_view(reinterpret_cast<const char*>(changelog.data()), changelog.size()));
    if (release.date.empty()) {
        std::fprintf(stderr, "varnox-docs: %s: no release with a date\n", argv[1]);
        return 1;
    }
    const Path folder = argv[2];
    // German first: the texts as they stand, before the English catalogue is installed.
    if (!WritePages(folder / "de", release))
        return 1;
    std::error_code selfError;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", selfError);
    if (!varnox::l10n::UseLanguage(varnox::l10n::Language::English,
                                   QString::fromStdString(self.parent_path()))) {
        std::fprintf(stderr, "varnox-docs: the English catalogue could not be loaded\n");
        return 1;
    }
    const bool ok = WritePages(folder / "en", release) &&
                    Write(folder / "varnox-cli.bash", varnox::docs::BashCompletion()) &&
                    Write(folder / "_varnox-cli", varnox::docs::ZshCompletion()) &&
                    Write(folder / "varnox-cli.fish", varnox::docs::FishCompletion());
    return ok ? 0 : 1;
}
