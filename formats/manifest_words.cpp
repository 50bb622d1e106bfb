#include "formats/manifest_words.h"

namespace varnox {

std::optional<std::u32string> DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t point = lead;
        char32_t least = 0;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3, point = lead & 0x07U, least = 0x10000;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2, point = lead & 0x0FU, least = 0x800;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1, point = lead & 0x1FU, least = 0x80;
        } else if (lead >= 0x80) {
            return std::nullopt;
        }
        if (text.size() - i - 1 < extra)
            return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0U) != 0x80U)
                return std::nullopt;
            point = point << 6 | (next & 0x3FU);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return std::nullopt;
        out += point;
        i += 1 + extra;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view points)
{
    std::string out;
    out.reserve(points.size());
    for (const char32_t p : points) {
        if (p < 0x80) {
            out += static_cast<char>(p);
        } else if (p < 0x800) {
            out += static_cast<char>(0xC0 | (p >> 6));
            out += static_cast<char>(0x80 | (p & 0x3F));
        } else if (p < 0x10000) {
            out += static_cast<char>(0xE0 | (p >> 12));
            out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (p & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (p >> 18));
            out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (p & 0x3F));
        }
    }
    return out;
}

int HexDigit(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::optional<std::vector<Token>> Tokenize(std::u32string_view line)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            for (;;) {
                if (i >= line.size())
                    return std::nullopt;
                const char32_t c = line[i++];
                if (c == '"')
                    break;
                if (c != '\\') {
                    token.value += c;
                    continue;
                }
                if (i >= line.size())
                    return std::nullopt;
                const char32_t e = line[i++];
                if (e == '"' || e == '\\') {
                    token.value += e;
                } else if (e == 'x' && i + 2 <= line.size() && HexDigit(line[i]) >= 0 &&
                           HexDigit(line[i + 1]) >= 0) {
                    token.value += static_cast<char32_t>(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
                    i += 2;
                } else {
                    return std::nullopt;
                }
            }
            if (i < line.size() && !IsBlank(line[i]))
                return std::nullopt;
        } else {
            while (i < line.size() && !IsBlank(line[i])) {
                if (line[i] == '"')
                    return std::nullopt;
                token.value += line[i++];
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::optional<NameField> NameFieldOf(std::u32string_view points)
{
    if (points.size() > kResNameSize)
        return std::nullopt;
    NameField field{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i] > 0xFF)
            return std::nullopt;
        field[i] = static_cast<std::uint8_t>(points[i]);
    }
    return field;
}

std::string SidePictureFile(const std::string& gfpFile, bool png)
{
    constexpr std::string_view kGfp = ".gfp";
    if (gfpFile.size() <= kGfp.size() || FoldNameCase(gfpFile.substr(gfpFile.size() - kGfp.size())) != kGfp)
        return {};
    return gfpFile.substr(0, gfpFile.size() - kGfp.size()) + (png ? ".png" : ".tga");
}

std::optional<NameField> NameFieldFromFile(std::string_view file, std::int32_t type)
{
    const std::string extension = TypeExtension(type);
    if (file.size() >= extension.size() && file.substr(file.size() - extension.size()) == extension)
        file.remove_suffix(extension.size());
    const auto points = DecodeUtf8(file);
    if (!points)
        return std::nullopt;
    return NameFieldOf(*points);
}

} // namespace varnox
