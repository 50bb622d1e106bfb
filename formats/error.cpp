#include "formats/error.h"

namespace varnox {

namespace {

std::string CodeText(IoError error)
{
    switch (error) {
    case IoError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case IoError::CannotRead: return "Die Datei kann nicht gelesen werden";
    case IoError::CannotWrite: return "Die Datei kann nicht geschrieben werden";
    case IoError::CannotReplace: return "Die Datei darf nicht überschrieben werden";
    case IoError::OutOfMemory: return "Nicht genug Arbeitsspeicher";
    case IoError::Cancelled: return "Abgebrochen";
    }
    return "unbekannter Fehler";
}

std::string CodeText(PngError error)
{
    switch (error) {
    case PngError::Signature: return "Keine PNG-Datei (die Signatur fehlt)";
    case PngError::Damaged: return "Die PNG-Datei ist beschädigt";
    case PngError::Size: return "Breite oder Höhe ist 0";
    case PngError::TooLarge: return "Das Bild ist zu groß";
    case PngError::Unsupported: return "Die Farbart oder Farbtiefe der PNG-Datei wird nicht unterstützt";
    }
    return "unbekannter Fehler";
}

std::string CodeText(ResError error)
{
    return Describe(error);
}
std::string CodeText(GfpError error)
{
    return Describe(error);
}
std::string CodeText(TgaError error)
{
    return Describe(error);
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
