#pragma once
// The texts of the manual pages beyond the command table: German, marked for the catalogue,
// translated where a page is written. Plain text; the page writer adds the markup.

#include "formats/text.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

namespace varnox::docs {

// A tagged paragraph: a tag (a file, a variable, an exit code) and its text.
struct ManItem {
    const char* tag;
    const char* text;
};

inline constexpr const char* kUserCommands = QT_TRANSLATE_NOOP("Varnox", "Benutzerbefehle");
inline constexpr const char* kHeadingName = QT_TRANSLATE_NOOP("Varnox", "BEZEICHNUNG");
inline constexpr const char* kHeadingSynopsis = QT_TRANSLATE_NOOP("Varnox", "ÜBERSICHT");
inline constexpr const char* kHeadingDescription = QT_TRANSLATE_NOOP("Varnox", "BESCHREIBUNG");
inline constexpr const char* kHeadingCommands = QT_TRANSLATE_NOOP("Varnox", "BEFEHLE");
inline constexpr const char* kHeadingOptions = QT_TRANSLATE_NOOP("Varnox", "OPTIONEN");
inline constexpr const char* kHeadingArguments = QT_TRANSLATE_NOOP("Varnox", "AUFRUF");
inline constexpr const char* kHeadingLanguage = QT_TRANSLATE_NOOP("Varnox", "SPRACHE");
inline constexpr const char* kHeadingExitStatus = QT_TRANSLATE_NOOP("Varnox", "RÜCKGABEWERT");
inline constexpr const char* kHeadingEnvironment = QT_TRANSLATE_NOOP("Varnox", "UMGEBUNG");
inline constexpr const char* kHeadingFiles = QT_TRANSLATE_NOOP("Varnox", "DATEIEN");
inline constexpr const char* kHeadingExamples = QT_TRANSLATE_NOOP("Varnox", "BEISPIELE");
inline constexpr const char* kHeadingSeeAlso = QT_TRANSLATE_NOOP("Varnox", "SIEHE AUCH");

inline constexpr const char* kCliName = QT_TRANSLATE_NOOP(
    "Varnox", "RES-Archive und GFP-Bilder auf der Kommandozeile auswerten, entpacken und umwandeln");

inline constexpr auto kCliSynopses = std::to_array<const char*>({
    QT_TRANSLATE_NOOP("Varnox", "BEFEHL [OPTION ...] [--] ARGUMENT ..."),
    QT_TRANSLATE_NOOP("Varnox", "help [BEFEHL]"),
    QT_TRANSLATE_NOOP("Varnox", "BEFEHL --help"),
});

inline constexpr auto kCliDescription = std::to_array<const char*>({
    QT_TRANSLATE_NOOP(
        "Varnox", "varnox-cli arbeitet mit den Dateien eines Spiels: RES-Archiven (.res, beginnen mit "
                  "„RESF“) und GFP-Bildern (.gfp, beginnen mit „NALP“; RGB565-Pixel, meist mit zlib "
                  "gepackt). Es berichtet über Archive, nimmt ihre Einträge heraus und packt sie wieder, "
                  "wandelt GFP-Bilder in TGA- und PNG-Dateien und zurück und schreibt kleine Vorschaubilder "
                  "für Dateimanager. Es tut dasselbe wie die Fenster von varnox(1)."),
    QT_TRANSLATE_NOOP(
        "Varnox", "Eine Datei wird nie halb geschrieben: jede neue Datei entsteht unter einem vorläufigen "
                  "Namen und ersetzt die alte erst, wenn sie vollständig ist. Eine abgelehnte Eingabe lässt "
                  "jede vorhandene Datei, wie sie war. Wer eine Datei ersetzt, ersetzt nur die, die er "
                  "gelesen hat: hat ein anderes Programm sie inzwischen geändert, bleibt sie, wie es sie "
                  "hinterließ, und der Befehl lehnt ab."),
});

inline constexpr const char* kOptionsText = QT_TRANSLATE_NOOP(
    "Varnox", "Optionen stehen vor, zwischen oder nach den Argumenten: -- beendet sie, lange Optionen "
              "nehmen ihren Wert als --size=128 oder --size 128, kurze als -s 128 oder -s128. Die Optionen "
              "eines Befehls stehen bei ihm unter BEFEHLE; jeder Befehl nimmt dazu diese:");

// The detailed part of a command's description, after the summary of its help.
inline const char* CommandDetails(std::string_view command)
{
    static const std::vector<std::pair<std::string_view, const char*>> details = {
        {"unpack", QT_TRANSLATE_NOOP("Varnox", "Der Ordner heißt wie das Archiv ohne .res.")},
        {"gfp2tga", QT_TRANSLATE_NOOP("Varnox", "bild.gfp wird bild.tga. Meldungen und Rückgabewert sind "
                                                "dieselben wie mit einer Datei zur Zeit.")},
        {"tga2gfp", QT_TRANSLATE_NOOP(
                        "Varnox", "Die Kopfblöcke der GFP bleiben, bis auf Größe und Speicherart. TGAs "
                                  "werden in Echtfarbe (15, 16, 24, 32 Bit), Graustufen und mit Farbpalette "
                                  "gelesen, roh oder lauflängenkodiert, in jeder Ausrichtung.")},
        {"png2gfp",
         QT_TRANSLATE_NOOP("Varnox", "PNGs jeder Farbart und Tiefe; Alpha wird verworfen. Dieselben "
                                     "Pixel ergeben dieselbe GFP wie aus einer TGA.")},
        {"extract",
         QT_TRANSLATE_NOOP(
             "Varnox", "Bilder werden .gfp, die übrigen Einträge .sound, .font, .sprite oder .typeCode. Die "
                       "letzte Zeile sagt, ob das Packen des unveränderten Ordners das Archiv Byte für Byte "
                       "zurückgibt („exakt“) oder warum nicht. archive.txt hält die CRC-32 jeder "
                       "geschriebenen Datei fest, bei einem Bild neben der GFP auch die seiner Pixel. "
                       "Vorhandene Dateien anderen Inhalts werden ersetzt und genannt; wurde ein Bild neben "
                       "einer GFP seit dem letzten extract geändert, schreibt extract nichts, nennt es und "
                       "endet mit 1.")},
        {"pack", QT_TRANSLATE_NOOP("Varnox",
                                   "Eine Datei, deren CRC-32 die der Beschreibung ist, wird Byte für Byte "
                                   "übernommen; ein unveränderter Ordner ergibt so das Archiv Byte für Byte. "
                                   "Wurden zwei geändert (GFP und Bild, oder PNG und TGA), lehnt pack ab und "
                                   "nennt den Eintrag.")},
        {"replace", QT_TRANSLATE_NOOP("Varnox", "Jedes andere Byte des Archivs bleibt.")},
        {"edit",
         QT_TRANSLATE_NOOP(
             "Varnox", "Das Bild wird in einen eigenen Ordner geschrieben, den nur der Benutzer lesen kann. "
                       "VARNOX_EDITOR wird über die Shell mit dem Pfad der PNG aufgerufen, und edit wartet "
                       "auf sein Ende; mit xdg-open wartet edit auf Enter. Verglichen werden die Pixel: ein "
                       "unverändertes Bild schreibt nichts. Ist die gespeicherte Datei kein lesbares Bild, "
                       "oder hat ein anderes Programm die Datei inzwischen geändert, bleibt alles, wie es "
                       "war, und die PNG bleibt mit ihrem Pfad genannt. Eine schreibgeschützte Datei wird "
                       "abgelehnt, bevor der Bearbeiter öffnet.")},
        {"restore", QT_TRANSLATE_NOOP(
                        "Varnox", "Beide werden in einem Schritt getauscht, wo das Dateisystem es kann, "
                                  "sonst in drei Umbenennungen, die bei einem Fehler zurückgenommen werden. "
                                  "Ein symbolischer Link als DATEI wird verfolgt; eine fehlende .bak, oder "
                                  "eine, die keine gewöhnliche Datei ist, wird abgelehnt.")},
        {"thumbnail",
         QT_TRANSLATE_NOOP(
             "Varnox", "Das Seitenverhältnis bleibt; jeder Bildpunkt ist der Mittelwert der Pixel, die auf "
                       "ihn fallen. Ein Bild mit mehr als 8192 × 8192 Pixeln wird abgelehnt. Dateimanager "
                       "rufen diesen Befehl über /usr/share/thumbnailers/varnox.thumbnailer auf.")},
    };
    for (const auto& [name, text] : details)
        if (name == command)
            return text;
    return nullptr;
}

inline constexpr auto kLanguageText = std::to_array<const char*>({
    QT_TRANSLATE_NOOP(
        "Varnox", "Die Texte sind Englisch, wenn die erste der Variablen LANGUAGE (ihr erster Eintrag), "
                  "LC_ALL, LC_MESSAGES und LANG, die gesetzt und nicht leer ist, mit „en“ beginnt (etwa "
                  "LANG=en_US.UTF-8 oder LANGUAGE=en), sonst Deutsch, auch für C und POSIX. Die Wörter des "
                  "Berichts und von archive.txt sind ein Format und bleiben in beiden Sprachen gleich."),
    QT_TRANSLATE_NOOP("Varnox",
                      "Diese Seite gibt es auf Englisch und auf Deutsch; man zeigt die deutsche, wenn "
                      "die Sprache der Umgebung Deutsch ist (etwa LANG=de_DE.UTF-8)."),
});

inline constexpr auto kCliExitStatus = std::to_array<ManItem>({
    {"0", QT_TRANSLATE_NOOP("Varnox", "Alles gut.")},
    {"1",
     QT_TRANSLATE_NOOP("Varnox", "Eine Eingabe wurde abgelehnt oder ist fehlgeschlagen; die Fehlerausgabe "
                                 "nennt die Datei und den Grund.")},
    {"2", QT_TRANSLATE_NOOP("Varnox", "Falscher Aufruf; die Fehlerausgabe nennt das Argument.")},
});

inline constexpr const char* kLanguageVariables = "LANGUAGE, LC_ALL, LC_MESSAGES, LANG";
inline constexpr const char* kLanguageVariablesText =
    QT_TRANSLATE_NOOP("Varnox", "Die Sprache der Texte, siehe SPRACHE.");

inline constexpr auto kCliEnvironment = std::to_array<ManItem>({
    {"VARNOX_EDITOR", QT_TRANSLATE_NOOP("Varnox", "Der Befehl des Bildbearbeiters für edit; er wird über die "
                                                  "Shell mit dem Pfad der PNG aufgerufen, wie git $EDITOR "
                                                  "aufruft. Ohne ihn öffnet xdg-open das Bild.")},
    {kLanguageVariables, kLanguageVariablesText},
});

inline constexpr const char* kBackupFile = QT_TRANSLATE_NOOP("Varnox", "DATEI.bak");
inline constexpr const char* kBackupText = QT_TRANSLATE_NOOP(
    "Varnox", "Die Sicherungskopie, die tga2gfp, png2gfp, pack, replace und edit (und die Fenster) anlegen, "
              "bevor sie eine vorhandene Datei ersetzen, mit deren Rechten (ohne Setuid-, Setgid- und "
              "Sticky-Bit). Sie liegt neben der Datei, auch wenn diese über einen symbolischen Link erreicht "
              "wurde. Ein Ergebnis gleich der Datei schreibt nichts und lässt die ältere Sicherung. Bei edit "
              "legt die erste Übernahme sie an; spätere Übernahmen derselben Bearbeitung behalten sie, so "
              "bleibt das Original. restore stellt die Datei aus ihr wieder her; die ersetzte Fassung wird "
              "die neue .bak.");
inline constexpr const char* kManifestText = QT_TRANSLATE_NOOP(
    "Varnox", "Die Beschreibung eines mit extract herausgenommenen Archivs: Kopf, Reihenfolge und Art jedes "
              "Eintrags, die CRC-32 jeder Datei. pack baut das Archiv nach ihr.");
inline constexpr const char* kSettingsFile = "~/.config/varnox/varnox.conf";
inline constexpr const char* kSettingsText = QT_TRANSLATE_NOOP(
    "Varnox",
    "Die Einstellungen der Fenster: die zuletzt benutzten Ordner und ob versteckte Ordner gezeigt "
    "werden, gespeichert, sobald sie sich ändern. varnox-cli liest und schreibt keine Einstellungen.");
inline constexpr const char* kDemoFolder = "/usr/share/varnox/";
inline constexpr const char* kDemoText = QT_TRANSLATE_NOOP(
    "Varnox", "Die Beispieldateien demo.res, demo.gfp und demo.tga zum Ausprobieren, und unter translations "
              "der englische Katalog.");

inline constexpr auto kCliFiles = std::to_array<ManItem>({
    {kBackupFile, kBackupText},
    {"archive.txt", kManifestText},
    {kSettingsFile, kSettingsText},
    {kDemoFolder, kDemoText},
});

inline constexpr auto kCliExamples = std::to_array<const char*>({
    "varnox-cli extract demo.res demo",
    "varnox-cli pack demo demo.res",
    "varnox-cli gfp2png -j 2 *.gfp",
    "varnox-cli thumbnail -s 128 demo.gfp demo.png",
});

inline constexpr const char* kWindowsName = QT_TRANSLATE_NOOP(
    "Varnox", "RES-Archive und GFP-Bilder eines Spiels in Fenstern auswerten, entpacken und umwandeln");
inline constexpr const char* kWindowsSynopsis = QT_TRANSLATE_NOOP("Varnox", "[DATEI | ORDNER]");

inline constexpr auto kWindowsDescription = std::to_array<const char*>({
    QT_TRANSLATE_NOOP(
        "Varnox", "varnox öffnet das Umwandlungsfenster: links die Quelle, rechts das Ziel, dazwischen die "
                  "Richtung „tga->gfp“ (TGAs und PNGs in eine vorhandene GFP), „gfp->tga“ oder „gfp->png“, "
                  "die Vorschau des gewählten Bildes mit Größe und Speicherart, „unkomprimiert“ und „schnell "
                  "packen“. „Convert“ wandelt um und fragt, bevor eine andere Datei ersetzt wird; eine GFP "
                  "wird vorher nach .bak kopiert. „Wiederherstellen“ holt ein Ziel aus seiner .bak zurück, "
                  "wie varnox-cli restore."),
    QT_TRANSLATE_NOOP(
        "Varnox", "„unpack“ öffnet das Entpackfenster: ein Klick auf ein RES-Archiv zeigt seinen Bericht und "
                  "seine Einträge, mit Vorschau eines Bildes. Es entpackt alle Einträge samt archive.txt "
                  "oder eine Auswahl, packt einen Ordner, ersetzt ein Bild im Archiv (das alte Archiv vorher "
                  "nach .bak) und öffnet ein Bild im Bildbearbeiter („Bearbeiten…“, wie varnox-cli edit)."),
    QT_TRANSLATE_NOOP("Varnox", "Die Arbeit läuft neben dem Fenster, mit Fortschrittsbalken, Abbrechen und "
                                "einer Zusammenfassung am Ende; die Listen folgen der Platte."),
});

inline constexpr auto kWindowsArguments = std::to_array<ManItem>({
    {QT_TRANSLATE_NOOP("Varnox", "DATEI"),
     QT_TRANSLATE_NOOP("Varnox",
                       "Eine .res-Datei öffnet das Entpackfenster auf ihrem Ordner mit diesem Archiv "
                       "gewählt. Eine .gfp-, .tga- oder .png-Datei öffnet das Umwandlungsfenster auf "
                       "ihrem Ordner, die Datei links gewählt, mit der Richtung, die sie liest.")},
    {QT_TRANSLATE_NOOP("Varnox", "ORDNER"),
     QT_TRANSLATE_NOOP("Varnox", "Beide Listen öffnen sich in diesem Ordner.")},
});

inline constexpr const char* kWindowsNoArgument = QT_TRANSLATE_NOOP(
    "Varnox", "Ohne Angabe öffnen sich die Listen in den zuletzt benutzten Ordnern (aus "
              "~/.config/varnox/varnox.conf); beim ersten Start, oder wenn ein gemerkter Ordner fehlt, im "
              "persönlichen Ordner.");
inline constexpr const char* kWindowsExitStatus = QT_TRANSLATE_NOOP(
    "Varnox", "0, wenn das Fenster geschlossen wurde; ungleich 0, wenn es sich nicht öffnen ließ (etwa ohne "
              "Anzeige).");

inline constexpr auto kWindowsEnvironment = std::to_array<ManItem>({
    {"VARNOX_EDITOR", QT_TRANSLATE_NOOP("Varnox", "Der Befehl des Bildbearbeiters für „Bearbeiten…“; er wird "
                                                  "über die Shell mit dem Pfad der PNG aufgerufen.")},
    {"QT_QPA_PLATFORM",
     QT_TRANSLATE_NOOP("Varnox", "Wie bei jedem Qt-Programm die Anzeige (etwa xcb, wayland "
                                 "oder offscreen).")},
    {kLanguageVariables, kLanguageVariablesText},
});

inline constexpr auto kWindowsFiles = std::to_array<ManItem>({
    {kBackupFile, kBackupText},
    {"archive.txt", kManifestText},
    {kSettingsFile, kSettingsText},
    {kDemoFolder, kDemoText},
    {"/usr/share/applications/varnox.desktop",
     QT_TRANSLATE_NOOP("Varnox",
                       "Der Menüeintrag; er nennt die Dateitypen application/x-varnox-res und "
                       "image/x-varnox-gfp, so öffnet der Dateimanager Archive und Bilder mit varnox.")},
});

} // namespace varnox::docs
