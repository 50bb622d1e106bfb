#pragma once
// The words and strings of manifest lines, shared by its parse and its write.

#include "formats/manifest.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox {

inline constexpr std::string_view kFillWord = "füllung";
inline constexpr std::string_view kChecksumWord = "prüfsumme";
inline constexpr std::string_view kHexPrefix = "hex:";
inline constexpr std::string_view kMissingWord = "fehlt";
inline constexpr std::string_view kPictureWord = "bild";

// Code points of UTF-8 text; nullopt for malformed, overlong or surrogate sequences.
std::optional<std::u32string> DecodeUtf8(std::string_view text);

std::string EncodeUtf8(std::u32string_view points);

// The value of a hex digit; -1 for any other character.
int HexDigit(char32_t c);

// Spaces, tabs and the carriage returns an editor may leave at a line's end.
bool IsBlank(char32_t c);

struct Token {
    std::u32string value; // quotes and escapes resolved
    bool quoted = false;
    std::string Text() const { return EncodeUtf8(value); }
};

// Splits a line into words and "quoted strings" (escapes \" \\ \xHH); nullopt when a string
// is not closed, an escape is unknown or a quote touches a word.
std::optional<std::vector<Token>> Tokenize(std::u32string_view line);

// A name field of Latin-1 code points, NUL-padded; nullopt when one is beyond Latin-1 or there
// are more than 256.
std::optional<NameField> NameFieldOf(std::u32string_view points);

} // namespace varnox
