// varnox-cli: the archive report, unpack, extract, pack, replace and both picture conversions
// from a shell.

#include "cli/commands.h"

#include <cstdio>
#include <iostream>
#include <new>
#include <string_view>

#ifndef VARNOX_VERSION
#define VARNOX_VERSION "0.1"
#endif

namespace {

constexpr const char* kUsage =
    "Aufruf: varnox-cli BEFEHL ...\n"
    "\n"
    "Befehle:\n"
    "  report ARCHIV                       Bericht über Kopf und Verzeichnis eines RES-Archivs\n"
    "  unpack ARCHIV                       wie report, schreibt dazu jedes Bild als .gfp\n"
    "                                      in einen Ordner neben dem Archiv\n"
    "  gfp2tga [-j N] GFP...               jede GFP als 24-Bit-TGA daneben schreiben,\n"
    "                                      mit N Dateien zugleich (Vorgabe: ein je Kern)\n"
    "  gfp2png [-j N] GFP...               jede GFP als 24-Bit-PNG daneben schreiben\n"
    "  tga2gfp [--uncompressed | --fast] TGA GFP\n"
    "                                      das Bild der GFP durch die TGA ersetzen\n"
    "                                      (die alte GFP wird nach GFP.bak kopiert);\n"
    "                                      --fast packt schneller (libdeflate)\n"
    "  png2gfp [--uncompressed | --fast] PNG GFP\n"
    "                                      ebenso mit einer PNG\n"
    "  extract ARCHIV [ORDNER]             jeden Eintrag als Datei in ORDNER schreiben (sonst\n"
    "                                      der Ordner von unpack), dazu die Beschreibung\n"
    "                                      archive.txt\n"
    "  pack ORDNER ARCHIV                  aus ORDNER und seiner archive.txt ein Archiv bauen\n"
    "                                      (ein altes ARCHIV wird nach ARCHIV.bak gesichert)\n"
    "  replace [--uncompressed | --fast] ARCHIV EINTRAG DATEI\n"
    "                                      das Bild EINTRAG (Name oder #N) durch eine GFP, TGA\n"
    "                                      oder PNG ersetzen (altes ARCHIV nach ARCHIV.bak)\n"
    "\n"
    "  --help       diese Hilfe\n"
    "  --version    Versionsnummer\n"
    "\n"
    "Rückgabewert: 0 alles gut, 1 eine Eingabe wurde abgelehnt oder ist fehlgeschlagen,\n"
    "2 falscher Aufruf.\n";

}  // namespace

namespace varnox::cli {

void PrintError(const std::string& message) { std::cerr << "varnox-cli: " << message << '\n'; }

}  // namespace varnox::cli

int main(int argc, char** argv)
{
    using namespace varnox::cli;
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        if (command == "--help" || command == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
        if (command == "--version") {
            std::cout << "varnox-cli " << VARNOX_VERSION << '\n';
            return kExitOk;
        }
        if (command == "report")
            return RunReport(args, false);
        if (command == "unpack")
            return RunReport(args, true);
        if (command == "gfp2tga")
            return RunGfp2Picture(args, varnox::jobs::PictureFormat::Tga);
        if (command == "gfp2png")
            return RunGfp2Picture(args, varnox::jobs::PictureFormat::Png);
        if (command == "tga2gfp")
            return RunPicture2Gfp(args, varnox::jobs::PictureFormat::Tga);
        if (command == "png2gfp")
            return RunPicture2Gfp(args, varnox::jobs::PictureFormat::Png);
        if (command == "extract")
            return RunExtract(args);
        if (command == "pack")
            return RunPack(args);
        if (command == "replace")
            return RunReplace(args);
    } catch (const std::bad_alloc&) {
        PrintError("Nicht genug Arbeitsspeicher");
        return kExitFailed;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return kExitFailed;
    }
    PrintError("unbekannter Befehl: " + command + " (siehe varnox-cli --help)");
    return kExitUsage;
}
