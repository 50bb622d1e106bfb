#include "cli/help.h"

#include <algorithm>

namespace varnox::cli {

namespace {

constexpr std::size_t kColumn = 38; // where the overview's descriptions start
constexpr std::size_t kWidth = 80;  // the longest line of a command's help

constexpr std::string_view kPackingOptions =
    "  --uncompressed  die Pixel ungepackt speichern\n"
    "  --fast          schneller und kleiner packen (libdeflate); zlib liest es ebenso\n";

constexpr std::string_view kExitCodes =
    "Rückgabewert: 0 alles gut, 1 eine Eingabe wurde abgelehnt oder ist fehlgeschlagen,\n"
    "2 falscher Aufruf.\n";

const std::vector<CommandHelp>& CommandTable()
{
    static const std::vector<CommandHelp> table = {
        {"report", "report ARCHIV", "Bericht über Kopf und Verzeichnis eines RES-Archivs", ""},
        {"unpack", "unpack ARCHIV",
         "wie report, schreibt dazu jedes Bild als .gfp\n"
         "in einen Ordner neben dem Archiv",
         ""},
        {"gfp2tga", "gfp2tga [-j N] GFP...",
         "jede GFP als 24-Bit-TGA daneben schreiben,\n"
         "mit N Dateien zugleich (Vorgabe: ein je Kern)",
         "  -j N            N Dateien zugleich umwandeln (Vorgabe: eine je Kern)\n"},
        {"gfp2png", "gfp2png [-j N] GFP...", "jede GFP als 24-Bit-PNG daneben schreiben",
         "  -j N            N Dateien zugleich umwandeln (Vorgabe: eine je Kern)\n"},
        {"tga2gfp", "tga2gfp [--uncompressed | --fast] TGA GFP",
         "das Bild der GFP durch die TGA ersetzen\n"
         "(die alte GFP wird nach GFP.bak kopiert);\n"
         "--fast packt schneller (libdeflate)",
         kPackingOptions},
        {"png2gfp", "png2gfp [--uncompressed | --fast] PNG GFP", "ebenso mit einer PNG", kPackingOptions},
        {"extract", "extract [--png | --tga] ARCHIV [ORDNER]",
         "jeden Eintrag als Datei in ORDNER schreiben (sonst\n"
         "der Ordner von unpack), dazu die Beschreibung\n"
         "archive.txt; mit --png/--tga jedes Bild auch als\n"
         "PNG/TGA neben seiner GFP",
         "  --png           jedes Bild auch als PNG neben seine GFP schreiben\n"
         "  --tga           jedes Bild auch als TGA neben seine GFP schreiben\n"},
        {"pack", "pack [--uncompressed | --fast] ORDNER ARCHIV",
         "aus ORDNER und seiner archive.txt ein Archiv bauen\n"
         "(ein altes ARCHIV wird nach ARCHIV.bak gesichert);\n"
         "eine geänderte PNG/TGA neben einer GFP wird\n"
         "umgewandelt übernommen",
         kPackingOptions},
        {"replace", "replace [--uncompressed | --fast] ARCHIV EINTRAG DATEI",
         "das Bild EINTRAG (Name oder #N) durch eine GFP, TGA\n"
         "oder PNG ersetzen (altes ARCHIV nach ARCHIV.bak)",
         kPackingOptions},
        {"edit", "edit [--uncompressed | --fast] ARCHIV EINTRAG | GFP",
         "das Bild EINTRAG (Name oder #N) oder die GFP als PNG\n"
         "im Bildbearbeiter öffnen (VARNOX_EDITOR, sonst\n"
         "xdg-open); ein geändert gespeichertes Bild wird\n"
         "übernommen wie bei replace und png2gfp",
         kPackingOptions},
        {"thumbnail", "thumbnail [-s GRÖSSE] GFP PNG",
         "die GFP verkleinert als PNG schreiben, in ein Quadrat\n"
         "von GRÖSSE Pixeln eingepasst (Vorgabe 256, nie\n"
         "größer als das Bild); eine beschädigte GFP ergibt\n"
         "keine PNG",
         "  -s GRÖSSE       die Kantenlänge des Quadrats, 1 bis 4096 (Vorgabe: 256)\n"},
        {"help", "help [BEFEHL]", "diese Hilfe, oder nur die eines Befehls", ""},
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
    line += command.synopsis;
    if (Columns(line) + 1 > kColumn)
        line += '\n' + std::string(kColumn, ' ');
    else
        line.append(kColumn - Columns(line), ' ');
    return line + Indented(command.summary, kColumn) + '\n';
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
    return "Aufruf: varnox-cli " + std::string(found ? found->synopsis : command);
}

std::string OverviewText()
{
    std::string text = "Aufruf: varnox-cli BEFEHL ...\n\nBefehle:\n";
    for (const CommandHelp& command : CommandTable())
        text += OverviewEntry(command);
    text += "\n"
            "  --help       diese Hilfe (BEFEHL --help: die Hilfe des Befehls)\n"
            "  --version    Versionsnummer\n"
            "\n";
    text += kExitCodes;
    return text;
}

std::string CommandText(const CommandHelp& command)
{
    std::string text = UsageLine(command.name) + "\n\n" + Paragraph(command.summary) + ".\n\nOptionen:\n";
    text += command.options;
    text += "  --help          diese Hilfe\n\n";
    text += kExitCodes;
    return text;
}

} // namespace varnox::cli
