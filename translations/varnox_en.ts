<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de_DE">
<context>
    <name>Varnox</name>
    <message>
        <source>kein Fehler</source>
        <translation>no error</translation>
    </message>
    <message>
        <source>Die Datei kann nicht geöffnet werden</source>
        <translation>The file cannot be opened</translation>
    </message>
    <message>
        <source>Die Datei beginnt nicht mit &quot;NALP&quot;</source>
        <translation>The file does not begin with &quot;NALP&quot;</translation>
    </message>
    <message>
        <source>Die Datei endet im Bildkopf</source>
        <translation>The file ends inside the picture header</translation>
    </message>
    <message>
        <source>Vor dem Pixelkopf steht kein &quot;NALP&quot;</source>
        <translation>No &quot;NALP&quot; before the pixel header</translation>
    </message>
    <message>
        <source>Die Datei endet im Pixelkopf</source>
        <translation>The file ends inside the pixel header</translation>
    </message>
    <message>
        <source>storedSize ist kleiner als 8</source>
        <translation>storedSize is less than 8</translation>
    </message>
    <message>
        <source>Die Bildgröße ist negativ oder zu groß</source>
        <translation>The picture size is negative or too large</translation>
    </message>
    <message>
        <source>Die Bilddaten reichen über das Dateiende hinaus</source>
        <translation>The picture data run past the end of the file</translation>
    </message>
    <message>
        <source>Die zlib-Daten sind beschädigt</source>
        <translation>The zlib data are damaged</translation>
    </message>
    <message>
        <source>Die Bilddaten sind kürzer als das Bild</source>
        <translation>The picture data are shorter than the picture</translation>
    </message>
    <message>
        <source>unbekannter Fehler</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)</source>
        <translation>The file is shorter than a TGA header (18 bytes)</translation>
    </message>
    <message>
        <source>Bilder mit Farbpalette werden nur mit 8-Bit-Indizes unterstützt</source>
        <translation>Colour-mapped pictures are only supported with 8-bit indices</translation>
    </message>
    <message>
        <source>Graustufenbilder werden nur mit 8 Bit oder 16 Bit (Grau und Alpha) unterstützt</source>
        <translation>Grey pictures are only supported with 8 bits or 16 bits (grey and alpha)</translation>
    </message>
    <message>
        <source>Der Bildtyp wird nicht unterstützt, nur Echtfarb-, Graustufen- und Palettenbilder (Bildtyp 1, 2, 3, 9, 10 oder 11)</source>
        <translation>The image type is not supported, only true-colour, grey and colour-mapped pictures (image type 1, 2, 3, 9, 10 or 11)</translation>
    </message>
    <message>
        <source>Die Farbtiefe wird nicht unterstützt, nur 15, 16, 24 oder 32 Bit</source>
        <translation>The pixel depth is not supported, only 15, 16, 24 or 32 bits</translation>
    </message>
    <message>
        <source>Die Farbpalette fehlt oder hat keine Einträge zu 15, 16, 24 oder 32 Bit</source>
        <translation>The colour map is missing or its entries are not 15, 16, 24 or 32 bits</translation>
    </message>
    <message>
        <source>Ein Farbindex liegt außerhalb der Farbpalette</source>
        <translation>A colour index lies outside the colour map</translation>
    </message>
    <message>
        <source>Breite oder Höhe ist negativ</source>
        <translation>Width or height is negative</translation>
    </message>
    <message>
        <source>Das Bild ist zu groß</source>
        <translation>The picture is too large</translation>
    </message>
    <message>
        <source>Die Pixeldaten sind kürzer als das Bild</source>
        <translation>The pixel data are shorter than the picture</translation>
    </message>
    <message>
        <source>Die lauflängenkodierten Daten reichen über das Bild hinaus</source>
        <translation>The run-length encoded data run past the picture</translation>
    </message>
    <message>
        <source>Die Datei kann nicht gelesen werden</source>
        <translation>The file cannot be read</translation>
    </message>
    <message>
        <source>Die Datei kann nicht geschrieben werden</source>
        <translation>The file cannot be written</translation>
    </message>
    <message>
        <source>Die Datei darf nicht überschrieben werden</source>
        <translation>The file may not be overwritten</translation>
    </message>
    <message>
        <source>Die Sicherungskopie kann nicht geschrieben werden</source>
        <translation>The backup copy cannot be written</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für dieses Bild</source>
        <translation>Not enough memory for this picture</translation>
    </message>
    <message>
        <source>Abgebrochen</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>Die Datei wird gerade von einem anderen Vorgang geschrieben</source>
        <translation>The file is being written by another task</translation>
    </message>
    <message>
        <source>Die Datei wurde inzwischen geändert</source>
        <translation>The file was changed meanwhile</translation>
    </message>
    <message>
        <source>Keine PNG-Datei (die Signatur fehlt)</source>
        <translation>Not a PNG file (the signature is missing)</translation>
    </message>
    <message>
        <source>Die PNG-Datei ist beschädigt</source>
        <translation>The PNG file is damaged</translation>
    </message>
    <message>
        <source>Breite oder Höhe ist 0</source>
        <translation>Width or height is 0</translation>
    </message>
    <message>
        <source>Diese PNG-Art wird nicht unterstützt</source>
        <translation>This kind of PNG is not supported</translation>
    </message>
    <message>
        <source>Unbekanntes Kompressions-, Filter- oder Zeilensprungverfahren</source>
        <translation>Unknown compression, filter or interlace method</translation>
    </message>
    <message>
        <source>Gleicher Name wie das schon entpackte %1. Item</source>
        <translation>Same name as item %1 (counted from 1), already unpacked</translation>
    </message>
    <message>
        <source>Der Ordner kann nicht auf den Datenträger geschrieben werden</source>
        <translation>The folder cannot be written to the disk</translation>
    </message>
    <message>
        <source>bitsPerPixel %1 ist kleiner als 7 (keine ganzen Bytes je Pixel)</source>
        <translation>bitsPerPixel %1 is less than 7 (no whole bytes per pixel)</translation>
    </message>
    <message>
        <source>Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei</source>
        <translation>Width or height is greater than 32767, too large for a TGA file</translation>
    </message>
    <message>
        <source>Der Dateiname endet nicht auf .gfp</source>
        <translation>The file name does not end in .gfp</translation>
    </message>
    <message>
        <source>Ist ein symbolischer Link; gepackt werden nur gewöhnliche Dateien</source>
        <translation>Is a symbolic link; only regular files are packed</translation>
    </message>
    <message>
        <source>Ist eine FIFO; gepackt werden nur gewöhnliche Dateien</source>
        <translation>Is a FIFO; only regular files are packed</translation>
    </message>
    <message>
        <source>Ist ein Gerät; gepackt werden nur gewöhnliche Dateien</source>
        <translation>Is a device; only regular files are packed</translation>
    </message>
    <message>
        <source>Ist ein Ordner; gepackt werden nur gewöhnliche Dateien</source>
        <translation>Is a folder; only regular files are packed</translation>
    </message>
    <message>
        <source>Keine gewöhnliche Datei</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>%1: Sowohl %2 als auch %3 wurden geändert; bitte nur eine der beiden Dateien ändern</source>
        <translation>%1: both %2 and %3 were changed; please change only one of the two files</translation>
    </message>
    <message>
        <source>Der Name enthält &quot;/&quot; oder &quot;\&quot; oder ist &quot;.&quot; oder &quot;..&quot;</source>
        <translation>The name contains &quot;/&quot; or &quot;\&quot; or is &quot;.&quot; or &quot;..&quot;</translation>
    </message>
    <message>
        <source>Der Name enthält Steuerzeichen</source>
        <translation>The name contains control characters</translation>
    </message>
    <message>
        <source>Das Archiv kann nicht geöffnet werden</source>
        <translation>The archive cannot be opened</translation>
    </message>
    <message>
        <source>Itemdataoffset liegt außerhalb der Datei</source>
        <translation>Itemdataoffset lies outside the file</translation>
    </message>
    <message>
        <source>Die Daten beginnen nicht mit &quot;NALP&quot;</source>
        <translation>The data do not begin with &quot;NALP&quot;</translation>
    </message>
    <message>
        <source>Die Kopfblöcke reichen über das Dateiende hinaus</source>
        <translation>The header blocks run past the end of the file</translation>
    </message>
    <message>
        <source>Die Länge der Bilddaten ist negativ oder zu groß</source>
        <translation>The length of the picture data is negative or too large</translation>
    </message>
    <message>
        <source>Der Archivname ohne seine letzten vier Zeichen ist kein Ordnername (leer, &quot;.&quot; oder &quot;..&quot;)</source>
        <translation>The archive name without its last four characters is no folder name (empty, &quot;.&quot; or &quot;..&quot;)</translation>
    </message>
    <message>
        <source>Der Entpackordner ist kein echter Ordner, sondern eine Datei oder ein symbolischer Link</source>
        <translation>The unpack folder is not a real folder but a file or a symbolic link</translation>
    </message>
    <message>
        <source>Die Zeile ist kein gültiger UTF-8-Text</source>
        <translation>The line is not valid UTF-8 text</translation>
    </message>
    <message>
        <source>Die Beschreibung beginnt nicht mit &quot;varnox-archiv 1&quot;</source>
        <translation>The manifest does not begin with &quot;varnox-archiv 1&quot;</translation>
    </message>
    <message>
        <source>Unbekannte Zeile</source>
        <translation>Unknown line</translation>
    </message>
    <message>
        <source>Der Typ ist keine ganze Zahl im 32-Bit-Bereich</source>
        <translation>The type is not a whole number in the 32-bit range</translation>
    </message>
    <message>
        <source>Die Füllung ist weder eine Byteanzahl bis 2147483647 noch &quot;hex:&quot; mit Paaren von Hexziffern noch ein Dateiname in Anführungszeichen</source>
        <translation>The fill is neither a byte count up to 2147483647 nor &quot;hex:&quot; with pairs of hex digits nor a file name in quotes</translation>
    </message>
    <message>
        <source>Eine Zeichenkette ist nicht abgeschlossen oder enthält eine ungültige Escape-Folge</source>
        <translation>A string is not closed or holds an invalid escape sequence</translation>
    </message>
    <message>
        <source>Der Dateiname fehlt, ist &quot;.&quot; oder &quot;..&quot; oder enthält &quot;/&quot;, &quot;\&quot; oder Steuerzeichen</source>
        <translation>The file name is missing, is &quot;.&quot; or &quot;..&quot; or contains &quot;/&quot;, &quot;\&quot; or control characters</translation>
    </message>
    <message>
        <source>Das Namensfeld ist länger als 256 Bytes oder enthält Zeichen außerhalb von Latin-1</source>
        <translation>The name field is longer than 256 bytes or holds characters outside Latin-1</translation>
    </message>
    <message>
        <source>Unbekannte, unvollständige oder doppelte Angabe</source>
        <translation>Unknown, incomplete or repeated setting</translation>
    </message>
    <message>
        <source>Die Zeile &quot;vorspann&quot; steht mehr als einmal da</source>
        <translation>The line &quot;vorspann&quot; appears more than once</translation>
    </message>
    <message>
        <source>Die Zeile &quot;verzeichnis&quot; steht mehr als einmal da</source>
        <translation>The line &quot;verzeichnis&quot; appears more than once</translation>
    </message>
    <message>
        <source>Die Zeile &quot;verzeichnis&quot; fehlt</source>
        <translation>The line &quot;verzeichnis&quot; is missing</translation>
    </message>
    <message>
        <source>Die Beschreibung nennt keinen Eintrag</source>
        <translation>The manifest names no item</translation>
    </message>
    <message>
        <source>Die Beschreibung nennt mehr als 32767 Einträge</source>
        <translation>The manifest names more than 32767 items</translation>
    </message>
    <message>
        <source>Der Eintrag teilt die Datei eines früheren Eintrags und kann keine eigene Füllung haben</source>
        <translation>The item shares the file of an earlier item and cannot have a fill of its own</translation>
    </message>
    <message>
        <source>Die Datei beginnt nicht mit &quot;RESF&quot;</source>
        <translation>The file does not begin with &quot;RESF&quot;</translation>
    </message>
    <message>
        <source>Der Dateikopf ist kürzer als 12 Bytes</source>
        <translation>The file header is shorter than 12 bytes</translation>
    </message>
    <message>
        <source>Infooffset liegt außerhalb des 32-Bit-Bereichs</source>
        <translation>Infooffset lies outside the 32-bit range</translation>
    </message>
    <message>
        <source>Die Anzahl der Einträge liegt nicht zwischen 1 und 32767</source>
        <translation>The number of items is not between 1 and 32767</translation>
    </message>
    <message>
        <source>Dataoffset ist negativ</source>
        <translation>Dataoffset is negative</translation>
    </message>
    <message>
        <source>Das Verzeichnis reicht über das Dateiende hinaus</source>
        <translation>The directory runs past the end of the file</translation>
    </message>
    <message>
        <source>Die Namenstabelle reicht über das Dateiende hinaus</source>
        <translation>The name table runs past the end of the file</translation>
    </message>
    <message>
        <source>Gültige RES-File</source>
        <translation>Valid RES file</translation>
    </message>
    <message>
        <source>Nicht entpackt: %1</source>
        <translation>Not unpacked: %1</translation>
    </message>
    <message>
        <source>Keine gültige RES-File</source>
        <translation>Not a valid RES file</translation>
    </message>
    <message>
        <source>Analysiere tga und gfp</source>
        <translation>Analysing tga and gfp</translation>
    </message>
    <message>
        <source>Packe Daten</source>
        <translation>Packing data</translation>
    </message>
    <message>
        <source>ersetzt: %1 (1 Datei)</source>
        <translation>replaced: %1 (1 file)</translation>
    </message>
    <message>
        <source>ersetzt: %1 (%2 Dateien)</source>
        <translation>replaced: %1 (%2 files)</translation>
    </message>
    <message>
        <source>#%1 ersetzt, an seinem Platz (Itemdataoffset:%2)</source>
        <translation>#%1 replaced in its place (Itemdataoffset:%2)</translation>
    </message>
    <message>
        <source>#%1 ersetzt, ans Dateiende verlegt (Itemdataoffset:%2)</source>
        <translation>#%1 replaced, moved to the end of the file (Itemdataoffset:%2)</translation>
    </message>
    <message>
        <source>%1: Der Name des Archivs ergibt keinen eigenen Ordner; bitte einen ORDNER angeben</source>
        <translation>%1: the archive&apos;s name gives no folder of its own; please name a FOLDER</translation>
    </message>
    <message>
        <source>nicht erhalten: %1</source>
        <translation>not kept: %1</translation>
    </message>
    <message>
        <source>%1 Einträge nach %2 geschrieben</source>
        <translation>%1 items written to %2</translation>
    </message>
    <message>
        <source>%1 Einträge nach %2 gepackt</source>
        <translation>%1 items packed into %2</translation>
    </message>
    <message>
        <source>%1: -j braucht eine ganze Zahl ab 1 (%2)</source>
        <translation>%1: -j needs a whole number from 1 (%2)</translation>
    </message>
    <message>
        <source>%1: unbekannte Option oder leerer Name &quot;%2&quot; (%3)</source>
        <translation>%1: unknown option or empty name &quot;%2&quot; (%3)</translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten</source>
        <translation>The picture editor (VARNOX_EDITOR) cannot be started</translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) endete mit %1</source>
        <translation>The picture editor (VARNOX_EDITOR) ended with %1</translation>
    </message>
    <message>
        <source>Das Bild lässt sich nicht öffnen (xdg-open); VARNOX_EDITOR nennt sonst den Bildbearbeiter</source>
        <translation>The picture cannot be opened (xdg-open); VARNOX_EDITOR can name the picture editor instead</translation>
    </message>
    <message>
        <source>Geöffnet: %1
Nach dem Speichern Enter drücken … </source>
        <translation>Opened: %1
Press Enter after saving … </translation>
    </message>
    <message>
        <source>%1 geändert (die alte Fassung ist %1.bak)</source>
        <translation>%1 changed (the old version is %1.bak)</translation>
    </message>
    <message>
        <source>%1; nichts übernommen; das bearbeitete Bild bleibt in %2</source>
        <translation>%1; nothing taken; the edited picture stays in %2</translation>
    </message>
    <message>
        <source>Das Bild ist unverändert; nichts geschrieben</source>
        <translation>The picture is unchanged; nothing written</translation>
    </message>
    <message>
        <source>%1; das bearbeitete Bild bleibt in %2</source>
        <translation>%1; the edited picture stays in %2</translation>
    </message>
    <message>
        <source>%1; nichts übernommen; das Bild bleibt in %2</source>
        <translation>%1; nothing taken; the picture stays in %2</translation>
    </message>
    <message>
        <source>  --uncompressed  die Pixel ungepackt speichern
  --fast          schneller und kleiner packen (libdeflate); zlib liest es ebenso
</source>
        <translation>  --uncompressed  store the pixels uncompressed
  --fast          pack faster and smaller (libdeflate); zlib reads it all the same
</translation>
    </message>
    <message>
        <source>Rückgabewert: 0 alles gut, 1 eine Eingabe wurde abgelehnt oder ist fehlgeschlagen,
2 falscher Aufruf.
</source>
        <translation>Exit code: 0 all went well, 1 an input was refused or failed,
2 wrong usage.
</translation>
    </message>
    <message>
        <source>report ARCHIV</source>
        <translation>report ARCHIVE</translation>
    </message>
    <message>
        <source>Bericht über Kopf und Verzeichnis eines RES-Archivs</source>
        <translation>report on the header and directory of a RES archive</translation>
    </message>
    <message>
        <source>unpack ARCHIV</source>
        <translation>unpack ARCHIVE</translation>
    </message>
    <message>
        <source>wie report, schreibt dazu jedes Bild als .gfp
in einen Ordner neben dem Archiv</source>
        <translation>as report, and writes each picture as a .gfp
into a folder beside the archive</translation>
    </message>
    <message>
        <source>jede GFP als 24-Bit-PNG daneben schreiben</source>
        <translation>write each GFP as a 24-bit PNG beside it</translation>
    </message>
    <message>
        <source>ebenso mit einer PNG</source>
        <translation>the same from a PNG</translation>
    </message>
    <message>
        <source>pack [--uncompressed | --fast] ORDNER ARCHIV</source>
        <translation>pack [--uncompressed | --fast] FOLDER ARCHIVE</translation>
    </message>
    <message>
        <source>aus ORDNER und seiner archive.txt ein Archiv bauen
(ein altes ARCHIV wird nach ARCHIV.bak gesichert);
eine geänderte PNG/TGA neben einer GFP wird
umgewandelt übernommen</source>
        <translation>build an archive from FOLDER and its archive.txt
(an old ARCHIVE is kept as ARCHIVE.bak);
a changed PNG/TGA beside a GFP is converted
and taken</translation>
    </message>
    <message>
        <source>replace [--uncompressed | --fast] ARCHIV EINTRAG DATEI</source>
        <translation>replace [--uncompressed | --fast] ARCHIVE ITEM FILE</translation>
    </message>
    <message>
        <source>das Bild EINTRAG (Name oder #N) durch eine GFP, TGA
oder PNG ersetzen (altes ARCHIV nach ARCHIV.bak)</source>
        <translation>replace the picture ITEM (a name or #N) by a GFP,
TGA or PNG (the old ARCHIVE to ARCHIVE.bak)</translation>
    </message>
    <message>
        <source>edit [--uncompressed | --fast] ARCHIV EINTRAG | GFP</source>
        <translation>edit [--uncompressed | --fast] ARCHIVE ITEM | GFP</translation>
    </message>
    <message>
        <source>thumbnail [-s GRÖSSE] GFP PNG</source>
        <translation>thumbnail [-s SIZE] GFP PNG</translation>
    </message>
    <message>
        <source>  -s GRÖSSE       die Kantenlänge des Quadrats, 1 bis 4096 (Vorgabe: 256)
</source>
        <translation>  -s SIZE         the side of the square, 1 to 4096 (default: 256)
</translation>
    </message>
    <message>
        <source>help [BEFEHL]</source>
        <translation>help [COMMAND]</translation>
    </message>
    <message>
        <source>diese Hilfe, oder nur die eines Befehls</source>
        <translation>this help, or only that of one command</translation>
    </message>
    <message>
        <source>Aufruf: varnox-cli %1</source>
        <translation>Usage: varnox-cli %1</translation>
    </message>
    <message>
        <source>%1 (Befehle: siehe varnox-cli --help)</source>
        <translation>%1 (commands: see varnox-cli --help)</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher</source>
        <translation>Not enough memory</translation>
    </message>
    <message>
        <source>unbekannter Befehl: %1 (siehe varnox-cli --help)</source>
        <translation>unknown command: %1 (see varnox-cli --help)</translation>
    </message>
    <message>
        <source>%1: %2 Bilder nicht entpackt</source>
        <translation>%1: %2 pictures not unpacked</translation>
    </message>
    <message>
        <source>%1 (GRÖSSE: eine ganze Zahl von 1 bis 4096)</source>
        <translation>%1 (SIZE: a whole number from 1 to 4096)</translation>
    </message>
    <message>
        <source>TGA %1 Bit RLE</source>
        <translation>TGA %1-bit RLE</translation>
    </message>
    <message>
        <source>TGA %1 Bit</source>
        <translation>TGA %1-bit</translation>
    </message>
    <message>
        <source>BEFEHL ...</source>
        <translation>COMMAND ...</translation>
    </message>
    <message>
        <source>Befehle:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>  --help       diese Hilfe (BEFEHL --help: die Hilfe des Befehls)
  --version    Versionsnummer
</source>
        <translation>  --help       this help (COMMAND --help: the help of the command)
  --version    version number
</translation>
    </message>
    <message>
        <source>Optionen:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Das Laufwerk ist nicht in der Liste: %1</source>
        <translation>The drive is not in the list: %1</translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten: %1</source>
        <translation>The picture editor (VARNOX_EDITOR) cannot be started: %1</translation>
    </message>
    <message>
        <source>Kein Programm für PNG-Dateien gefunden; VARNOX_EDITOR nennt sonst den Bildbearbeiter</source>
        <translation>No program for PNG files found; VARNOX_EDITOR can name the picture editor instead</translation>
    </message>
    <message>
        <source>Abgebrochen: </source>
        <translation>Cancelled: </translation>
    </message>
    <message>
        <source>1 Bild entpackt</source>
        <translation>1 picture unpacked</translation>
    </message>
    <message>
        <source>%1 Bilder entpackt</source>
        <translation>%1 pictures unpacked</translation>
    </message>
    <message>
        <source>, %1 nicht entpackt</source>
        <translation>, %1 not unpacked</translation>
    </message>
    <message>
        <source>Grafik</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>Schrift</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Sprite</source>
        <translation>Sprite</translation>
    </message>
    <message>
        <source>unbekannt</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Ton</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>Eintrag vom Typ %1</source>
        <translation>Item of type %1</translation>
    </message>
    <message>
        <source>%1, %2 Bytes: keine Vorschau</source>
        <translation>%1, %2 bytes: no preview</translation>
    </message>
    <message>
        <source>Entpacken</source>
        <translation>Unpack</translation>
    </message>
    <message>
        <source>Typ</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Größe</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Die RES-Archive im Ordner: ein Klick zeigt den Bericht</source>
        <translation>The RES archives in the folder: a click shows the report</translation>
    </message>
    <message>
        <source>Der Bericht des zuletzt gewählten Archivs</source>
        <translation>The report of the archive chosen last</translation>
    </message>
    <message>
        <source>Beim Klick auf ein Archiv seine Bilder in einen Ordner daneben schreiben</source>
        <translation>On a click on an archive, write its pictures into a folder beside it</translation>
    </message>
    <message>
        <source>Der Ordner: Doppelklick oder Enter öffnet</source>
        <translation>The folder: double click or Enter opens</translation>
    </message>
    <message>
        <source>Zeigt nur die Einträge, deren Nummer oder Name den Text enthält (Strg+F)</source>
        <translation>Shows only the items whose number or name contains the text (Ctrl+F)</translation>
    </message>
    <message>
        <source>Suchen (Strg+F)</source>
        <translation>Search (Ctrl+F)</translation>
    </message>
    <message>
        <source>Gezeigte von allen Einträgen</source>
        <translation>Items shown of all items</translation>
    </message>
    <message>
        <source>A&amp;lle entpacken…</source>
        <translation>Unpack a&amp;ll…</translation>
    </message>
    <message>
        <source>Schreibt alle Einträge und archive.txt in einen Ordner</source>
        <translation>Writes every item and archive.txt into a folder</translation>
    </message>
    <message>
        <source>Aus&amp;wahl entpacken…</source>
        <translation>Unpack &amp;selection…</translation>
    </message>
    <message>
        <source>Bilder auch als PN&amp;G</source>
        <translation>Pictures also as PN&amp;G</translation>
    </message>
    <message>
        <source>&quot;Alle entpacken…&quot; schreibt jedes Bild auch als PNG neben seine GFP; &quot;Packen…&quot; übernimmt eine geänderte PNG</source>
        <translation>&quot;Unpack all…&quot; also writes each picture as a PNG beside its GFP; &quot;Pack…&quot; takes a changed PNG</translation>
    </message>
    <message>
        <source>&amp;Packen…</source>
        <translation>&amp;Pack…</translation>
    </message>
    <message>
        <source>Packt einen Ordner mit archive.txt in ein Archiv</source>
        <translation>Packs a folder with archive.txt into an archive</translation>
    </message>
    <message>
        <source>&amp;Ersetzen…</source>
        <translation>&amp;Replace…</translation>
    </message>
    <message>
        <source>Wieder&amp;herstellen</source>
        <translation>Res&amp;tore</translation>
    </message>
    <message>
        <source>Bearbe&amp;iten…</source>
        <translation>&amp;Edit…</translation>
    </message>
    <message>
        <source>Vorschau des gewählten Eintrags</source>
        <translation>Preview of the chosen item</translation>
    </message>
    <message>
        <source>&amp;Konverter</source>
        <translation>&amp;Converter</translation>
    </message>
    <message>
        <source>Zeigt das Fenster zum Umwandeln wieder</source>
        <translation>Shows the converter window again</translation>
    </message>
    <message>
        <source>Fortschritt der laufenden Arbeit</source>
        <translation>Progress of the running work</translation>
    </message>
    <message>
        <source>A&amp;bbrechen</source>
        <translation>Ca&amp;ncel</translation>
    </message>
    <message>
        <source>Bricht die laufende Arbeit nach dem Eintrag in Arbeit ab</source>
        <translation>Stops the running work after the item in hand</translation>
    </message>
    <message>
        <source>%1 von %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>Schreibt die gewählten Einträge in einen Ordner, ohne archive.txt</source>
        <translation>Writes the chosen items into a folder, without archive.txt</translation>
    </message>
    <message>
        <source>Erst Einträge in der Liste wählen</source>
        <translation>First choose items in the list</translation>
    </message>
    <message>
        <source>Öffnet das Bild als PNG im Bildbearbeiter; jede Speicherung wird auf Nachfrage übernommen</source>
        <translation>Opens the picture as a PNG in the picture editor; each save is taken after asking</translation>
    </message>
    <message>
        <source>Holt %1.bak zurück; das jetzige Archiv wird zur .bak</source>
        <translation>Brings back %1.bak; the current archive becomes the .bak</translation>
    </message>
    <message>
        <source>Stellt ein Archiv aus seiner .bak wieder her; erst ein Archiv wählen</source>
        <translation>Restores an archive from its .bak; first choose an archive</translation>
    </message>
    <message>
        <source>Zum gewählten Archiv gibt es keine .bak</source>
        <translation>The chosen archive has no .bak</translation>
    </message>
    <message>
        <source>Während einer laufenden Arbeit nicht möglich</source>
        <translation>Not possible while work is running</translation>
    </message>
    <message>
        <source>Erst ein Archiv wählen</source>
        <translation>First choose an archive</translation>
    </message>
    <message>
        <source>Genau einen Bild-Eintrag wählen</source>
        <translation>Choose exactly one picture item</translation>
    </message>
    <message>
        <source>Nur Bilder (Grafik) lassen sich ersetzen</source>
        <translation>Only pictures (Grafik) can be replaced</translation>
    </message>
    <message>
        <source>Ersetzt das Bild durch eine GFP-, TGA- oder PNG-Datei</source>
        <translation>Replaces the picture by a GFP, TGA or PNG file</translation>
    </message>
    <message>
        <source>Breche ab …</source>
        <translation>Cancelling …</translation>
    </message>
    <message>
        <source>Fehlgeschlagen</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Das Archiv kann nicht ausgewertet werden: %1: %2</source>
        <translation>The archive cannot be read: %1: %2</translation>
    </message>
    <message>
        <source>Kein Archiv</source>
        <translation>No archive</translation>
    </message>
    <message>
        <source>Fertig: %1</source>
        <translation>Done: %1</translation>
    </message>
    <message>
        <source>Fertig</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>Entpacken nach</source>
        <translation>Unpack into</translation>
    </message>
    <message>
        <source>Entpacke …</source>
        <translation>Unpacking …</translation>
    </message>
    <message>
        <source>Die Datei gibt es schon, mit anderem Inhalt:
%1

Soll sie ersetzt werden?</source>
        <translation>The file exists already, with other content:
%1

Replace it?</translation>
    </message>
    <message>
        <source>1 Eintrag entpackt</source>
        <translation>1 item unpacked</translation>
    </message>
    <message>
        <source>%1 Einträge entpackt</source>
        <translation>%1 items unpacked</translation>
    </message>
    <message>
        <source>, %1 ersetzt</source>
        <translation>, %1 replaced</translation>
    </message>
    <message>
        <source>%1 nach %2%3, %4</source>
        <translation>%1 into %2%3, %4</translation>
    </message>
    <message>
        <source>Abgelehnt</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>Ordner mit archive.txt packen</source>
        <translation>Pack a folder with archive.txt</translation>
    </message>
    <message>
        <source>%1: Der Ordner hat keine archive.txt</source>
        <translation>%1: the folder has no archive.txt</translation>
    </message>
    <message>
        <source>Archiv schreiben</source>
        <translation>Write the archive</translation>
    </message>
    <message>
        <source>RES-Archive (*.res)</source>
        <translation>RES archives (*.res)</translation>
    </message>
    <message>
        <source>Das Archiv gibt es schon:
%1

Soll es ersetzt werden? Das alte wird als %2.bak aufbewahrt.</source>
        <translation>The archive exists already:
%1

Replace it? The old one is kept as %2.bak.</translation>
    </message>
    <message>
        <source>Packe …</source>
        <translation>Packing …</translation>
    </message>
    <message>
        <source>Neues Bild wählen</source>
        <translation>Choose the new picture</translation>
    </message>
    <message>
        <source>Bilder (*.gfp *.tga *.png)</source>
        <translation>Pictures (*.gfp *.tga *.png)</translation>
    </message>
    <message>
        <source>Ersetzen?
#%1 %2 in %3 durch %4</source>
        <translation>Replace?
#%1 %2 in %3 by %4</translation>
    </message>
    <message>
        <source>

Das neue Bild ist %1 × %2 groß, das alte %3 × %4.</source>
        <translation>

The new picture is %1 × %2, the old one %3 × %4.</translation>
    </message>
    <message>
        <source>Ersetze …</source>
        <translation>Replacing …</translation>
    </message>
    <message>
        <source>Fertig: #%1 %2 ersetzt</source>
        <translation>Done: #%1 %2 replaced</translation>
    </message>
    <message>
        <source>Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)</source>
        <translation>Restored: %1 (the previous version is now %1.bak)</translation>
    </message>
    <message>
        <source>Im Bildbearbeiter: %1</source>
        <translation>In the picture editor: %1</translation>
    </message>
    <message>
        <source>Änderung an #%1 %2 in %3 übernehmen?</source>
        <translation>Take the change to #%1 %2 in %3?</translation>
    </message>
    <message>
        <source>

Das Bild ist jetzt %1 × %2 groß, bisher %3 × %4.</source>
        <translation>

The picture is now %1 × %2, so far %3 × %4.</translation>
    </message>
    <message>
        <source>%1
Nichts übernommen; das Bild bleibt in %2</source>
        <translation>%1
Nothing taken; the picture stays in %2</translation>
    </message>
    <message>
        <source>Nicht übernommen: #%1</source>
        <translation>Not taken: #%1</translation>
    </message>
    <message>
        <source>Fertig: Änderung an #%1 übernommen</source>
        <translation>Done: change to #%1 taken</translation>
    </message>
    <message>
        <source>Das Archiv wird nicht angezeigt: %1</source>
        <translation>The archive is not shown: %1</translation>
    </message>
    <message>
        <source>%1 nicht ersetzt: %2</source>
        <translation>%1 not replaced: %2</translation>
    </message>
    <message>
        <source> und %1 weitere</source>
        <translation> and %1 more</translation>
    </message>
    <message>
        <source>1 Datei konvertiert</source>
        <translation>1 file converted</translation>
    </message>
    <message>
        <source>%1 Dateien konvertiert</source>
        <translation>%1 files converted</translation>
    </message>
    <message>
        <source>, %1 abgelehnt</source>
        <translation>, %1 refused</translation>
    </message>
    <message>
        <source>, abgebrochen</source>
        <translation>, cancelled</translation>
    </message>
    <message>
        <source>Die Quelldateien im Quellordner</source>
        <translation>The source files in the source folder</translation>
    </message>
    <message>
        <source>Der Quellordner: Doppelklick oder Enter öffnet</source>
        <translation>The source folder: double click or Enter opens</translation>
    </message>
    <message>
        <source>&amp;Quelldatei: </source>
        <translation>S&amp;ource file: </translation>
    </message>
    <message>
        <source>Quelle der Umwandlung</source>
        <translation>Source of the conversion</translation>
    </message>
    <message>
        <source>Der Zielordner: Doppelklick oder Enter öffnet</source>
        <translation>The target folder: double click or Enter opens</translation>
    </message>
    <message>
        <source>Die GFP-Datei, deren Bild ersetzt wird</source>
        <translation>The GFP file whose picture is replaced</translation>
    </message>
    <message>
        <source>&amp;Zieldatei:</source>
        <translation>Tar&amp;get file:</translation>
    </message>
    <message>
        <source>Ziel der Umwandlung</source>
        <translation>Target of the conversion</translation>
    </message>
    <message>
        <source>Laufwerk der Quelle</source>
        <translation>Drive of the source</translation>
    </message>
    <message>
        <source>Laufwerk des Ziels</source>
        <translation>Drive of the target</translation>
    </message>
    <message>
        <source>Wandelt die gewählte Datei um (Enter in einer Dateiliste)</source>
        <translation>Converts the chosen file (Enter in a file list)</translation>
    </message>
    <message>
        <source>TGA oder PNG in eine vorhandene GFP-Datei schreiben</source>
        <translation>Write a TGA or PNG into an existing GFP file</translation>
    </message>
    <message>
        <source>GFP als TGA-Datei neben die Quelle schreiben</source>
        <translation>Write the GFP as a TGA file beside the source</translation>
    </message>
    <message>
        <source>GFP als PNG-Datei neben die Quelle schreiben</source>
        <translation>Write the GFP as a PNG file beside the source</translation>
    </message>
    <message>
        <source>Öffnet das Fenster zum Entpacken von RES-Archiven</source>
        <translation>Opens the window for unpacking RES archives</translation>
    </message>
    <message>
        <source>un&amp;komprimiert</source>
        <translation>unco&amp;mpressed</translation>
    </message>
    <message>
        <source>Die Pixel ungepackt in die GFP-Datei schreiben</source>
        <translation>Write the pixels uncompressed into the GFP file</translation>
    </message>
    <message>
        <source>&amp;schnell packen</source>
        <translation>fa&amp;st packing</translation>
    </message>
    <message>
        <source>Schneller packen, von zlib weiter lesbar</source>
        <translation>Pack faster, still read by zlib</translation>
    </message>
    <message>
        <source>Alle GFP-Dateien der Liste umwandeln</source>
        <translation>Convert every GFP file of the list</translation>
    </message>
    <message>
        <source>Fortschritt der Umwandlung</source>
        <translation>Progress of the conversion</translation>
    </message>
    <message>
        <source>Bricht die laufende Umwandlung ab</source>
        <translation>Stops the running conversion</translation>
    </message>
    <message>
        <source>Vorschau der Quelldatei</source>
        <translation>Preview of the source file</translation>
    </message>
    <message>
        <source>&amp;Wiederherstellen</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>Holt %1.bak zurück; die jetzige Datei wird zur .bak</source>
        <translation>Brings back %1.bak; the current file becomes the .bak</translation>
    </message>
    <message>
        <source>Zur gewählten Zieldatei gibt es keine .bak</source>
        <translation>The chosen target file has no .bak</translation>
    </message>
    <message>
        <source>Stellt eine Zieldatei aus ihrer .bak wieder her; erst eine Zieldatei wählen</source>
        <translation>Restores a target file from its .bak; first choose a target file</translation>
    </message>
    <message>
        <source>Öffnet die gewählte GFP als PNG im Bildbearbeiter; jede Speicherung wird auf Nachfrage übernommen</source>
        <translation>Opens the chosen GFP as a PNG in the picture editor; each save is taken after asking</translation>
    </message>
    <message>
        <source>Erst eine GFP-Datei wählen</source>
        <translation>First choose a GFP file</translation>
    </message>
    <message>
        <source>Das Entpack-Fenster kann nicht geöffnet werden: %1</source>
        <translation>The unpacker window cannot be opened: %1</translation>
    </message>
    <message>
        <source>Die Umwandlung ist fehlgeschlagen: %1: %2</source>
        <translation>The conversion failed: %1: %2</translation>
    </message>
    <message>
        <source>Bitte eine Quelldatei auswählen</source>
        <translation>Please choose a source file</translation>
    </message>
    <message>
        <source>%1 abgelehnt</source>
        <translation>%1 refused</translation>
    </message>
    <message>
        <source>Nicht ersetzt: %1</source>
        <translation>Not replaced: %1</translation>
    </message>
    <message>
        <source>Nicht ersetzt</source>
        <translation>Not replaced</translation>
    </message>
    <message>
        <source>Nicht umgewandelt:</source>
        <translation>Not converted:</translation>
    </message>
    <message>
        <source>Das Bild in %1 ist %2 groß, das neue %3. Trotzdem ersetzen?</source>
        <translation>The picture in %1 is %2, the new one %3. Replace it all the same?</translation>
    </message>
    <message>
        <source>Bitte eine Quell- und Zieldatei auswählen</source>
        <translation>Please choose a source and a target file</translation>
    </message>
    <message>
        <source>Änderung an %1 übernehmen?</source>
        <translation>Take the change to %1?</translation>
    </message>
    <message>
        <source>Fertig: Änderung an %1 übernommen</source>
        <translation>Done: change to %1 taken</translation>
    </message>
    <message>
        <source>%1 aus %1.bak wiederherstellen?

Die jetzige Fassung wird dabei zu %1.bak; ein zweites Wiederherstellen macht den Schritt rückgängig.</source>
        <translation>Restore %1 from %1.bak?

The current version becomes %1.bak; restoring a second time undoes the step.</translation>
    </message>
    <message>
        <source> – Werkzeug für Modder</source>
        <translation> – a tool for modders</translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für die Vorschau</source>
        <translation>Not enough memory for the preview</translation>
    </message>
    <message>
        <source>Unbekanntes Bildformat</source>
        <translation>Unknown picture format</translation>
    </message>
    <message>
        <source>Lade …</source>
        <translation>Loading …</translation>
    </message>
    <message>
        <source>Das Bild wird nicht angezeigt: %1</source>
        <translation>The picture is not shown: %1</translation>
    </message>
    <message>
        <source>Kein Ordner, kein Archiv (.res) und kein Bild (.gfp, .tga, .png): %1</source>
        <translation>Not a folder, an archive (.res) or a picture (.gfp, .tga, .png): %1</translation>
    </message>
    <message>
        <source>Datei oder Ordner nicht gefunden</source>
        <translation>No such file or folder</translation>
    </message>
    <message>
        <source>Keine Berechtigung</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Ist ein Ordner</source>
        <translation>Is a folder</translation>
    </message>
    <message>
        <source>Ein Teil des Pfades ist kein Ordner</source>
        <translation>A part of the path is not a folder</translation>
    </message>
    <message>
        <source>Der Name ist zu lang</source>
        <translation>The name is too long</translation>
    </message>
    <message>
        <source>Kein Platz mehr auf dem Datenträger</source>
        <translation>No space left on the disk</translation>
    </message>
    <message>
        <source>Das Speicherkontingent ist erschöpft</source>
        <translation>The disk quota is used up</translation>
    </message>
    <message>
        <source>Der Datenträger ist schreibgeschützt</source>
        <translation>The disk is read-only</translation>
    </message>
    <message>
        <source>Ein- oder Ausgabefehler</source>
        <translation>Input or output error</translation>
    </message>
    <message>
        <source>Die Datei ist in Gebrauch</source>
        <translation>The file is in use</translation>
    </message>
    <message>
        <source>Zu viele offene Dateien</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Der Name ist für das Dateisystem ungültig</source>
        <translation>The name is invalid for the file system</translation>
    </message>
    <message>
        <source>Das Bild reicht in die folgenden Daten hinein</source>
        <translation>The picture reaches into the data after it</translation>
    </message>
    <message>
        <source>kein gültiges Bild (%1), als Rohdaten geschrieben</source>
        <translation>not a valid picture (%1), written as raw data</translation>
    </message>
    <message>
        <source>Name schon vergeben, als &quot;%1&quot; geschrieben</source>
        <translation>name taken already, written as &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Der Name taugt nicht als Dateiname, als &quot;%1&quot; geschrieben</source>
        <translation>the name is no good as a file name, written as &quot;%1&quot;</translation>
    </message>
    <message>
        <source>nicht als %1 geschrieben (%2)</source>
        <translation>not written as %1 (%2)</translation>
    </message>
    <message>
        <source>Das Verzeichnis überlappt den Dateikopf</source>
        <translation>The directory overlaps the file header</translation>
    </message>
    <message>
        <source>Die Daten überlappen Dateikopf oder Verzeichnis</source>
        <translation>The data overlap the file header or the directory</translation>
    </message>
    <message>
        <source>Die Daten liegen vor denen eines früheren Eintrags</source>
        <translation>The data lie before those of an earlier item</translation>
    </message>
    <message>
        <source>Die Anordnung der Daten lässt sich nicht nachbauen</source>
        <translation>The layout of the data cannot be rebuilt</translation>
    </message>
    <message>
        <source>Der Ordner kann nicht angelegt werden</source>
        <translation>The folder cannot be made</translation>
    </message>
    <message>
        <source>Ein Eintrag hätte im Zielordner den Namen des Archivs</source>
        <translation>An item would take the archive&apos;s name in the target folder</translation>
    </message>
    <message>
        <source>Das Archiv wird gerade von einem anderen Vorgang geschrieben</source>
        <translation>The archive is being written by another task</translation>
    </message>
    <message>
        <source>Das Archiv wurde inzwischen geändert</source>
        <translation>The archive was changed meanwhile</translation>
    </message>
    <message>
        <source>Die Daten reichen über die 32-Bit-Offsets des Archivs hinaus</source>
        <translation>The data run past the archive&apos;s 32-bit offsets</translation>
    </message>
    <message>
        <source>Die Datei fehlt</source>
        <translation>The file is missing</translation>
    </message>
    <message>
        <source>Die Beschreibung ist größer als 64 MiB</source>
        <translation>The manifest is larger than 64 MiB</translation>
    </message>
    <message>
        <source>Zeile %1: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>Der Dateiname gibt kein Namensfeld: mehr als 256 Zeichen oder Zeichen außerhalb von Latin-1</source>
        <translation>The file name gives no name field: more than 256 characters or characters outside Latin-1</translation>
    </message>
    <message>
        <source>Die Datei hat sich während des Packens geändert</source>
        <translation>The file changed while being packed</translation>
    </message>
    <message>
        <source>Das Archiv liegt im Ordner, der gepackt wird</source>
        <translation>The archive lies in the folder being packed</translation>
    </message>
    <message>
        <source>%1: Das Archiv hat nur die Einträge #0 bis %2</source>
        <translation>%1: the archive has only the items #0 to %2</translation>
    </message>
    <message>
        <source>Kein Eintrag heißt &quot;%1&quot;</source>
        <translation>No item is named &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Mehrere Einträge heißen &quot;%1&quot; (%2); bitte mit #N wählen</source>
        <translation>Several items are named &quot;%1&quot; (%2); please choose with #N</translation>
    </message>
    <message>
        <source>Kein solcher Eintrag</source>
        <translation>No such item</translation>
    </message>
    <message>
        <source>%1 ist kein Bild, sondern %2</source>
        <translation>%1 is not a picture but %2</translation>
    </message>
    <message>
        <source>Das Bild im Archiv ist beschädigt, seine Kopfblöcke lassen sich nicht übernehmen (%1)</source>
        <translation>The picture in the archive is damaged, its header blocks cannot be taken (%1)</translation>
    </message>
    <message>
        <source>Das Archiv ist zu groß, um Daten anzuhängen (32-Bit-Offsets)</source>
        <translation>The archive is too large to append data (32-bit offsets)</translation>
    </message>
    <message>
        <source>GFP, unkomprimiert</source>
        <translation>GFP, uncompressed</translation>
    </message>
    <message>
        <source>; und %1 weitere</source>
        <translation>; and %1 more</translation>
    </message>
    <message>
        <source>exakt</source>
        <translation>exact</translation>
    </message>
    <message>
        <source>nicht exakt: %1</source>
        <translation>not exact: %1</translation>
    </message>
    <message>
        <source>abgebrochen, ohne archive.txt</source>
        <translation>cancelled, without archive.txt</translation>
    </message>
    <message>
        <source>vorhandene Dateien behalten, ohne archive.txt</source>
        <translation>existing files kept, without archive.txt</translation>
    </message>
    <message>
        <source>Auswahl, ohne archive.txt</source>
        <translation>selection, without archive.txt</translation>
    </message>
    <message>
        <source>Das Archiv hat keinen Eintrag mit dieser Nummer</source>
        <translation>The archive has no item of this number</translation>
    </message>
    <message>
        <source>Seit dem Entpacken geänderte Bilder werden nicht ersetzt (%1)</source>
        <translation>Pictures changed since the extract are not replaced (%1)</translation>
    </message>
    <message>
        <source>Ungültige Prüfsumme (erwartet: 8 Hexziffern, bei einem Bild 8 Hexziffern-8 Hexziffern oder fehlt)</source>
        <translation>Invalid checksum (expected: 8 hex digits, for a picture 8 hex digits-8 hex digits or fehlt)</translation>
    </message>
    <message>
        <source>Die Prüfsumme nennt keine Datei eines Eintrags oder Bilds daneben</source>
        <translation>The checksum names no file of an item nor a picture beside one</translation>
    </message>
    <message>
        <source>Die Zeile ist länger als 1 MiB</source>
        <translation>The line is longer than 1 MiB</translation>
    </message>
    <message>
        <source>Mit --overwrite werden sie trotzdem ersetzt.</source>
        <translation>With --overwrite they are replaced anyway.</translation>
    </message>
    <message>
        <source>extract [--png | --tga] [--overwrite] ARCHIV [ORDNER]</source>
        <translation>extract [--png | --tga] [--overwrite] ARCHIVE [FOLDER]</translation>
    </message>
    <message>
        <source>jeden Eintrag als Datei in ORDNER schreiben (sonst
der Ordner von unpack), dazu die Beschreibung
archive.txt; mit --png/--tga jedes Bild auch als
PNG/TGA neben seiner GFP; seit dem letzten Entpacken
geänderte PNG/TGA werden nicht ersetzt</source>
        <translation>write every item as a file into FOLDER (else
the folder of unpack), and the manifest
archive.txt; with --png/--tga each picture also
as a PNG/TGA beside its GFP; a PNG/TGA changed
since the last extract is not replaced</translation>
    </message>
    <message>
        <source>  --png           jedes Bild auch als PNG neben seine GFP schreiben
  --tga           jedes Bild auch als TGA neben seine GFP schreiben
  --overwrite     auch seit dem letzten Entpacken geänderte PNG/TGA ersetzen
</source>
        <translation>  --png           write each picture also as a PNG beside its GFP
  --tga           write each picture also as a TGA beside its GFP
  --overwrite     replace a PNG/TGA changed since the last extract too
</translation>
    </message>
    <message>
        <source>Ohne Terminal lässt sich nicht auf das Speichern warten (VARNOX_EDITOR nennt einen Bildbearbeiter, der bis zum Schließen läuft)</source>
        <translation>Without a terminal there is no waiting for the save (VARNOX_EDITOR names a picture editor that runs until it is closed)</translation>
    </message>
    <message>
        <source>Das Bild ist unverändert. Ist der Bildbearbeiter noch offen? Nach dem Speichern Enter drücken … </source>
        <translation>The picture is unchanged. Is the picture editor still open? Press Enter after saving … </translation>
    </message>
    <message>
        <source>Das Bild ist unverändert (der Bildbearbeiter endete vielleicht vor dem Speichern); nichts übernommen; das Bild bleibt in %1</source>
        <translation>The picture is unchanged (the picture editor may have ended before saving); nothing taken; the picture stays in %1</translation>
    </message>
    <message>
        <source>das Bild EINTRAG (Name oder #N) oder die GFP als PNG
im Bildbearbeiter öffnen (VARNOX_EDITOR, sonst
xdg-open); ein geändert gespeichertes Bild wird
übernommen wie bei replace und png2gfp; die erste
Übernahme legt GFP.bak oder ARCHIV.bak an, spätere
behalten dieses Original</source>
        <translation>open the picture ITEM (a name or #N) or the GFP as
a PNG in the picture editor (VARNOX_EDITOR, else
xdg-open); a picture saved changed is taken
as replace and png2gfp take it; the first save
makes GFP.bak or ARCHIVE.bak, later ones keep
that original</translation>
    </message>
    <message>
        <source>restore DATEI</source>
        <translation>restore FILE</translation>
    </message>
    <message>
        <source>DATEI aus DATEI.bak zurückholen; die ersetzte
Fassung wird DATEI.bak (ein zweites restore
macht es rückgängig)</source>
        <translation>put FILE back from FILE.bak; the replaced
version becomes FILE.bak (a second restore
undoes it)</translation>
    </message>
    <message>
        <source>Noch im Bildbearbeiter:
%1

Trotzdem schließen? Spätere Speicherungen werden nicht mehr übernommen; das Bild bleibt an dieser Stelle.</source>
        <translation>Still in the picture editor:
%1

Close anyway? Later saves will no longer be taken; the picture stays where it is.</translation>
    </message>
    <message>
        <source>Von einem früheren Lauf sind Bilder aus dem Bildbearbeiter übrig:
%1

Im Dateimanager zeigen?</source>
        <translation>Pictures from the picture editor are left from an earlier run:
%1

Show them in the file manager?</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Versteckte Ordner</source>
        <translation>Hidden folders</translation>
    </message>
    <message>
        <source>Zeigt auch versteckte Ordner (Strg+H)</source>
        <translation>Also shows hidden folders (Ctrl+H)</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen…</source>
        <translation>Op&amp;en…</translation>
    </message>
    <message>
        <source>Öffnet ein Archiv über den Dateidialog (Strg+O)</source>
        <translation>Opens an archive through the file dialog (Ctrl+O)</translation>
    </message>
    <message>
        <source>Zeigt nur die Einträge eines Typs</source>
        <translation>Shows only the items of one type</translation>
    </message>
    <message>
        <source>alle</source>
        <translation>all</translation>
    </message>
    <message>
        <source>andere</source>
        <translation>other</translation>
    </message>
    <message>
        <source>Die Bytes des gewählten Eintrags: Offset, Hex und Text (Latin-1)</source>
        <translation>The bytes of the selected item: offset, hex and text (Latin-1)</translation>
    </message>
    <message>
        <source>Ordner</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>Dateien</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Einträge</source>
        <translation>Items</translation>
    </message>
    <message>
        <source>Bericht</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Anzahl</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>Fortschritt</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Archiv öffnen</source>
        <translation>Open archive</translation>
    </message>
    <message>
        <source>… die ersten %1 von %2 Bytes</source>
        <translation>… the first %1 of %2 bytes</translation>
    </message>
    <message>
        <source>&amp;Vorschau</source>
        <translation>&amp;Preview</translation>
    </message>
    <message>
        <source>Als P&amp;NG speichern…</source>
        <translation>Save as P&amp;NG…</translation>
    </message>
    <message>
        <source>E&amp;ntpacken…</source>
        <translation>E&amp;xtract…</translation>
    </message>
    <message>
        <source>Als PNG speichern in</source>
        <translation>Save as PNG into</translation>
    </message>
    <message>
        <source>Die Datei gibt es schon:
%1

Soll sie ersetzt werden?</source>
        <translation>The file exists already:
%1

Shall it be replaced?</translation>
    </message>
    <message>
        <source>Gespeichert: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>Öffn&amp;en…</source>
        <translation>Op&amp;en…</translation>
    </message>
    <message>
        <source>Wählt ein Bild als Quelle oder öffnet ein Archiv, über den Dateidialog (Strg+O)</source>
        <translation>Selects a picture as the source or opens an archive, through the file dialog (Ctrl+O)</translation>
    </message>
    <message>
        <source>Quelldatei</source>
        <translation>Source file</translation>
    </message>
    <message>
        <source>Zieldatei</source>
        <translation>Target file</translation>
    </message>
    <message>
        <source>Quellordner</source>
        <translation>Source folders</translation>
    </message>
    <message>
        <source>Zielordner</source>
        <translation>Target folders</translation>
    </message>
    <message>
        <source>Pfad der Quelle</source>
        <translation>Source path</translation>
    </message>
    <message>
        <source>Pfad des Ziels</source>
        <translation>Target path</translation>
    </message>
    <message>
        <source>Bild oder Archiv öffnen</source>
        <translation>Open picture or archive</translation>
    </message>
    <message>
        <source>Bilder und Archive (*.gfp *.tga *.png *.res)</source>
        <translation>Pictures and archives (*.gfp *.tga *.png *.res)</translation>
    </message>
    <message>
        <source>&amp;Ja</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nein</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Ja, &amp;alle</source>
        <translation>Yes to &amp;all</translation>
    </message>
    <message>
        <source>&amp;Immer für dieses Bild</source>
        <translation>&amp;Always for this picture</translation>
    </message>
    <message>
        <source>Pfad</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Der Ordner der Liste: einen Pfad tippen oder einfügen, Enter geht hin; die Liste bietet die zuletzt benutzten Ordner und die Orte des Spiels</source>
        <translation>The folder of the list: type or paste a path, Enter goes there; the list offers the folders used last and the places of the game</translation>
    </message>
    <message>
        <source>Filter leeren</source>
        <translation>Clear filter</translation>
    </message>
    <message>
        <source>Originalgröße</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>Zeigt das Bild Pixel für Pixel oder eingepasst (Strg+1)</source>
        <translation>Shows the picture pixel for pixel or fitted (Ctrl+1)</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Den Pfad gibt es nicht: %1</source>
        <translation>The path does not exist: %1</translation>
    </message>
    <message>
        <source>Die Einträge des Archivs; mehrere mit Strg oder Umschalt wählen. Hinausziehen gibt Bilder als PNG, andere Einträge als Dateien; ein Bild auf ein Bild ziehen ersetzt es</source>
        <translation>The items of the archive; select several with Ctrl or Shift. Dragging out gives pictures as PNG, other items as files; a picture dragged onto a picture replaces it</translation>
    </message>
    <message>
        <source>Die Einträge des Archivs; mehrere mit Strg oder Umschalt wählen. Hinausziehen gibt Bilder als GFP, andere Einträge als Dateien; ein Bild auf ein Bild ziehen ersetzt es</source>
        <translation>The items of the archive; select several with Ctrl or Shift. Dragging out gives pictures as GFP, other items as files; a picture dragged onto a picture replaces it</translation>
    </message>
    <message>
        <source>%1 wiederhergestellt (die ersetzte Fassung ist jetzt %1.bak)</source>
        <translation>%1 restored (the replaced version is now %1.bak)</translation>
    </message>
    <message>
        <source>%1 Bilder wurden seit dem Entpacken bearbeitet:
%2

Sollen sie durch die Bilder des Archivs ersetzt werden?</source>
        <translation>%1 pictures were edited since they were extracted:
%2

Shall they be replaced by the pictures of the archive?</translation>
    </message>
    <message>
        <source>Packen abgebrochen; %1 bleibt, wie es war</source>
        <translation>Packing cancelled; %1 stays as it was</translation>
    </message>
    <message>
        <source>  -h, --help      diese Hilfe</source>
        <translation>  -h, --help      this help</translation>
    </message>
    <message>
        <source>  --              was folgt, sind Dateien, auch wenn sie mit - beginnen</source>
        <translation>  --              what follows are files, even when they begin with -</translation>
    </message>
    <message>
        <source>%1: %2 braucht einen Wert (%3)</source>
        <translation>%1: %2 needs a value (%3)</translation>
    </message>
    <message>
        <source>%1: %2 nimmt keinen Wert (%3)</source>
        <translation>%1: %2 takes no value (%3)</translation>
    </message>
    <message>
        <source>%1: %2 schließt eine andere Angabe aus oder steht doppelt da (%3)</source>
        <translation>%1: %2 excludes another option or is given twice (%3)</translation>
    </message>
    <message>
        <source>Der Ordner kann nicht gelesen werden: %1</source>
        <translation>The folder cannot be read: %1</translation>
    </message>
    <message>
        <source>jede geschriebene Datei ist vollständig, archive.txt fehlt, bis extract ganz durchläuft</source>
        <translation>every file written is whole; archive.txt is missing until an extract runs to its end</translation>
    </message>
    <message>
        <source>das Archiv blieb, wie es war</source>
        <translation>the archive was left as it was</translation>
    </message>
    <message>
        <source>Zeilen</source>
        <translation>rows</translation>
    </message>
    <message>
        <source>jede angefangene Datei blieb, wie sie war</source>
        <translation>every file in hand was left as it was</translation>
    </message>
    <message>
        <source>die GFP blieb, wie sie war</source>
        <translation>the GFP was left as it was</translation>
    </message>
    <message>
        <source>  -q, --quiet     nur Fehler ausgeben, auch keinen Fortschritt
  -v, --verbose   jede geschriebene Datei nennen
</source>
        <translation>  -q, --quiet     print errors only, no progress either
  -v, --verbose   name each file written
</translation>
    </message>
    <message>
        <source>  -j N            N Dateien zugleich umwandeln (Vorgabe: eine je Kern)
  -o DATEI        das Bild der einen GFP nach DATEI schreiben;
                  - schreibt es auf die Standardausgabe
</source>
        <translation>  -j N            convert N files at a time (default: one per core)
  -o FILE         write the picture of the one GFP to FILE;
                  - writes it to standard output
</translation>
    </message>
    <message>
        <source>gfp2tga [-j N] [-o DATEI] GFP...</source>
        <translation>gfp2tga [-j N] [-o FILE] GFP...</translation>
    </message>
    <message>
        <source>jede GFP als 24-Bit-TGA daneben schreiben,
mit N Dateien zugleich (Vorgabe: ein je Kern);
mit -o eine GFP nach DATEI (- liest oder
schreibt einen Datenstrom)</source>
        <translation>write each GFP as a 24-bit TGA beside it,
N files at a time (default: one per core);
with -o one GFP to FILE (- reads or writes
a stream)</translation>
    </message>
    <message>
        <source>gfp2png [-j N] [-o DATEI] GFP...</source>
        <translation>gfp2png [-j N] [-o FILE] GFP...</translation>
    </message>
    <message>
        <source>das Bild der GFP durch die TGA ersetzen
(die alte GFP wird nach GFP.bak kopiert);
--fast packt schneller (libdeflate);
TGA - liest die Standardeingabe</source>
        <translation>replace the picture of the GFP by the TGA
(the old GFP is copied to GFP.bak);
--fast packs faster (libdeflate);
TGA - reads standard input</translation>
    </message>
    <message>
        <source>die GFP verkleinert als PNG schreiben, in ein Quadrat
von GRÖSSE Pixeln eingepasst (Vorgabe 256, nie
größer als das Bild); eine beschädigte GFP ergibt
keine PNG; - als GFP oder PNG liest die
Standardeingabe oder schreibt die Standardausgabe</source>
        <translation>write the GFP reduced as a PNG, fitted into a
square of SIZE pixels (default 256, never larger
than the picture); a damaged GFP gives no PNG;
- as GFP or PNG reads standard input or writes
standard output</translation>
    </message>
    <message>
        <source>%1,%2 %3</source>
        <translation>%1.%2 %3</translation>
    </message>
    <message>
        <source>noch %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>abgebrochen</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>Bilder</source>
        <translation>pictures</translation>
    </message>
    <message>
        <source>jede geschriebene GFP ist vollständig</source>
        <translation>every GFP written is whole</translation>
    </message>
    <message>
        <source>Benutzerbefehle</source>
        <translation>User Commands</translation>
    </message>
    <message>
        <source>BEZEICHNUNG</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>ÜBERSICHT</source>
        <translation>SYNOPSIS</translation>
    </message>
    <message>
        <source>BESCHREIBUNG</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>BEFEHLE</source>
        <translation>COMMANDS</translation>
    </message>
    <message>
        <source>OPTIONEN</source>
        <translation>OPTIONS</translation>
    </message>
    <message>
        <source>AUFRUF</source>
        <translation>ARGUMENTS</translation>
    </message>
    <message>
        <source>SPRACHE</source>
        <translation>LANGUAGE</translation>
    </message>
    <message>
        <source>RÜCKGABEWERT</source>
        <translation>EXIT STATUS</translation>
    </message>
    <message>
        <source>UMGEBUNG</source>
        <translation>ENVIRONMENT</translation>
    </message>
    <message>
        <source>DATEIEN</source>
        <translation>FILES</translation>
    </message>
    <message>
        <source>BEISPIELE</source>
        <translation>EXAMPLES</translation>
    </message>
    <message>
        <source>SIEHE AUCH</source>
        <translation>SEE ALSO</translation>
    </message>
    <message>
        <source>RES-Archive und GFP-Bilder auf der Kommandozeile auswerten, entpacken und umwandeln</source>
        <translation>report, unpack and convert RES archives and GFP pictures on the command line</translation>
    </message>
    <message>
        <source>BEFEHL [OPTION ...] [--] ARGUMENT ...</source>
        <translation>COMMAND [OPTION ...] [--] ARGUMENT ...</translation>
    </message>
    <message>
        <source>BEFEHL --help</source>
        <translation>COMMAND --help</translation>
    </message>
    <message>
        <source>varnox-cli arbeitet mit den Dateien eines Spiels: RES-Archiven (.res, beginnen mit „RESF“) und GFP-Bildern (.gfp, beginnen mit „NALP“; RGB565-Pixel, meist mit zlib gepackt). Es berichtet über Archive, nimmt ihre Einträge heraus und packt sie wieder, wandelt GFP-Bilder in TGA- und PNG-Dateien und zurück und schreibt kleine Vorschaubilder für Dateimanager. Es tut dasselbe wie die Fenster von varnox(1).</source>
        <translation>varnox-cli works with the data files of one game: RES archives (.res, beginning with &quot;RESF&quot;) and GFP pictures (.gfp, beginning with &quot;NALP&quot;; RGB565 pixels, mostly packed with zlib). It reports on archives, takes their items out and packs them again, converts GFP pictures into TGA and PNG files and back, and writes small thumbnails for file managers. It does what the windows of varnox(1) do.</translation>
    </message>
    <message>
        <source>Eine Datei wird nie halb geschrieben: jede neue Datei entsteht unter einem vorläufigen Namen und ersetzt die alte erst, wenn sie vollständig ist. Eine abgelehnte Eingabe lässt jede vorhandene Datei, wie sie war. Wer eine Datei ersetzt, ersetzt nur die, die er gelesen hat: hat ein anderes Programm sie inzwischen geändert, bleibt sie, wie es sie hinterließ, und der Befehl lehnt ab.</source>
        <translation>A file is never written halfway: every new file is made under a temporary name and replaces the old one only when it is complete. A refused input leaves every existing file as it was. A command replaces only the file it read: one another program changed meanwhile stays as that program left it, and the command refuses.</translation>
    </message>
    <message>
        <source>Optionen stehen vor, zwischen oder nach den Argumenten: -- beendet sie, lange Optionen nehmen ihren Wert als --size=128 oder --size 128, kurze als -s 128 oder -s128. Die Optionen eines Befehls stehen bei ihm unter BEFEHLE; jeder Befehl nimmt dazu diese:</source>
        <translation>Options go before, between or after the arguments: -- ends them, long options take their value as --size=128 or --size 128, short ones as -s 128 or -s128. The options of a command are listed with it under COMMANDS; every command takes these as well:</translation>
    </message>
    <message>
        <source>Der Ordner heißt wie das Archiv ohne .res.</source>
        <translation>The folder is named after the archive without .res.</translation>
    </message>
    <message>
        <source>bild.gfp wird bild.tga. Meldungen und Rückgabewert sind dieselben wie mit einer Datei zur Zeit.</source>
        <translation>picture.gfp becomes picture.tga. Messages and exit status are the same as with one file at a time.</translation>
    </message>
    <message>
        <source>Die Kopfblöcke der GFP bleiben, bis auf Größe und Speicherart. TGAs werden in Echtfarbe (15, 16, 24, 32 Bit), Graustufen und mit Farbpalette gelesen, roh oder lauflängenkodiert, in jeder Ausrichtung.</source>
        <translation>The header blocks of the GFP stay, but for size and storage. TGAs are read true-colour (15, 16, 24, 32 bit), grey and colour-mapped, raw or run-length encoded, in any origin.</translation>
    </message>
    <message>
        <source>PNGs jeder Farbart und Tiefe; Alpha wird verworfen. Dieselben Pixel ergeben dieselbe GFP wie aus einer TGA.</source>
        <translation>PNGs of every colour type and depth; alpha is dropped. The same pixels give the same GFP as from a TGA.</translation>
    </message>
    <message>
        <source>Bilder werden .gfp, die übrigen Einträge .sound, .font, .sprite oder .typeCode. Die letzte Zeile sagt, ob das Packen des unveränderten Ordners das Archiv Byte für Byte zurückgibt („exakt“) oder warum nicht. archive.txt hält die CRC-32 jeder geschriebenen Datei fest, bei einem Bild neben der GFP auch die seiner Pixel. Vorhandene Dateien anderen Inhalts werden ersetzt und genannt; wurde ein Bild neben einer GFP seit dem letzten extract geändert, schreibt extract nichts, nennt es und endet mit 1.</source>
        <translation>Pictures become .gfp, the other items .sound, .font, .sprite or .typeCode. The last line says whether packing the folder unchanged gives the archive back byte for byte (&quot;exakt&quot;) or why not. archive.txt records the CRC-32 of every file written, for a picture beside its GFP also that of its pixels. Existing files of other content are replaced and named; when a picture beside a GFP was changed since the last extract, extract writes nothing, names it and exits with 1.</translation>
    </message>
    <message>
        <source>Eine Datei, deren CRC-32 die der Beschreibung ist, wird Byte für Byte übernommen; ein unveränderter Ordner ergibt so das Archiv Byte für Byte. Wurden zwei geändert (GFP und Bild, oder PNG und TGA), lehnt pack ab und nennt den Eintrag.</source>
        <translation>A file whose CRC-32 is the manifest&apos;s is taken byte for byte, so an unchanged folder gives the archive byte for byte. When two were changed (the GFP and a picture, or the PNG and the TGA), pack refuses and names the item.</translation>
    </message>
    <message>
        <source>Jedes andere Byte des Archivs bleibt.</source>
        <translation>Every other byte of the archive stays.</translation>
    </message>
    <message>
        <source>Das Bild wird in einen eigenen Ordner geschrieben, den nur der Benutzer lesen kann. VARNOX_EDITOR wird über die Shell mit dem Pfad der PNG aufgerufen, und edit wartet auf sein Ende; mit xdg-open wartet edit auf Enter. Verglichen werden die Pixel: ein unverändertes Bild schreibt nichts. Ist die gespeicherte Datei kein lesbares Bild, oder hat ein anderes Programm die Datei inzwischen geändert, bleibt alles, wie es war, und die PNG bleibt mit ihrem Pfad genannt. Eine schreibgeschützte Datei wird abgelehnt, bevor der Bearbeiter öffnet.</source>
        <translation>The picture is written into a folder of its own that only the user can read. VARNOX_EDITOR is run through the shell with the path of the PNG, and edit waits for it to end; with xdg-open, edit waits for Enter. The pixels are compared: an unchanged picture writes nothing. When the saved file is no readable picture, or another program changed the file meanwhile, everything stays as it was, and the PNG is kept and its path named. A write-protected file is refused before the editor opens.</translation>
    </message>
    <message>
        <source>Beide werden in einem Schritt getauscht, wo das Dateisystem es kann, sonst in drei Umbenennungen, die bei einem Fehler zurückgenommen werden. Ein symbolischer Link als DATEI wird verfolgt; eine fehlende .bak, oder eine, die keine gewöhnliche Datei ist, wird abgelehnt.</source>
        <translation>Both are exchanged in one step where the file system can, else in three renames that are undone on failure. A symbolic link as FILE is followed; a missing .bak, or one that is not a regular file, is refused.</translation>
    </message>
    <message>
        <source>Das Seitenverhältnis bleibt; jeder Bildpunkt ist der Mittelwert der Pixel, die auf ihn fallen. Ein Bild mit mehr als 8192 × 8192 Pixeln wird abgelehnt. Dateimanager rufen diesen Befehl über /usr/share/thumbnailers/varnox.thumbnailer auf.</source>
        <translation>The aspect ratio stays; each pixel is the mean of the pixels falling on it. A picture of more than 8192 × 8192 pixels is refused. File managers run this command through /usr/share/thumbnailers/varnox.thumbnailer.</translation>
    </message>
    <message>
        <source>Die Texte sind Englisch, wenn die erste der Variablen LANGUAGE (ihr erster Eintrag), LC_ALL, LC_MESSAGES und LANG, die gesetzt und nicht leer ist, mit „en“ beginnt (etwa LANG=en_US.UTF-8 oder LANGUAGE=en), sonst Deutsch, auch für C und POSIX. Die Wörter des Berichts und von archive.txt sind ein Format und bleiben in beiden Sprachen gleich.</source>
        <translation>The texts are English when the first of the variables LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG that is set and not empty begins with &quot;en&quot; (such as LANG=en_US.UTF-8 or LANGUAGE=en), German otherwise, C and POSIX included. The words of the report and of archive.txt are a format and stay the same in both languages.</translation>
    </message>
    <message>
        <source>Diese Seite gibt es auf Englisch und auf Deutsch; man zeigt die deutsche, wenn die Sprache der Umgebung Deutsch ist (etwa LANG=de_DE.UTF-8).</source>
        <translation>This page exists in English and in German; man shows the German one when the language of the environment is German (such as LANG=de_DE.UTF-8).</translation>
    </message>
    <message>
        <source>Alles gut.</source>
        <translation>All went well.</translation>
    </message>
    <message>
        <source>Eine Eingabe wurde abgelehnt oder ist fehlgeschlagen; die Fehlerausgabe nennt die Datei und den Grund.</source>
        <translation>An input was refused or failed; standard error names the file and the reason.</translation>
    </message>
    <message>
        <source>Falscher Aufruf; die Fehlerausgabe nennt das Argument.</source>
        <translation>A usage error; standard error names the argument.</translation>
    </message>
    <message>
        <source>Die Sprache der Texte, siehe SPRACHE.</source>
        <translation>The language of the texts, see LANGUAGE.</translation>
    </message>
    <message>
        <source>Der Befehl des Bildbearbeiters für edit; er wird über die Shell mit dem Pfad der PNG aufgerufen, wie git $EDITOR aufruft. Ohne ihn öffnet xdg-open das Bild.</source>
        <translation>The picture editor&apos;s command for edit; it is run through the shell with the path of the PNG, as git runs $EDITOR. Without it, xdg-open opens the picture.</translation>
    </message>
    <message>
        <source>DATEI.bak</source>
        <translation>FILE.bak</translation>
    </message>
    <message>
        <source>Die Sicherungskopie, die tga2gfp, png2gfp, pack, replace und edit (und die Fenster) anlegen, bevor sie eine vorhandene Datei ersetzen, mit deren Rechten (ohne Setuid-, Setgid- und Sticky-Bit). Sie liegt neben der Datei, auch wenn diese über einen symbolischen Link erreicht wurde. Ein Ergebnis gleich der Datei schreibt nichts und lässt die ältere Sicherung. Bei edit legt die erste Übernahme sie an; spätere Übernahmen derselben Bearbeitung behalten sie, so bleibt das Original. restore stellt die Datei aus ihr wieder her; die ersetzte Fassung wird die neue .bak.</source>
        <translation>The backup copy tga2gfp, png2gfp, pack, replace and edit (and the windows) make before they replace an existing file, with its permissions (without the setuid, setgid and sticky bits). It lies beside the file, also when that was reached through a symbolic link. A result equal to the file writes nothing and keeps the older backup. With edit the first save makes it; later saves of the same session keep it, so it stays the original. restore puts the file back from it; the replaced version becomes the new .bak.</translation>
    </message>
    <message>
        <source>Die Beschreibung eines mit extract herausgenommenen Archivs: Kopf, Reihenfolge und Art jedes Eintrags, die CRC-32 jeder Datei. pack baut das Archiv nach ihr.</source>
        <translation>The manifest of an archive taken out with extract: the header, the order and kind of every item, the CRC-32 of every file. pack builds the archive from it.</translation>
    </message>
    <message>
        <source>Die Einstellungen der Fenster: die zuletzt benutzten Ordner und ob versteckte Ordner gezeigt werden, gespeichert, sobald sie sich ändern. varnox-cli liest und schreibt keine Einstellungen.</source>
        <translation>The settings of the windows: the folders used last and whether hidden folders are shown, saved as they change. varnox-cli reads and writes no settings.</translation>
    </message>
    <message>
        <source>Die Beispieldateien demo.res, demo.gfp und demo.tga zum Ausprobieren, und unter translations der englische Katalog.</source>
        <translation>The demo files demo.res, demo.gfp and demo.tga to try things on, and under translations the English catalogue.</translation>
    </message>
    <message>
        <source>RES-Archive und GFP-Bilder eines Spiels in Fenstern auswerten, entpacken und umwandeln</source>
        <translation>report, unpack and convert RES archives and GFP pictures of one game in windows</translation>
    </message>
    <message>
        <source>[DATEI | ORDNER]</source>
        <translation>[FILE | FOLDER]</translation>
    </message>
    <message>
        <source>varnox öffnet das Umwandlungsfenster: links die Quelle, rechts das Ziel, dazwischen die Richtung „tga-&gt;gfp“ (TGAs und PNGs in eine vorhandene GFP), „gfp-&gt;tga“ oder „gfp-&gt;png“, die Vorschau des gewählten Bildes mit Größe und Speicherart, „unkomprimiert“ und „schnell packen“. „Convert“ wandelt um und fragt, bevor eine andere Datei ersetzt wird; eine GFP wird vorher nach .bak kopiert. „Wiederherstellen“ holt ein Ziel aus seiner .bak zurück, wie varnox-cli restore.</source>
        <translation>varnox opens the converter window: the source on the left, the target on the right, between them the direction &quot;tga-&gt;gfp&quot; (TGAs and PNGs into an existing GFP), &quot;gfp-&gt;tga&quot; or &quot;gfp-&gt;png&quot;, the preview of the selected picture with its size and storage, &quot;uncompressed&quot; and &quot;fast packing&quot;. &quot;Convert&quot; converts and asks before another file is replaced; a GFP is copied to .bak first. &quot;Restore&quot; puts a target back from its .bak, as varnox-cli restore does.</translation>
    </message>
    <message>
        <source>„unpack“ öffnet das Entpackfenster: ein Klick auf ein RES-Archiv zeigt seinen Bericht und seine Einträge, mit Vorschau eines Bildes. Es entpackt alle Einträge samt archive.txt oder eine Auswahl, packt einen Ordner, ersetzt ein Bild im Archiv (das alte Archiv vorher nach .bak) und öffnet ein Bild im Bildbearbeiter („Bearbeiten…“, wie varnox-cli edit).</source>
        <translation>&quot;unpack&quot; opens the unpacker window: a click on a RES archive shows its report and its items, with a preview of a picture. It unpacks all items with archive.txt or a selection, packs a folder, replaces a picture in the archive (the old archive to .bak first) and opens a picture in the picture editor (&quot;Edit…&quot;, as varnox-cli edit does).</translation>
    </message>
    <message>
        <source>Die Arbeit läuft neben dem Fenster, mit Fortschrittsbalken, Abbrechen und einer Zusammenfassung am Ende; die Listen folgen der Platte.</source>
        <translation>The work runs beside the window, with a progress bar, a cancel button and a summary at its end; the lists follow the disk.</translation>
    </message>
    <message>
        <source>DATEI</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Eine .res-Datei öffnet das Entpackfenster auf ihrem Ordner mit diesem Archiv gewählt. Eine .gfp-, .tga- oder .png-Datei öffnet das Umwandlungsfenster auf ihrem Ordner, die Datei links gewählt, mit der Richtung, die sie liest.</source>
        <translation>A .res file opens the unpacker window on its folder with this archive selected. A .gfp, .tga or .png file opens the converter window on its folder, the file selected on the left, in the direction that reads it.</translation>
    </message>
    <message>
        <source>ORDNER</source>
        <translation>FOLDER</translation>
    </message>
    <message>
        <source>Beide Listen öffnen sich in diesem Ordner.</source>
        <translation>Both lists open in this folder.</translation>
    </message>
    <message>
        <source>Ohne Angabe öffnen sich die Listen in den zuletzt benutzten Ordnern (aus ~/.config/varnox/varnox.conf); beim ersten Start, oder wenn ein gemerkter Ordner fehlt, im persönlichen Ordner.</source>
        <translation>Without an argument the lists open in the folders used last (from ~/.config/varnox/varnox.conf); at the first start, or when a remembered folder is gone, in the home folder.</translation>
    </message>
    <message>
        <source>0, wenn das Fenster geschlossen wurde; ungleich 0, wenn es sich nicht öffnen ließ (etwa ohne Anzeige).</source>
        <translation>0 when the window was closed; not 0 when it could not open (such as without a display).</translation>
    </message>
    <message>
        <source>Der Befehl des Bildbearbeiters für „Bearbeiten…“; er wird über die Shell mit dem Pfad der PNG aufgerufen.</source>
        <translation>The picture editor&apos;s command for &quot;Edit…&quot;; it is run through the shell with the path of the PNG.</translation>
    </message>
    <message>
        <source>Wie bei jedem Qt-Programm die Anzeige (etwa xcb, wayland oder offscreen).</source>
        <translation>As for every Qt program, the display (such as xcb, wayland or offscreen).</translation>
    </message>
    <message>
        <source>Der Menüeintrag; er nennt die Dateitypen application/x-varnox-res und image/x-varnox-gfp, so öffnet der Dateimanager Archive und Bilder mit varnox.</source>
        <translation>The menu entry; it names the file types application/x-varnox-res and image/x-varnox-gfp, so the file manager opens archives and pictures with varnox.</translation>
    </message>
</context>
</TS>
