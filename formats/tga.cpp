#include "formats/module1.h"

namespace varnox {

std::string Describe(TgaError error)
{
    switch (error) {
    case TgaError::None: return "kein Fehler";
    case TgaError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case TgaError::Truncated: return "Die Datei ist kürzer als ihr Kopf";
    case TgaError::ImageType: return "Der Bildtyp wird nicht unterstützt";
    case TgaError::PixelDepth: return "Die Farbtiefe wird nicht unterstützt";
    case TgaError::Size: return "Breite oder Höhe ist negativ";
    case TgaError::PixelData: return "Die Pixeldaten sind kürzer als das Bild";
    case TgaError::RleData: return "Die lauflängenkodierten Daten sind beschädigt";
    }
    return "unbekannter Fehler";
}

Bytes Module1::ReadTgaAsRgb565(const Path&, TgaError* error, const TgaProgress&)
{
    if (error != nullptr)
        *error = TgaError::ImageType;
    return {};
}

}  // namespace varnox
