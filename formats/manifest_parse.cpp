#include "formats/manifest.h"
#include "formats/manifest_words.h"

#include <charconv>
#include <unordered_map>
#include <unordered_set>

namespace varnox {

namespace {

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

// How many lines begin with the item keyword, leading blanks aside (an upper bound).
std::size_t CountItemLines(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size();) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            break;
        count += text.compare(at, 8, "eintrag ") == 0 ? 1 : 0;
        at = text.find('\n', at);
        at = at == std::string_view::npos ? text.size() : at + 1;
    }
    return count;
}

// Room for every item line of text at once: the items are large, and moving them as the
// list grows cost more than reading them.
void MakeRoom(std::string_view text, Manifest& manifest, std::unordered_set<std::string>& files)
{
    manifest.items.reserve(std::min(CountItemLines(text), static_cast<std::size_t>(kMaxResItems)));
    files.reserve(manifest.items.capacity());
}

} // namespace

Status ParseManifest(std::string_view text, Manifest& out)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // a byte order mark some editors add
        text.remove_prefix(3);
    Manifest manifest;
    std::unordered_set<std::string> files;
    MakeRoom(text, manifest, files);
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

} // namespace varnox
