#include "formats/manifest.h"
#include "formats/manifest_words.h"
#include "formats/text.h"

#include <cstdio>

namespace varnox {

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

} // namespace varnox
