#include "l10n/choice.h"

#include <cstdlib>
#include <string_view>

namespace varnox::l10n {

Language ChosenLanguage()
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        std::string_view setting(value);
        if (std::string_view(name) == "LANGUAGE") {
            setting = setting.substr(0, setting.find(':'));
            if (setting.empty())
                continue;
        }
        return setting.starts_with("en") ? Language::English : Language::German;
    }
    return Language::German;
}

} // namespace varnox::l10n
