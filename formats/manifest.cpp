#include "formats/manifest.h"
#include "formats/manifest_words.h"
#include "formats/text.h"

namespace varnox {

namespace {

// German, marked for the catalogue.
const char* ManifestText(ManifestError error)
{
    switch (error) {
    case ManifestError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case ManifestError::NotUtf8: return QT_TRANSLATE_NOOP("Varnox", "Die Zeile ist kein gültiger UTF-8-Text");
    case ManifestError::NoFormatLine:
        return QT_TRANSLATE_NOOP("Varnox", "Die Beschreibung beginnt nicht mit \"varnox-archiv 1\"");
    case ManifestError::UnknownLine: return QT_TRANSLATE_NOOP("Varnox", "Unbekannte Zeile");
    case ManifestError::BadType:
        return QT_TRANSLATE_NOOP("Varnox", "Der Typ ist keine ganze Zahl im 32-Bit-Bereich");
    case ManifestError::BadFill:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Die Füllung ist weder eine Byteanzahl bis 2147483647 noch \"hex:\" mit Paaren von Hexziffern "
            "noch ein Dateiname in Anführungszeichen");
    case ManifestError::BadString:
        return QT_TRANSLATE_NOOP(
            "Varnox", "Eine Zeichenkette ist nicht abgeschlossen oder enthält eine ungültige Escape-Folge");
    case ManifestError::BadFileName:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Der Dateiname fehlt, ist \".\" oder \"..\" oder enthält \"/\", \"\\\" oder Steuerzeichen");
    case ManifestError::BadNameField:
        return QT_TRANSLATE_NOOP(
            "Varnox", "Das Namensfeld ist länger als 256 Bytes oder enthält Zeichen außerhalb von Latin-1");
    case ManifestError::BadChecksum:
        return QT_TRANSLATE_NOOP("Varnox", "Ungültige Prüfsumme (erwartet: 8 Hexziffern, bei einem Bild "
                                           "8 Hexziffern-8 Hexziffern oder fehlt)");
    case ManifestError::ChecksumOfNoFile:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Die Prüfsumme nennt keine Datei eines Eintrags oder Bilds daneben");
    case ManifestError::LineTooLong: return QT_TRANSLATE_NOOP("Varnox", "Die Zeile ist länger als 1 MiB");
    case ManifestError::BadOption:
        return QT_TRANSLATE_NOOP("Varnox", "Unbekannte, unvollständige oder doppelte Angabe");
    case ManifestError::VorspannTwice:
        return QT_TRANSLATE_NOOP("Varnox", "Die Zeile \"vorspann\" steht mehr als einmal da");
    case ManifestError::DirectoryTwice:
        return QT_TRANSLATE_NOOP("Varnox", "Die Zeile \"verzeichnis\" steht mehr als einmal da");
    case ManifestError::NoDirectory: return QT_TRANSLATE_NOOP("Varnox", "Die Zeile \"verzeichnis\" fehlt");
    case ManifestError::NoItems: return QT_TRANSLATE_NOOP("Varnox", "Die Beschreibung nennt keinen Eintrag");
    case ManifestError::TooManyItems:
        return QT_TRANSLATE_NOOP("Varnox", "Die Beschreibung nennt mehr als 32767 Einträge");
    case ManifestError::SharedFileWithFill:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Der Eintrag teilt die Datei eines früheren Eintrags und kann keine eigene Füllung haben");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

} // namespace

std::string Describe(ManifestError error)
{
    return Translate(ManifestText(error));
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
