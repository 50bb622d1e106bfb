#pragma once
// Which language the user reads: English for a user whose locale says English, German for
// every other (C and POSIX included). Shared by the windows and varnox-cli. No Qt.

namespace varnox::l10n {

enum class Language { German, English };

// English when the first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG that
// is set and not empty begins with "en"; German otherwise.
Language ChosenLanguage();

} // namespace varnox::l10n
