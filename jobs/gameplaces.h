#pragma once
// The usual places of the game on this machine: the Steam libraries named in Steam's
// libraryfolders.vdf and the drive_c of the Wine prefixes. Only that file is read and only
// the folders it names are checked; nothing is searched.

#include "fileio/fileio.h"

#include <string>
#include <string_view>
#include <vector>

namespace varnox::jobs {

// The library folders ("path" values, or the values of numbered keys in the older layout)
// that the text of a libraryfolders.vdf names, in file order, each once.
std::vector<std::string> ReadSteamLibraries(std::string_view vdf);

// The existing folders among: each Steam library's steamapps/common (the library itself when
// it has none), $WINEPREFIX/drive_c and home/.wine/drive_c; each once, in that order.
// winePrefix is the value of WINEPREFIX, empty when unset.
std::vector<Path> FindGamePlaces(const Path& home, const std::string& winePrefix);

} // namespace varnox::jobs
