#pragma once
// The language of the windows and of varnox-cli: English for a user whose locale says
// English, German for every other (C and POSIX included). Shared by both programs.

#include <QString>

namespace varnox::l10n {

enum class Language { German, English };

// English when the first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG that
// is set and not empty begins with "en"; German otherwise.
Language ChosenLanguage();

// The folder of the catalogues beside a program in programFolder: ../share/varnox/translations,
// in the build tree as after installation.
QString TranslationsFolder(const QString& programFolder);

// Loads the texts of language and installs them for the rest of the run: for English the
// program's catalogue (the Qt-free code's texts included), for German Qt's own German texts
// for its dialogs. With an application object, its tr() calls see them too. False when
// English was wanted and its catalogue could not be loaded: the texts then stay German.
bool UseLanguage(Language language, const QString& programFolder);

} // namespace varnox::l10n
