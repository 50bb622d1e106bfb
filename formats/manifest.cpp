#include "formats/manifest.h"
#include "formats/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace varnox {

namespace {

constexpr std::string_view kFillWord = "füllung";
constexpr std::string_view kChecksumWord = "prüfsumme";
constexpr std::string_view kHexPrefix = "hex:";
constexpr std::string_view kMissingWord = "fehlt";
constexpr std::string_view kPictureWord = "bild";

// Code points of UTF-8 text; nullopt for malformed, overlong or surrogate sequences.
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

// Spaces, tabs and the carriage returns an editor may leave at a line's end.
bool IsBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

struct Token {
    std::u32string value; // quotes and escapes resolved
    bool quoted = false;
    std::string Text() const { return EncodeUtf8(value); }
};

// Splits a line into words and "quoted strings" (escapes \" \\ \xHH); nullopt when a string
// is not closed, an escape is unknown or a quote touches a word.
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

std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t least, std::int64_t most)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || value < least || value > most)
        return std::nullopt;
    return value;
}

std::optional<Fill> ParseFill(const Token& token)
{
    const std::string text = token.Text();
    if (token.quoted) {
        if (IsUnsafeFileName(text))
            return std::nullopt;
        return Fill{0, {}, text};
    }
    if (text.rfind(kHexPrefix, 0) != 0) {
        const auto count = ParseDecimal(text, 0, INT32_MAX);
        if (!count)
            return std::nullopt;
        return Fill{*count, {}};
    }
    const std::u32string_view digits = std::u32string_view(token.value).substr(kHexPrefix.size());
    if (digits.size() % 2 != 0)
        return std::nullopt;
    Fill fill;
    fill.bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]), low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        fill.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    fill.length = static_cast<std::int64_t>(fill.bytes.size());
    return fill;
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

std::optional<std::uint32_t> ParseHex32(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 8 || error != std::errc() || end != text.data() + text.size() || text[0] == '+' ||
        text[0] == '-')
        return std::nullopt;
    return value;
}

// "FFFFFFFF-PPPPPPPP": the CRC-32 of a picture file and of its pixels, in hex.
std::optional<PictureChecksum> ParsePictureSums(const Token& token)
{
    const std::string text = token.quoted ? std::string() : token.Text();
    if (text == kMissingWord)
        return PictureChecksum{};
    if (text.size() != 17 || text[8] != '-')
        return std::nullopt;
    const auto file = ParseHex32(std::string_view(text).substr(0, 8));
    const auto pixels = ParseHex32(std::string_view(text).substr(9));
    if (!file || !pixels)
        return std::nullopt;
    return PictureChecksum{file, pixels};
}

// "prüfsumme CCCCCCCC", or an older manifest's "prüfsumme GGGGGGGG-PPPPPPPP": the GFP's CRC-32
// and the pixels of the picture beside it, which was a PNG or a TGA.
bool ParseItemChecksum(const Token& token, ManifestItem& item)
{
    if (const auto crc = token.quoted ? std::nullopt : ParseHex32(token.Text())) {
        item.crc = crc;
        return true;
    }
    const auto old = ParsePictureSums(token);
    if (!old || !old->file)
        return false;
    item.crc = old->file;
    item.png = item.tga = PictureChecksum{std::nullopt, old->pixels};
    return true;
}

// Reads "füllung FILL" and, for an item, "name NAME" and "prüfsumme CRC" pairs from
// tokens[first] on, each at most once.
ManifestError ParseOptions(const std::vector<Token>& tokens, std::size_t first, Fill& fill,
                           ManifestItem* item = nullptr)
{
    bool sawFill = false, sawName = false, sawSum = false;
    for (std::size_t i = first; i < tokens.size(); i += 2) {
        const std::string word = tokens[i].quoted ? std::string() : tokens[i].Text();
        if (i + 1 >= tokens.size())
            return ManifestError::BadOption;
        const Token& value = tokens[i + 1];
        if (word == kFillWord && !sawFill) {
            const auto parsed = ParseFill(value);
            if (!parsed)
                return ManifestError::BadFill;
            fill = *parsed;
            sawFill = true;
        } else if (item != nullptr && word == "name" && !sawName) {
            item->nameField = NameFieldOf(value.value);
            if (!item->nameField)
                return ManifestError::BadNameField;
            sawName = true;
        } else if (item != nullptr && word == kChecksumWord && !sawSum) {
            if (!ParseItemChecksum(value, *item))
                return ManifestError::BadChecksum;
            sawSum = true;
        } else {
            return ManifestError::BadOption;
        }
    }
    return ManifestError::None;
}

// The checksum lines, kept until every entry is read.
struct Checksums {
    struct Line {
        int number = 0;
        std::string file;
        std::optional<std::uint32_t> crc;    // "prüfsumme"
        std::optional<PictureChecksum> sums; // "bild"
    };
    std::vector<Line> lines;

    // Gives each line's checksum to the first entry of its file (or GFP beside its picture); the
    // number of a line that names no such file, else 0.
    int Apply(std::vector<ManifestItem>& items) const
    {
        std::unordered_map<std::string, std::size_t> first;
        for (std::size_t i = items.size(); i-- > 0;) {
            first[items[i].file] = i;
            for (const bool png : {true, false})
                if (const std::string side = SidePictureFile(items[i].file, png); !side.empty())
                    first[side] = i;
        }
        for (const Line& line : lines) {
            const auto found = first.find(line.file);
            if (found == first.end() || (line.sums && found->first == items[found->second].file))
                return line.number;
            ManifestItem& item = items[found->second];
            if (line.crc && line.file == item.file)
                item.crc = line.crc;
            else if (line.sums)
                (line.file == SidePictureFile(item.file, true) ? item.png : item.tga) = line.sums;
            else
                return line.number;
        }
        return 0;
    }
};

// "prüfsumme "FILE" CCCCCCCC" or "bild "PICTURE" FFFFFFFF-PPPPPPPP|fehlt".
ManifestError ParseChecksumLine(const std::vector<Token>& tokens, int number, Checksums& sums)
{
    if (tokens.size() != 3 || IsUnsafeFileName(tokens[1].Text()))
        return tokens.size() == 3 ? ManifestError::BadFileName : ManifestError::BadChecksum;
    Checksums::Line line{number, tokens[1].Text(), {}, {}};
    if (tokens[0].Text() == kChecksumWord)
        line.crc = tokens[2].quoted ? std::nullopt : ParseHex32(tokens[2].Text());
    else
        line.sums = ParsePictureSums(tokens[2]);
    if (!line.crc && !line.sums)
        return ManifestError::BadChecksum;
    sums.lines.push_back(std::move(line));
    return ManifestError::None;
}

ManifestError ParseItem(const std::vector<Token>& tokens, ManifestItem& item)
{
    if (tokens.size() < 2 || tokens[1].quoted)
        return ManifestError::BadType;
    const auto type = ParseDecimal(tokens[1].Text(), INT32_MIN, INT32_MAX);
    if (!type)
        return ManifestError::BadType;
    item.type = static_cast<std::int32_t>(*type);
    if (tokens.size() < 3)
        return ManifestError::BadFileName;
    item.file = tokens[2].Text();
    if (IsUnsafeFileName(item.file))
        return ManifestError::BadFileName;
    return ParseOptions(tokens, 3, item.fill, &item);
}

Error Refused(ManifestError code, int line)
{
    Error error{code, {}, {}, {}};
    error.line = line;
    return error;
}

bool IsStatusLine(std::string_view line)
{
    return line == kExact || line.rfind(kNotExact, 0) == 0;
}

// The next line of text, without its line end, taken off text.
std::string_view TakeLine(std::string_view& text)
{
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

Status ParseManifest(std::string_view text, Manifest& out)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // a byte order mark some editors add
        text.remove_prefix(3);
    Manifest manifest;
    std::unordered_set<std::string> files;
    Checksums sums;
    bool sawFormat = false, sawVorspann = false, sawDirectory = false;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::string_view raw = TakeLine(text);
        if (raw.size() > kMaxManifestLine)
            return Refused(ManifestError::LineTooLong, number);
        const auto decoded = DecodeUtf8(raw);
        if (!decoded)
            return Refused(ManifestError::NotUtf8, number);
        std::u32string_view line = *decoded;
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back()))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::string utf8 = EncodeUtf8(line);
        if (sawFormat && IsStatusLine(utf8)) {
            manifest.status = utf8;
            continue;
        }
        const auto tokens = Tokenize(line);
        if (!tokens)
            return Refused(ManifestError::BadString, number);
        const std::string keyword = tokens->front().quoted ? std::string() : tokens->front().Text();
        if (!sawFormat) {
            if (tokens->size() != 2 || keyword != "varnox-archiv" || (*tokens)[1].quoted ||
                (*tokens)[1].Text() != "1")
                return Refused(ManifestError::NoFormatLine, number);
            sawFormat = true;
        } else if (keyword == "vorspann") {
            if (sawVorspann)
                return Refused(ManifestError::VorspannTwice, number);
            const auto fill = tokens->size() == 2 ? ParseFill((*tokens)[1]) : std::nullopt;
            if (!fill)
                return Refused(ManifestError::BadFill, number);
            manifest.afterHeader = *fill;
            sawVorspann = true;
        } else if (keyword == "verzeichnis") {
            if (sawDirectory)
                return Refused(ManifestError::DirectoryTwice, number);
            if (const auto error = ParseOptions(*tokens, 1, manifest.afterDirectory);
                error != ManifestError::None)
                return Refused(error, number);
            manifest.directoryAt = manifest.items.size();
            sawDirectory = true;
        } else if (keyword == kChecksumWord || keyword == kPictureWord) {
            if (const auto error = ParseChecksumLine(*tokens, number, sums); error != ManifestError::None)
                return Refused(error, number);
        } else if (keyword == "eintrag") {
            if (manifest.items.size() >= static_cast<std::size_t>(kMaxResItems))
                return Refused(ManifestError::TooManyItems, number);
            ManifestItem item;
            if (const auto error = ParseItem(*tokens, item); error != ManifestError::None)
                return Refused(error, number);
            if (!files.insert(item.file).second && !item.fill.IsEmpty())
                return Refused(ManifestError::SharedFileWithFill, number);
            manifest.items.push_back(std::move(item));
        } else {
            return Refused(ManifestError::UnknownLine, number);
        }
    }
    if (!sawFormat)
        return Refused(ManifestError::NoFormatLine, 0);
    if (manifest.items.empty())
        return Refused(ManifestError::NoItems, 0);
    if (!sawDirectory)
        return Refused(ManifestError::NoDirectory, 0);
    if (const int line = sums.Apply(manifest.items); line > 0)
        return Refused(ManifestError::ChecksumOfNoFile, line);
    out = std::move(manifest);
    return {};
}

namespace {

void AppendHexByte(std::string& out, std::uint8_t byte)
{
    constexpr const char* kDigits = "0123456789abcdef";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

void AppendEscaped(std::string& out, std::uint8_t byte)
{
    if (byte == '"' || byte == '\\') {
        out += '\\';
        out += static_cast<char>(byte);
    } else {
        out += "\\x";
        AppendHexByte(out, byte);
    }
}

// A UTF-8 file name in quotes; quotes, backslashes and control bytes escaped.
std::string QuotedFile(std::string_view file)
{
    std::string out = "\"";
    for (const char c : file) {
        const auto u = static_cast<std::uint8_t>(c);
        if (u == '"' || u == '\\' || u < 0x20 || u == 0x7F)
            AppendEscaped(out, u);
        else
            out += c;
    }
    return out + "\"";
}

std::string FillText(const Fill& fill)
{
    if (!fill.file.empty())
        return QuotedFile(fill.file);
    if (fill.bytes.empty())
        return std::to_string(fill.length);
    std::string text(kHexPrefix);
    for (const std::uint8_t b : fill.bytes)
        AppendHexByte(text, b);
    return text;
}

// A name field in quotes, without its trailing NULs: printable Latin-1 as UTF-8, the rest escaped.
std::string QuotedNameField(const NameField& field)
{
    std::size_t length = field.size();
    while (length > 0 && field[length - 1] == 0)
        --length;
    std::string out = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = field[i];
        if (b == '"' || b == '\\' || b < 0x20 || (b >= 0x7F && b < 0xA0))
            AppendEscaped(out, b);
        else
            out += Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(&field[i]), 1));
    }
    return out + "\"";
}

void AppendFillOption(std::string& line, const Fill& fill)
{
    if (!fill.IsEmpty())
        line += " " + std::string(kFillWord) + " " + FillText(fill);
}

std::string Hex32(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// An older manifest's pair (the GFP's CRC-32, the same pixels for PNG and TGA), written back
// into the entry as it was read.
void AppendOlderChecksum(std::string& line, const ManifestItem& item)
{
    if (item.crc && item.png && item.png == item.tga && !item.png->file && item.png->pixels)
        line += " " + std::string(kChecksumWord) + " " + Hex32(*item.crc) + "-" + Hex32(*item.png->pixels);
}

// The checksum lines of the entries: each file's CRC-32 once, and the pictures beside the GFPs.
std::string ChecksumLines(const std::vector<ManifestItem>& items)
{
    std::string text;
    for (const ManifestItem& item : items) {
        std::string older;
        AppendOlderChecksum(older, item);
        if (!older.empty())
            continue;
        if (item.crc)
            text += std::string(kChecksumWord) + " " + QuotedFile(item.file) + " " + Hex32(*item.crc) + "\n";
        for (const bool png : {true, false}) {
            const std::optional<PictureChecksum>& sums = png ? item.png : item.tga;
            if (!sums)
                continue;
            text += std::string(kPictureWord) + " " + QuotedFile(SidePictureFile(item.file, png)) + " ";
            text += sums->file && sums->pixels ? Hex32(*sums->file) + "-" + Hex32(*sums->pixels)
                                               : std::string(kMissingWord);
            text += "\n";
        }
    }
    return text;
}

} // namespace

std::string WriteManifest(const Manifest& manifest)
{
    std::string text =
        "# Inhalt eines RES-Archivs; \"varnox-cli pack ORDNER ARCHIV\" baut daraus das Archiv.\n"
        "# eintrag TYP \"DATEI\" [füllung N|hex:…] [name \"NAMENSFELD\"]: ein Eintrag, in "
        "Verzeichnisreihenfolge.\n"
        "# füllung: Bytes nach den Daten (N Nullbytes, die Bytes in Hex oder \"DATEI\" mit den Bytes);\n"
        "# name: das ganze Namensfeld, wenn es nicht der Dateiname ohne die Endung des Typs ist.\n"
        "# prüfsumme \"DATEI\": CRC-32 der Datei, wie extract sie schrieb; bild \"BILD\": ein PNG/TGA, das\n"
        "# extract neben eine GFP-Datei schrieb (CRC-32 der Datei und ihrer Pixel, oder fehlt);\n"
        "# pack nimmt nur diese Bilder an Stelle der GFP-Datei.\n"
        "# Einträge, die dieselbe Datei nennen, teilen sich ihre Daten. verzeichnis: hier liegen\n"
        "# Verzeichnis und Namenstabelle. vorspann: Bytes nach den 12 Bytes des Dateikopfs.\n";
    text += kManifestFormatLine;
    text += "\nvorspann " + FillText(manifest.afterHeader) + "\n";
    const auto directoryLine = [&] {
        std::string line = "verzeichnis";
        AppendFillOption(line, manifest.afterDirectory);
        text += line + "\n";
    };
    for (std::size_t i = 0; i < manifest.items.size(); ++i) {
        if (i == manifest.directoryAt)
            directoryLine();
        const ManifestItem& item = manifest.items[i];
        std::string line = "eintrag " + std::to_string(item.type) + " " + QuotedFile(item.file);
        AppendFillOption(line, item.fill);
        if (item.nameField)
            line += " name " + QuotedNameField(*item.nameField);
        AppendOlderChecksum(line, item);
        text += line + "\n";
    }
    if (manifest.directoryAt >= manifest.items.size())
        directoryLine();
    text += ChecksumLines(manifest.items);
    if (!manifest.status.empty())
        text += manifest.status + "\n";
    return text;
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
