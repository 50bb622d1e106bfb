#include "cli/help.h"

#include "formats/text.h"

#include <algorithm>

namespace varnox::cli {

namespace {

constexpr std::size_t kColumn = 38; // where the overview's descriptions start
constexpr std::size_t kWidth = 80;  // the longest line of a command's help

constexpr const char* kPackingOptions = QT_TRANSLATE_NOOP(
    "Varnox", "  --uncompressed  die Pixel ungepackt speichern\n"
              "  --fast          schneller und kleiner packen (libdeflate); zlib liest es ebenso\n");

constexpr const char* kExitCodes = QT_TRANSLATE_NOOP(
    "Varnox", "Rückgabewert: 0 alles gut, 1 eine Eingabe wurde abgelehnt oder ist fehlgeschlagen,\n"
              "2 falscher Aufruf.\n");

constexpr const char* kLoudnessOptions =
    QT_TRANSLATE_NOOP("Varnox", "  -q, --quiet     nur Fehler ausgeben, auch keinen Fortschritt\n"
                                "  -v, --verbose   jede geschriebene Datei nennen\n");

constexpr const char* kConvertOptions =
    QT_TRANSLATE_NOOP("Varnox", "  -j N            N Dateien zugleich umwandeln (Vorgabe: eine je Kern)\n"
                                "  -o DATEI        das Bild der einen GFP nach DATEI schreiben;\n"
                                "                  - schreibt es auf die Standardausgabe\n");

// What each command's operands take, for the shells' completion.
constexpr Operand kOnArchive[] = {Operand::Archive};
constexpr Operand kOnGfps[] = {Operand::Gfp};
constexpr Operand kTgaOnGfp[] = {Operand::Tga, Operand::Gfp};
constexpr Operand kPngOnGfp[] = {Operand::Png, Operand::Gfp};
constexpr Operand kArchiveToFolder[] = {Operand::Archive, Operand::Folder};
constexpr Operand kFolderToArchive[] = {Operand::Folder, Operand::Archive};
constexpr Operand kItemOfArchive[] = {Operand::Archive, Operand::Item, Operand::Picture};
constexpr Operand kEditOperands[] = {Operand::ArchiveOrGfp, Operand::Item};
constexpr Operand kGfpToPng[] = {Operand::Gfp, Operand::Png};
constexpr Operand kOnFile[] = {Operand::File};
constexpr Operand kOnCommand[] = {Operand::Command};

// own, then -q and -v, which exclude each other.
std::vector<OptionSpec> WithLoudness(std::initializer_list<OptionSpec> own)
{
    std::vector<OptionSpec> options(own);
    options.push_back({"quiet", 'q', false, 2});
    options.push_back({"verbose", 'v', false, 2});
    return options;
}

// The texts are German and marked for the catalogue; they are translated where printed.
const std::vector<CommandHelp>& CommandTable()
{
    const std::vector<OptionSpec> kPacking =
        WithLoudness({{"uncompressed", 0, false, 1}, {"fast", 0, false, 1}});
    const std::vector<OptionSpec> kJobs = WithLoudness({{"jobs", 'j', true, 0}, {"output", 'o', true, 0}});
    const std::vector<OptionSpec> kNoOptions;
    static const std::vector<CommandHelp> table = {
        {"report", QT_TRANSLATE_NOOP("Varnox", "report ARCHIV"),
         QT_TRANSLATE_NOOP("Varnox", "Bericht über Kopf und Verzeichnis eines RES-Archivs"), "", kNoOptions,
         kOnArchive},
        {"unpack", QT_TRANSLATE_NOOP("Varnox", "unpack ARCHIV"),
         QT_TRANSLATE_NOOP("Varnox", "wie report, schreibt dazu jedes Bild als .gfp\n"
                                     "in einen Ordner neben dem Archiv"),
         "", kNoOptions, kOnArchive},
        {"gfp2tga", QT_TRANSLATE_NOOP("Varnox", "gfp2tga [-j N] [-o DATEI] GFP..."),
         QT_TRANSLATE_NOOP("Varnox", "jede GFP als 24-Bit-TGA daneben schreiben,\n"
                                     "mit N Dateien zugleich (Vorgabe: ein je Kern);\n"
                                     "mit -o eine GFP nach DATEI (- liest oder\n"
                                     "schreibt einen Datenstrom)"),
         kConvertOptions, kJobs, kOnGfps},
        {"gfp2png", QT_TRANSLATE_NOOP("Varnox", "gfp2png [-j N] [-o DATEI] GFP..."),
         QT_TRANSLATE_NOOP("Varnox", "jede GFP als 24-Bit-PNG daneben schreiben"), kConvertOptions, kJobs,
         kOnGfps},
        {"tga2gfp", "tga2gfp [--uncompressed | --fast] TGA GFP",
         QT_TRANSLATE_NOOP("Varnox", "das Bild der GFP durch die TGA ersetzen\n"
                                     "(die alte GFP wird nach GFP.bak kopiert);\n"
                                     "--fast packt schneller (libdeflate);\n"
                                     "TGA - liest die Standardeingabe"),
         kPackingOptions, kPacking, kTgaOnGfp},
        {"png2gfp", "png2gfp [--uncompressed | --fast] PNG GFP",
         QT_TRANSLATE_NOOP("Varnox", "ebenso mit einer PNG"), kPackingOptions, kPacking, kPngOnGfp},
        {"extract", QT_TRANSLATE_NOOP("Varnox", "extract [--png | --tga] [--overwrite] ARCHIV [ORDNER]"),
         QT_TRANSLATE_NOOP("Varnox", "jeden Eintrag als Datei in ORDNER schreiben (sonst\n"
                                     "der Ordner von unpack), dazu die Beschreibung\n"
                                     "archive.txt; mit --png/--tga jedes Bild auch als\n"
                                     "PNG/TGA neben seiner GFP; seit dem letzten Entpacken\n"
                                     "geänderte PNG/TGA werden nicht ersetzt"),
         QT_TRANSLATE_NOOP("Varnox",
                           "  --png           jedes Bild auch als PNG neben seine GFP schreiben\n"
                           "  --tga           jedes Bild auch als TGA neben seine GFP schreiben\n"
                           "  --overwrite     auch seit dem letzten Entpacken geänderte PNG/TGA ersetzen\n"),
         WithLoudness({{"png", 0, false, 1}, {"tga", 0, false, 1}, {"overwrite", 0, false, 0}}),
         kArchiveToFolder},
        {"pack", QT_TRANSLATE_NOOP("Varnox", "pack [--uncompressed | --fast] ORDNER ARCHIV"),
         QT_TRANSLATE_NOOP("Varnox", "aus ORDNER und seiner archive.txt ein Archiv bauen\n"
                                     "(ein altes ARCHIV wird nach ARCHIV.bak gesichert);\n"
                                     "eine geänderte PNG/TGA neben einer GFP wird\n"
                                     "umgewandelt übernommen"),
         kPackingOptions, kPacking, kFolderToArchive},
        {"replace", QT_TRANSLATE_NOOP("Varnox", "replace [--uncompressed | --fast] ARCHIV EINTRAG DATEI"),
         QT_TRANSLATE_NOOP("Varnox", "das Bild EINTRAG (Name oder #N) durch eine GFP, TGA\n"
                                     "oder PNG ersetzen (altes ARCHIV nach ARCHIV.bak)"),
         kPackingOptions, kPacking, kItemOfArchive},
        {"edit", QT_TRANSLATE_NOOP("Varnox", "edit [--uncompressed | --fast] ARCHIV EINTRAG | GFP"),
         QT_TRANSLATE_NOOP("Varnox", "das Bild EINTRAG (Name oder #N) oder die GFP als PNG\n"
                                     "im Bildbearbeiter öffnen (VARNOX_EDITOR, sonst\n"
                                     "xdg-open); ein geändert gespeichertes Bild wird\n"
                                     "übernommen wie bei replace und png2gfp; die erste\n"
                                     "Übernahme legt GFP.bak oder ARCHIV.bak an, spätere\n"
                                     "behalten dieses Original"),
         kPackingOptions, kPacking, kEditOperands},
        {"restore", QT_TRANSLATE_NOOP("Varnox", "restore DATEI"),
         QT_TRANSLATE_NOOP("Varnox", "DATEI aus DATEI.bak zurückholen; die ersetzte\n"
                                     "Fassung wird DATEI.bak (ein zweites restore\n"
                                     "macht es rückgängig)"),
         "", kNoOptions, kOnFile},
        {"thumbnail",
         QT_TRANSLATE_NOOP("Varnox", "thumbnail [-s GRÖSSE] GFP PNG"),
         QT_TRANSLATE_NOOP("Varnox", "die GFP verkleinert als PNG schreiben, in ein Quadrat\n"
                                     "von GRÖSSE Pixeln eingepasst (Vorgabe 256, nie\n"
                                     "größer als das Bild); eine beschädigte GFP ergibt\n"
                                     "keine PNG; - als GFP oder PNG liest die\n"
                                     "Standardeingabe oder schreibt die Standardausgabe"),
         QT_TRANSLATE_NOOP("Varnox",
                           "  -s GRÖSSE       die Kantenlänge des Quadrats, 1 bis 4096 (Vorgabe: 256)\n"),
         {{"size", 's', true, 0}},
         kGfpToPng},
        {"help", QT_TRANSLATE_NOOP("Varnox", "help [BEFEHL]"),
         QT_TRANSLATE_NOOP("Varnox", "diese Hilfe, oder nur die eines Befehls"), "", kNoOptions, kOnCommand},
    };
    return table;
}

// Text with each line but the first indented by indent spaces.
std::string Indented(std::string_view text, std::size_t indent)
{
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '\n')
            out.append(indent, ' ');
    }
    return out;
}

// Columns a UTF-8 text takes: its bytes less the continuation bytes.
std::size_t Columns(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

std::string OverviewEntry(const CommandHelp& command)
{
    std::string line = "  ";
    line += Translate(command.synopsis);
    if (Columns(line) + 1 > kColumn)
        line += '\n' + std::string(kColumn, ' ');
    else
        line.append(kColumn - Columns(line), ' ');
    return line + Indented(Translate(command.summary), kColumn) + '\n';
}

// The summary as one paragraph, its words filled into lines of at most kWidth columns.
std::string Paragraph(std::string_view summary)
{
    std::string text;
    std::size_t lineColumns = 0;
    std::size_t at = 0;
    while (at < summary.size()) {
        const std::size_t end = std::min(summary.find_first_of(" \n", at), summary.size());
        const std::string_view word = summary.substr(at, end - at);
        if (!word.empty()) {
            if (lineColumns > 0 && lineColumns + 1 + Columns(word) > kWidth) {
                text += '\n';
                lineColumns = 0;
            } else if (lineColumns > 0) {
                text += ' ';
                ++lineColumns;
            }
            text += word;
            lineColumns += Columns(word);
        }
        at = end + 1;
    }
    return text;
}

} // namespace

const std::vector<CommandHelp>& Commands()
{
    return CommandTable();
}

std::optional<CommandHelp> FindCommand(std::string_view name)
{
    const std::vector<CommandHelp>& table = CommandTable();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const CommandHelp& command) { return command.name == name; });
    if (found == table.end())
        return std::nullopt;
    return *found;
}

std::string UsageLine(std::string_view command)
{
    const std::optional<CommandHelp> found = FindCommand(command);
    return TranslateWith(QT_TRANSLATE_NOOP("Varnox", "Aufruf: varnox-cli %1"),
                         {found ? Translate(found->synopsis) : std::string(command)});
}

std::string OverviewText()
{
    std::string text = TranslateWith(QT_TRANSLATE_NOOP("Varnox", "Aufruf: varnox-cli %1"),
                                     {Translate(QT_TRANSLATE_NOOP("Varnox", "BEFEHL ..."))}) +
                       "\n\n" + Translate(QT_TRANSLATE_NOOP("Varnox", "Befehle:")) + '\n';
    for (const CommandHelp& command : CommandTable())
        text += OverviewEntry(command);
    text += '\n';
    text += ProgramOptionLines() + '\n';
    text += Translate(kExitCodes);
    return text;
}

std::string CommandText(const CommandHelp& command)
{
    std::string text = UsageLine(command.name) + "\n\n" + Paragraph(Translate(command.summary)) + ".\n\n" +
                       Translate(QT_TRANSLATE_NOOP("Varnox", "Optionen:")) + '\n';
    for (const char* options : OptionTexts(command))
        text += Translate(options);
    text += CommonOptionLines() + '\n';
    text += Translate(kExitCodes);
    return text;
}

std::vector<const char*> OptionTexts(const CommandHelp& command)
{
    std::vector<const char*> texts = {command.options};
    if (std::any_of(command.accepted.begin(), command.accepted.end(),
                    [](const OptionSpec& option) { return option.name == "quiet"; }))
        texts.push_back(kLoudnessOptions);
    return texts;
}

std::string CommonOptionLines()
{
    return Translate(QT_TRANSLATE_NOOP("Varnox", "  -h, --help      diese Hilfe")) + "\n" +
           Translate(QT_TRANSLATE_NOOP(
               "Varnox", "  --              was folgt, sind Dateien, auch wenn sie mit - beginnen")) +
           "\n";
}

std::string ProgramOptionLines()
{
    return Translate(QT_TRANSLATE_NOOP("Varnox",
                                       "  --help       diese Hilfe (BEFEHL --help: die Hilfe des Befehls)\n"
                                       "  --version    Versionsnummer\n"));
}

std::string UsageErrorText(std::string_view command, const UsageError& error)
{
    const char* pattern = QT_TRANSLATE_NOOP("Varnox", "%1: unbekannte Option oder leerer Name \"%2\" (%3)");
    switch (error.kind) {
    case UsageError::Kind::UnknownOption:
    case UsageError::Kind::EmptyArgument: break;
    case UsageError::Kind::MissingValue:
        pattern = QT_TRANSLATE_NOOP("Varnox", "%1: %2 braucht einen Wert (%3)");
        break;
    case UsageError::Kind::UnwantedValue:
        pattern = QT_TRANSLATE_NOOP("Varnox", "%1: %2 nimmt keinen Wert (%3)");
        break;
    case UsageError::Kind::Excluded:
        pattern =
            QT_TRANSLATE_NOOP("Varnox", "%1: %2 schließt eine andere Angabe aus oder steht doppelt da (%3)");
        break;
    }
    return TranslateWith(pattern, {command, error.argument, UsageLine(command)});
}

} // namespace varnox::cli
