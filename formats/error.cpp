#include "formats/error.h"
#include "formats/gfp.h"
#include "formats/res.h"
#include "formats/tga.h"

namespace varnox {

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
    }
    return "unbekannter Fehler";
}

template <class Code>
std::string CodeText(Code code)
{
    return Describe(code);
}

}  // namespace

std::string Describe(const Error& error)
{
    std::string text = std::visit([](auto code) { return CodeText(code); }, error.code);
    if (!error.detail.empty())
        text += ": " + error.detail;
    if (error.system)
        text += ": " + SystemReason(error.system);
    return text;
}

std::string MessageText(const Error& error) { return PathText(error.file) + ": " + Describe(error); }

}  // namespace varnox
