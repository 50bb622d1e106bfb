#pragma once
// The language of varnox-cli without Qt: the same catalogue as the windows', built as a
// gettext catalogue (share/locale/en/LC_MESSAGES/varnox.mo) and read through the C library,
// so that the command line and the thumbnailer start without loading Qt.

#include "l10n/choice.h"

#include <string>

namespace varnox::l10n {

// The folder of the gettext catalogues beside a program in programFolder: ../share/locale,
// in the build tree as after installation.
std::string LocaleFolder(const std::string& programFolder);

// Installs the texts of language for the rest of the run: for English the program's
// catalogue, for German the texts as written. False when English was wanted and its
// catalogue is missing: the texts then stay German.
bool UseCatalogue(Language language, const std::string& programFolder);

} // namespace varnox::l10n
