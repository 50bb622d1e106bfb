#include "jobs/gameplaces.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace varnox::jobs {

namespace {

// Steam writes a few kilobytes; a larger file is not Steam's.
constexpr std::uintmax_t kMaxVdfBytes = 1 << 20;

// Where Steam keeps the file, relative to the home folder (native and Flatpak installs).
constexpr const char* kVdfPlaces[] = {
    ".steam/steam/steamapps/libraryfolders.vdf",
    ".local/share/Steam/steamapps/libraryfolders.vdf",
    ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/libraryfolders.vdf",
};

// The tokens of a vdf text: quoted strings (backslash escapes undone) and the braces.
std::vector<std::string> Tokens(std::string_view text)
{
    std::vector<std::string> tokens;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '{' || c == '}') {
            tokens.emplace_back(1, c);
        } else if (c == '"') {
            std::string token;
            for (++at; at < text.size() && text[at] != '"'; ++at) {
                if (text[at] == '\\' && at + 1 < text.size())
                    ++at;
                token += text[at];
            }
            tokens.push_back(std::move(token));
        }
    }
    return tokens;
}

bool IsNumber(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsFolder(const Path& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::optional<std::string> ReadVdf(const Path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > kMaxVdfBytes)
        return std::nullopt;
    Bytes bytes;
    if (!ReadWholeFile(path, bytes, error))
        return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

void AddOnce(std::vector<Path>& places, const Path& place)
{
    const Path clean = place.lexically_normal();
    if (std::find(places.begin(), places.end(), clean) == places.end())
        places.push_back(clean);
}

} // namespace

std::vector<std::string> ReadSteamLibraries(std::string_view vdf)
{
    const std::vector<std::string> tokens = Tokens(vdf);
    std::vector<std::string> libraries;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        const std::string& key = tokens[i];
        const std::string& value = tokens[i + 1];
        if (value == "{" || value == "}" || key == "{" || key == "}")
            continue;
        if ((key == "path" || IsNumber(key)) && !value.empty() && value.front() == '/' &&
            std::find(libraries.begin(), libraries.end(), value) == libraries.end())
            libraries.push_back(value);
        ++i; // a key and its value are taken as a pair
    }
    return libraries;
}

std::vector<Path> FindGamePlaces(const Path& home, const std::string& winePrefix)
{
    std::vector<Path> places;
    for (const char* place : kVdfPlaces) {
        const std::optional<std::string> vdf = ReadVdf(home / place);
        if (!vdf)
            continue;
        for (const std::string& library : ReadSteamLibraries(*vdf)) {
            const Path common = Path(library) / "steamapps" / "common";
            if (IsFolder(common))
                AddOnce(places, common);
            else if (IsFolder(library))
                AddOnce(places, library);
        }
    }
    for (const Path& prefix : {winePrefix.empty() ? Path() : Path(winePrefix), home / ".wine"})
        if (!prefix.empty() && IsFolder(prefix / "drive_c"))
            AddOnce(places, prefix / "drive_c");
    return places;
}

} // namespace varnox::jobs
