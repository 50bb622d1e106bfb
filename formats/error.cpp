#include "formats/error.h"
#include "formats/gfp.h"
#include "formats/manifest.h"
#include "formats/module1.h"
#include "formats/res.h"
#include "formats/text.h"
#include "formats/tga.h"

#include <cerrno>

namespace varnox {

namespace {

// The system's reason, German and marked for the catalogue, for the common errors; nullptr
// for the rare rest, whose text the system gives.
const char* SystemReasonText(const std::error_code& error)
{
    if (!error)
        return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
    if (error == FileLayerError::Changed)
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei wurde inzwischen geändert");
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOENT: return QT_TRANSLATE_NOOP("Varnox", "Datei oder Ordner nicht gefunden");
        case EACCES:
        case EPERM: return QT_TRANSLATE_NOOP("Varnox", "Keine Berechtigung");
        case EISDIR: return QT_TRANSLATE_NOOP("Varnox", "Ist ein Ordner");
        case ENOTDIR: return QT_TRANSLATE_NOOP("Varnox", "Ein Teil des Pfades ist kein Ordner");
        case ENAMETOOLONG: return QT_TRANSLATE_NOOP("Varnox", "Der Name ist zu lang");
        case ENOSPC: return QT_TRANSLATE_NOOP("Varnox", "Kein Platz mehr auf dem Datenträger");
        case EDQUOT: return QT_TRANSLATE_NOOP("Varnox", "Das Speicherkontingent ist erschöpft");
        case EROFS: return QT_TRANSLATE_NOOP("Varnox", "Der Datenträger ist schreibgeschützt");
        case EIO: return QT_TRANSLATE_NOOP("Varnox", "Ein- oder Ausgabefehler");
        case EBUSY:
        case ETXTBSY: return QT_TRANSLATE_NOOP("Varnox", "Die Datei ist in Gebrauch");
        case EMFILE:
        case ENFILE: return QT_TRANSLATE_NOOP("Varnox", "Zu viele offene Dateien");
        case EINVAL: return QT_TRANSLATE_NOOP("Varnox", "Keine gewöhnliche Datei");
        case EILSEQ: return QT_TRANSLATE_NOOP("Varnox", "Der Name ist für das Dateisystem ungültig");
        default: break;
        }
    }
    return nullptr;
}

// German, marked for the catalogue.
const char* GfpText(GfpError code)
{
    switch (code) {
    case GfpError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case GfpError::CannotOpen: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geöffnet werden");
    case GfpError::FirstTag: return QT_TRANSLATE_NOOP("Varnox", "Die Datei beginnt nicht mit \"NALP\"");
    case GfpError::PictureHeader: return QT_TRANSLATE_NOOP("Varnox", "Die Datei endet im Bildkopf");
    case GfpError::SecondTag: return QT_TRANSLATE_NOOP("Varnox", "Vor dem Pixelkopf steht kein \"NALP\"");
    case GfpError::PixelHeader: return QT_TRANSLATE_NOOP("Varnox", "Die Datei endet im Pixelkopf");
    case GfpError::StoredSize: return QT_TRANSLATE_NOOP("Varnox", "storedSize ist kleiner als 8");
    case GfpError::RawSize: return QT_TRANSLATE_NOOP("Varnox", "Die Bildgröße ist negativ oder zu groß");
    case GfpError::PayloadPastEnd:
        return QT_TRANSLATE_NOOP("Varnox", "Die Bilddaten reichen über das Dateiende hinaus");
    case GfpError::ZlibData: return QT_TRANSLATE_NOOP("Varnox", "Die zlib-Daten sind beschädigt");
    case GfpError::ShortPixels: return QT_TRANSLATE_NOOP("Varnox", "Die Bilddaten sind kürzer als das Bild");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

// German, marked for the catalogue.
const char* TgaText(TgaError code)
{
    switch (code) {
    case TgaError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case TgaError::CannotOpen: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geöffnet werden");
    case TgaError::Truncated:
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)");
    case TgaError::ColorMapped:
        return QT_TRANSLATE_NOOP("Varnox", "Bilder mit Farbpalette werden nur mit 8-Bit-Indizes unterstützt");
    case TgaError::Grey:
        return QT_TRANSLATE_NOOP(
            "Varnox", "Graustufenbilder werden nur mit 8 Bit oder 16 Bit (Grau und Alpha) unterstützt");
    case TgaError::ImageType:
        return QT_TRANSLATE_NOOP(
            "Varnox", "Der Bildtyp wird nicht unterstützt, nur Echtfarb-, Graustufen- und Palettenbilder "
                      "(Bildtyp 1, 2, 3, 9, 10 oder 11)");
    case TgaError::PixelDepth:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Die Farbtiefe wird nicht unterstützt, nur 15, 16, 24 oder 32 Bit");
    case TgaError::ColorMap:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Die Farbpalette fehlt oder hat keine Einträge zu 15, 16, 24 oder 32 Bit");
    case TgaError::ColorIndex:
        return QT_TRANSLATE_NOOP("Varnox", "Ein Farbindex liegt außerhalb der Farbpalette");
    case TgaError::Size: return QT_TRANSLATE_NOOP("Varnox", "Breite oder Höhe ist negativ");
    case TgaError::TooLarge: return QT_TRANSLATE_NOOP("Varnox", "Das Bild ist zu groß");
    case TgaError::PixelData: return QT_TRANSLATE_NOOP("Varnox", "Die Pixeldaten sind kürzer als das Bild");
    case TgaError::RleData:
        return QT_TRANSLATE_NOOP("Varnox", "Die lauflängenkodierten Daten reichen über das Bild hinaus");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

// German, marked for the catalogue.
const char* IoText(IoError code)
{
    switch (code) {
    case IoError::CannotOpen: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geöffnet werden");
    case IoError::CannotRead: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht gelesen werden");
    case IoError::CannotWrite: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geschrieben werden");
    case IoError::CannotReplace:
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei darf nicht überschrieben werden");
    case IoError::CannotBackUp:
        return QT_TRANSLATE_NOOP("Varnox", "Die Sicherungskopie kann nicht geschrieben werden");
    case IoError::OutOfMemory:
        return QT_TRANSLATE_NOOP("Varnox", "Nicht genug Arbeitsspeicher für dieses Bild");
    case IoError::Cancelled: return QT_TRANSLATE_NOOP("Varnox", "Abgebrochen");
    case IoError::Busy:
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei wird gerade von einem anderen Vorgang geschrieben");
    case IoError::Changed: return QT_TRANSLATE_NOOP("Varnox", "Die Datei wurde inzwischen geändert");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

// German, marked for the catalogue.
const char* PngText(PngError code)
{
    switch (code) {
    case PngError::Signature: return QT_TRANSLATE_NOOP("Varnox", "Keine PNG-Datei (die Signatur fehlt)");
    case PngError::Damaged: return QT_TRANSLATE_NOOP("Varnox", "Die PNG-Datei ist beschädigt");
    case PngError::Size: return QT_TRANSLATE_NOOP("Varnox", "Breite oder Höhe ist 0");
    case PngError::TooLarge: return QT_TRANSLATE_NOOP("Varnox", "Das Bild ist zu groß");
    case PngError::Unsupported: return QT_TRANSLATE_NOOP("Varnox", "Diese PNG-Art wird nicht unterstützt");
    case PngError::Method:
        return QT_TRANSLATE_NOOP("Varnox", "Unbekanntes Kompressions-, Filter- oder Zeilensprungverfahren");
    case PngError::PaletteIndex:
        return QT_TRANSLATE_NOOP("Varnox", "Ein Farbindex liegt außerhalb der Farbpalette");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

// The other kinds are described beside their format.
template <class Code> std::string CodeText(Code code)
{
    return Describe(code);
}

const char* JobText(JobError code)
{
    switch (code) {
    case JobError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case JobError::SameNameUnpacked:
        return QT_TRANSLATE_NOOP("Varnox", "Gleicher Name wie das schon entpackte %1. Item");
    case JobError::FolderNotSynced:
        return QT_TRANSLATE_NOOP("Varnox", "Der Ordner kann nicht auf den Datenträger geschrieben werden");
    case JobError::BitsPerPixel:
        return QT_TRANSLATE_NOOP("Varnox", "bitsPerPixel %1 ist kleiner als 7 (keine ganzen Bytes je Pixel)");
    case JobError::NegativeSize: return QT_TRANSLATE_NOOP("Varnox", "Breite oder Höhe ist negativ");
    case JobError::TooLargeForTga:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei");
    case JobError::NotGfpName: return QT_TRANSLATE_NOOP("Varnox", "Der Dateiname endet nicht auf .gfp");
    case JobError::LinkNotPacked:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Ist ein symbolischer Link; gepackt werden nur gewöhnliche Dateien");
    case JobError::FifoNotPacked:
        return QT_TRANSLATE_NOOP("Varnox", "Ist eine FIFO; gepackt werden nur gewöhnliche Dateien");
    case JobError::DeviceNotPacked:
        return QT_TRANSLATE_NOOP("Varnox", "Ist ein Gerät; gepackt werden nur gewöhnliche Dateien");
    case JobError::FolderNotPacked:
        return QT_TRANSLATE_NOOP("Varnox", "Ist ein Ordner; gepackt werden nur gewöhnliche Dateien");
    case JobError::NotRegularFile: return QT_TRANSLATE_NOOP("Varnox", "Keine gewöhnliche Datei");
    case JobError::BothChanged:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "%1: Sowohl %2 als auch %3 wurden geändert; bitte nur eine der beiden "
                                 "Dateien ändern");
    case JobError::PictureIntoNext:
        return QT_TRANSLATE_NOOP("Varnox", "Das Bild reicht in die folgenden Daten hinein");
    case JobError::RawPicture:
        return QT_TRANSLATE_NOOP("Varnox", "kein gültiges Bild (%1), als Rohdaten geschrieben");
    case JobError::NameTaken:
        return QT_TRANSLATE_NOOP("Varnox", "Name schon vergeben, als \"%1\" geschrieben");
    case JobError::NameUnfit:
        return QT_TRANSLATE_NOOP("Varnox", "Der Name taugt nicht als Dateiname, als \"%1\" geschrieben");
    case JobError::SidePictureNotWritten: return QT_TRANSLATE_NOOP("Varnox", "nicht als %1 geschrieben (%2)");
    case JobError::DirectoryOverlapsHeader:
        return QT_TRANSLATE_NOOP("Varnox", "Das Verzeichnis überlappt den Dateikopf");
    case JobError::DataOverlapsTables:
        return QT_TRANSLATE_NOOP("Varnox", "Die Daten überlappen Dateikopf oder Verzeichnis");
    case JobError::DataBeforeEarlier:
        return QT_TRANSLATE_NOOP("Varnox", "Die Daten liegen vor denen eines früheren Eintrags");
    case JobError::LayoutNotRebuilt:
        return QT_TRANSLATE_NOOP("Varnox", "Die Anordnung der Daten lässt sich nicht nachbauen");
    case JobError::FolderNotMade: return QT_TRANSLATE_NOOP("Varnox", "Der Ordner kann nicht angelegt werden");
    case JobError::ItemTakesArchiveName:
        return QT_TRANSLATE_NOOP("Varnox", "Ein Eintrag hätte im Zielordner den Namen des Archivs");
    case JobError::ArchiveBusy:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv wird gerade von einem anderen Vorgang geschrieben");
    case JobError::ArchiveChanged: return QT_TRANSLATE_NOOP("Varnox", "Das Archiv wurde inzwischen geändert");
    case JobError::PastOffsets:
        return QT_TRANSLATE_NOOP("Varnox", "Die Daten reichen über die 32-Bit-Offsets des Archivs hinaus");
    case JobError::FileMissing: return QT_TRANSLATE_NOOP("Varnox", "Die Datei fehlt");
    case JobError::ManifestTooLarge:
        return QT_TRANSLATE_NOOP("Varnox", "Die Beschreibung ist größer als 64 MiB");
    case JobError::ManifestLine: return QT_TRANSLATE_NOOP("Varnox", "Zeile %1: %2");
    case JobError::NoNameField:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Der Dateiname gibt kein Namensfeld: mehr als 256 Zeichen oder Zeichen "
                                 "außerhalb von Latin-1");
    case JobError::ChangedWhilePacking:
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei hat sich während des Packens geändert");
    case JobError::ArchiveInFolder:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv liegt im Ordner, der gepackt wird");
    case JobError::ItemBeyond:
        return QT_TRANSLATE_NOOP("Varnox", "%1: Das Archiv hat nur die Einträge #0 bis %2");
    case JobError::NoItemNamed: return QT_TRANSLATE_NOOP("Varnox", "Kein Eintrag heißt \"%1\"");
    case JobError::ItemsNamed:
        return QT_TRANSLATE_NOOP("Varnox", "Mehrere Einträge heißen \"%1\" (%2); bitte mit #N wählen");
    case JobError::NoSuchItem: return QT_TRANSLATE_NOOP("Varnox", "Kein solcher Eintrag");
    case JobError::NotPictureItem: return QT_TRANSLATE_NOOP("Varnox", "%1 ist kein Bild, sondern %2");
    case JobError::DamagedItemHead:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Das Bild im Archiv ist beschädigt, seine Kopfblöcke lassen sich nicht übernehmen (%1)");
    case JobError::ArchiveTooLarge:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv ist zu groß, um Daten anzuhängen (32-Bit-Offsets)");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

std::string CodeText(IoError code)
{
    return Translate(IoText(code));
}

std::string CodeText(PngError code)
{
    return Translate(PngText(code));
}

std::string CodeText(JobError code)
{
    return Translate(JobText(code));
}

} // namespace

std::string Describe(GfpError error)
{
    return Translate(GfpText(error));
}

std::string Describe(TgaError error)
{
    return Translate(TgaText(error));
}

std::string Describe(const Error& error)
{
    std::string text = FillIn(std::visit([](auto code) { return CodeText(code); }, error.code), error.args);
    if (!error.detail.empty())
        text += ": " + error.detail;
    if (error.system)
        text += ": " + SystemText(error.system);
    return text;
}

std::string SystemText(const std::error_code& error)
{
    const char* text = SystemReasonText(error);
    return text != nullptr ? Translate(text) : error.message();
}

std::string MessageText(const Error& error)
{
    return PathText(error.file) + ": " + Describe(error);
}

} // namespace varnox
