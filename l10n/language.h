#pragma once
// The language of the windows, through Qt's translator: the program's catalogue for the
// texts of both the windows and the Qt-free code, Qt's own for its dialogs.

#include "l10n/choice.h"

#include <QString>

namespace varnox::l10n {

// The folder of the catalogues beside a program in programFolder: ../share/varnox/translations,
// in the build tree as after installation.
QString TranslationsFolder(const QString& programFolder);

// Loads the texts of language and installs them for the rest of the run: for English the
// program's catalogue (the Qt-free code's texts included), for German Qt's own German texts
// for its dialogs. With an application object, its tr() calls see them too. False when
// English was wanted and its catalogue could not be loaded: the texts then stay German.
bool UseLanguage(Language language, const QString& programFolder);

} // namespace varnox::l10n
