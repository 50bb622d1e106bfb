#include "formats/describe.h"
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
    case IoError::System: return "";
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

// German, marked for the catalogue.
const char* ResText(ResError error)
{
    switch (error) {
    case ResError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case ResError::CannotOpen: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geöffnet werden");
    case ResError::NotRes: return QT_TRANSLATE_NOOP("Varnox", "Die Datei beginnt nicht mit \"RESF\"");
    case ResError::HeaderTruncated:
        return QT_TRANSLATE_NOOP("Varnox", "Der Dateikopf ist kürzer als 12 Bytes");
    case ResError::InfoOffsetOverflow:
        return QT_TRANSLATE_NOOP("Varnox", "Infooffset liegt außerhalb des 32-Bit-Bereichs");
    case ResError::ItemCountRange:
        return QT_TRANSLATE_NOOP("Varnox", "Die Anzahl der Einträge liegt nicht zwischen 1 und 32767");
    case ResError::DataOffsetNegative: return QT_TRANSLATE_NOOP("Varnox", "Dataoffset ist negativ");
    case ResError::DirectoryPastEnd:
        return QT_TRANSLATE_NOOP("Varnox", "Das Verzeichnis reicht über das Dateiende hinaus");
    case ResError::NamesPastEnd:
        return QT_TRANSLATE_NOOP("Varnox", "Die Namenstabelle reicht über das Dateiende hinaus");
    case ResError::ReadFailed: return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht gelesen werden");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

// German, marked for the catalogue.
const char* ExtractText(ExtractError error)
{
    switch (error) {
    case ExtractError::None: return QT_TRANSLATE_NOOP("Varnox", "kein Fehler");
    case ExtractError::UnsafeName:
        return QT_TRANSLATE_NOOP("Varnox", "Der Name enthält \"/\" oder \"\\\" oder ist \".\" oder \"..\"");
    case ExtractError::ControlCharacter: return QT_TRANSLATE_NOOP("Varnox", "Der Name enthält Steuerzeichen");
    case ExtractError::CannotOpenArchive:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv kann nicht geöffnet werden");
    case ExtractError::BadItemOffset:
        return QT_TRANSLATE_NOOP("Varnox", "Itemdataoffset liegt außerhalb der Datei");
    case ExtractError::NoTag: return QT_TRANSLATE_NOOP("Varnox", "Die Daten beginnen nicht mit \"NALP\"");
    case ExtractError::NoSecondTag:
        return QT_TRANSLATE_NOOP("Varnox", "Vor dem Pixelkopf steht kein \"NALP\"");
    case ExtractError::HeaderTruncated:
        return QT_TRANSLATE_NOOP("Varnox", "Die Kopfblöcke reichen über das Dateiende hinaus");
    case ExtractError::PayloadLength:
        return QT_TRANSLATE_NOOP("Varnox", "Die Länge der Bilddaten ist negativ oder zu groß");
    case ExtractError::PayloadPastEnd:
        return QT_TRANSLATE_NOOP("Varnox", "Die Bilddaten reichen über das Dateiende hinaus");
    case ExtractError::FolderName:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Der Archivname ohne seine letzten vier Zeichen ist kein Ordnername (leer, \".\" oder \"..\")");
    case ExtractError::FolderNotReal:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Der Entpackordner ist kein echter Ordner, sondern eine Datei oder ein symbolischer Link");
    case ExtractError::WriteFailed:
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei kann nicht geschrieben werden");
    case ExtractError::NoSuchItem:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv hat keinen Eintrag mit dieser Nummer");
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

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

// The texts of the archive jobs' reasons (extract, pack, replace, edit); nullptr for the others.
const char* ArchiveJobText(JobError code)
{
    switch (code) {
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
    case JobError::FolderNotListed:
        return QT_TRANSLATE_NOOP("Varnox", "Der Ordner kann nicht gelesen werden: %1");
    case JobError::FolderNotMade: return QT_TRANSLATE_NOOP("Varnox", "Der Ordner kann nicht angelegt werden");
    case JobError::ItemTakesArchiveName:
        return QT_TRANSLATE_NOOP("Varnox", "Ein Eintrag hätte im Zielordner den Namen des Archivs");
    case JobError::EditedNotReplaced:
        return QT_TRANSLATE_NOOP("Varnox", "Seit dem Entpacken geänderte Bilder werden nicht ersetzt (%1)");
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
    case JobError::EditorNotStarted:
        return QT_TRANSLATE_NOOP("Varnox", "Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten");
    case JobError::EditorFailed:
        return QT_TRANSLATE_NOOP("Varnox", "Der Bildbearbeiter (VARNOX_EDITOR) endete mit %1");
    case JobError::PictureNotOpened:
        return QT_TRANSLATE_NOOP(
            "Varnox",
            "Das Bild lässt sich nicht öffnen (xdg-open); VARNOX_EDITOR nennt sonst den Bildbearbeiter");
    case JobError::NoTerminal:
        return QT_TRANSLATE_NOOP("Varnox",
                                 "Ohne Terminal lässt sich nicht auf das Speichern warten (VARNOX_EDITOR "
                                 "nennt einen Bildbearbeiter, der bis zum Schließen läuft)");
    case JobError::ArchiveTooLarge:
        return QT_TRANSLATE_NOOP("Varnox", "Das Archiv ist zu groß, um Daten anzuhängen (32-Bit-Offsets)");
    default: break;
    }
    return nullptr;
}

const char* JobText(JobError code)
{
    if (const char* text = ArchiveJobText(code))
        return text;
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
    case JobError::NotResArchive: return QT_TRANSLATE_NOOP("Varnox", "Keine gültige RES-File");
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
    default: break;
    }
    return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
}

std::string CodeText(GfpError code)
{
    return Translate(GfpText(code));
}

std::string CodeText(TgaError code)
{
    return Translate(TgaText(code));
}

std::string CodeText(ResError code)
{
    return Translate(ResText(code));
}

std::string CodeText(ExtractError code)
{
    return Translate(ExtractText(code));
}

std::string CodeText(ManifestError code)
{
    return Translate(ManifestText(code));
}

std::string CodeText(IoError code)
{
    const char* text = IoText(code);
    return *text != '\0' ? Translate(text) : std::string();
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

std::string Describe(const ErrorCode& code)
{
    return std::visit([](auto one) { return CodeText(one); }, code);
}

std::string Describe(const Error& error)
{
    std::vector<std::string> args = error.args;
    if (error.cause)
        args.push_back(Describe(*error.cause));
    std::string text = FillIn(Describe(error.code), args);
    if (error.line > 0)
        text = TranslateWith(JobText(JobError::ManifestLine), {std::to_string(error.line), text});
    if (!error.item.empty())
        text = error.item + ": " + text;
    if (!error.detail.empty())
        text += ": " + error.detail;
    if (error.system)
        text += (text.empty() ? "" : ": ") + SystemText(error.system);
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
