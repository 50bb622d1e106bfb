#include "formats/error.h"
#include "formats/gfp.h"
#include "formats/manifest.h"
#include "formats/module1.h"
#include "formats/res.h"
#include "formats/tga.h"

namespace varnox {

std::string Describe(GfpError error)
{
    switch (error) {
    case GfpError::None: return "kein Fehler";
    case GfpError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case GfpError::FirstTag: return "Die Datei beginnt nicht mit \"NALP\"";
    case GfpError::PictureHeader: return "Die Datei endet im Bildkopf";
    case GfpError::SecondTag: return "Vor dem Pixelkopf steht kein \"NALP\"";
    case GfpError::PixelHeader: return "Die Datei endet im Pixelkopf";
    case GfpError::StoredSize: return "storedSize ist kleiner als 8";
    case GfpError::RawSize: return "Die Bildgröße ist negativ oder zu groß";
    case GfpError::PayloadPastEnd: return "Die Bilddaten reichen über das Dateiende hinaus";
    case GfpError::ZlibData: return "Die zlib-Daten sind beschädigt";
    case GfpError::ShortPixels: return "Die Bilddaten sind kürzer als das Bild";
    }
    return "unbekannter Fehler";
}

std::string Describe(TgaError error)
{
    switch (error) {
    case TgaError::None: return "kein Fehler";
    case TgaError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case TgaError::Truncated: return "Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)";
    case TgaError::ColorMapped: return "Bilder mit Farbpalette werden nur mit 8-Bit-Indizes unterstützt";
    case TgaError::Grey:
        return "Graustufenbilder werden nur mit 8 Bit oder 16 Bit (Grau und Alpha) unterstützt";
    case TgaError::ImageType:
        return "Der Bildtyp wird nicht unterstützt, nur Echtfarb-, Graustufen- und Palettenbilder "
               "(Bildtyp 1, 2, 3, 9, 10 oder 11)";
    case TgaError::PixelDepth: return "Die Farbtiefe wird nicht unterstützt, nur 15, 16, 24 oder 32 Bit";
    case TgaError::ColorMap: return "Die Farbpalette fehlt oder hat keine Einträge zu 15, 16, 24 oder 32 Bit";
    case TgaError::ColorIndex: return "Ein Farbindex liegt außerhalb der Farbpalette";
    case TgaError::Size: return "Breite oder Höhe ist negativ";
    case TgaError::TooLarge: return "Das Bild ist zu groß";
    case TgaError::PixelData: return "Die Pixeldaten sind kürzer als das Bild";
    case TgaError::RleData: return "Die lauflängenkodierten Daten reichen über das Bild hinaus";
    }
    return "unbekannter Fehler";
}

namespace {

std::string CodeText(IoError code)
{
    switch (code) {
    case IoError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case IoError::CannotRead: return "Die Datei kann nicht gelesen werden";
    case IoError::CannotWrite: return "Die Datei kann nicht geschrieben werden";
    case IoError::CannotReplace: return "Die Datei darf nicht überschrieben werden";
    case IoError::CannotBackUp: return "Die Sicherungskopie kann nicht geschrieben werden";
    case IoError::OutOfMemory: return "Nicht genug Arbeitsspeicher für dieses Bild";
    case IoError::Cancelled: return "Abgebrochen";
    case IoError::Busy: return "Die Datei wird gerade von einem anderen Vorgang geschrieben";
    case IoError::Changed: return "Die Datei wurde inzwischen geändert";
    }
    return "unbekannter Fehler";
}

std::string CodeText(PngError code)
{
    switch (code) {
    case PngError::Signature: return "Keine PNG-Datei (die Signatur fehlt)";
    case PngError::Damaged: return "Die PNG-Datei ist beschädigt";
    case PngError::Size: return "Breite oder Höhe ist 0";
    case PngError::TooLarge: return "Das Bild ist zu groß";
    case PngError::Unsupported: return "Diese PNG-Art wird nicht unterstützt";
    case PngError::Method: return "Unbekanntes Kompressions-, Filter- oder Zeilensprungverfahren";
    case PngError::PaletteIndex: return "Ein Farbindex liegt außerhalb der Farbpalette";
    }
    return "unbekannter Fehler";
}

template <class Code> std::string CodeText(Code code)
{
    return Describe(code);
}

} // namespace

std::string Describe(const Error& error)
{
    std::string text = std::visit([](auto code) { return CodeText(code); }, error.code);
    if (!error.detail.empty())
        text += ": " + error.detail;
    if (error.system)
        text += ": " + SystemReason(error.system);
    return text;
}

std::string MessageText(const Error& error)
{
    return PathText(error.file) + ": " + Describe(error);
}

} // namespace varnox
