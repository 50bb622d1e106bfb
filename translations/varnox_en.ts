<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de_DE">
<context>
    <name>Varnox</name>
    <message>
        <source>Überlauf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kein Fehler</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei kann nicht geöffnet werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei beginnt nicht mit &quot;NALP&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei endet im Bildkopf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vor dem Pixelkopf steht kein &quot;NALP&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei endet im Pixelkopf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>storedSize ist kleiner als 8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Bildgröße ist negativ oder zu groß</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Bilddaten reichen über das Dateiende hinaus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die zlib-Daten sind beschädigt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Bilddaten sind kürzer als das Bild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unbekannter Fehler</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bilder mit Farbpalette werden nur mit 8-Bit-Indizes unterstützt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Graustufenbilder werden nur mit 8 Bit oder 16 Bit (Grau und Alpha) unterstützt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Bildtyp wird nicht unterstützt, nur Echtfarb-, Graustufen- und Palettenbilder (Bildtyp 1, 2, 3, 9, 10 oder 11)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Farbtiefe wird nicht unterstützt, nur 15, 16, 24 oder 32 Bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Farbpalette fehlt oder hat keine Einträge zu 15, 16, 24 oder 32 Bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ein Farbindex liegt außerhalb der Farbpalette</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breite oder Höhe ist negativ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Bild ist zu groß</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Pixeldaten sind kürzer als das Bild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die lauflängenkodierten Daten reichen über das Bild hinaus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei kann nicht gelesen werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei kann nicht geschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei darf nicht überschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Sicherungskopie kann nicht geschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für dieses Bild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abgebrochen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei wird gerade von einem anderen Vorgang geschrieben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei wurde inzwischen geändert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine PNG-Datei (die Signatur fehlt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die PNG-Datei ist beschädigt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breite oder Höhe ist 0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Diese PNG-Art wird nicht unterstützt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unbekanntes Kompressions-, Filter- oder Zeilensprungverfahren</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gleicher Name wie das schon entpackte %1. Item</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner kann nicht auf den Datenträger geschrieben werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bitsPerPixel %1 ist kleiner als 7 (keine ganzen Bytes je Pixel)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Dateiname endet nicht auf .gfp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ist ein symbolischer Link; gepackt werden nur gewöhnliche Dateien</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ist eine FIFO; gepackt werden nur gewöhnliche Dateien</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ist ein Gerät; gepackt werden nur gewöhnliche Dateien</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ist ein Ordner; gepackt werden nur gewöhnliche Dateien</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine gewöhnliche Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: Sowohl %2 als auch %3 wurden geändert; bitte nur eine der beiden Dateien ändern</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Name enthält &quot;/&quot; oder &quot;\&quot; oder ist &quot;.&quot; oder &quot;..&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Name enthält Steuerzeichen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Archiv kann nicht geöffnet werden</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Itemdataoffset liegt außerhalb der Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Daten beginnen nicht mit &quot;NALP&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Kopfblöcke reichen über das Dateiende hinaus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Länge der Bilddaten ist negativ oder zu groß</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Archivname ohne seine letzten vier Zeichen ist kein Ordnername (leer, &quot;.&quot; oder &quot;..&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Entpackordner ist kein echter Ordner, sondern eine Datei oder ein symbolischer Link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Zeile ist kein gültiger UTF-8-Text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Beschreibung beginnt nicht mit &quot;varnox-archiv 1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unbekannte Zeile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Typ ist keine ganze Zahl im 32-Bit-Bereich</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Füllung ist weder eine Byteanzahl bis 2147483647 noch &quot;hex:&quot; mit Paaren von Hexziffern noch ein Dateiname in Anführungszeichen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eine Zeichenkette ist nicht abgeschlossen oder enthält eine ungültige Escape-Folge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Dateiname fehlt, ist &quot;.&quot; oder &quot;..&quot; oder enthält &quot;/&quot;, &quot;\&quot; oder Steuerzeichen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Namensfeld ist länger als 256 Bytes oder enthält Zeichen außerhalb von Latin-1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ungültige Prüfsumme (erwartet: 8 Hexziffern-8 Hexziffern)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unbekannte, unvollständige oder doppelte Angabe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Zeile &quot;vorspann&quot; steht mehr als einmal da</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Zeile &quot;verzeichnis&quot; steht mehr als einmal da</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Zeile &quot;verzeichnis&quot; fehlt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Beschreibung nennt keinen Eintrag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Beschreibung nennt mehr als 32767 Einträge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Eintrag teilt die Datei eines früheren Eintrags und kann keine eigene Füllung haben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei beginnt nicht mit &quot;RESF&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Dateikopf ist kürzer als 12 Bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Infooffset liegt außerhalb des 32-Bit-Bereichs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Anzahl der Einträge liegt nicht zwischen 1 und 32767</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dataoffset ist negativ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Verzeichnis reicht über das Dateiende hinaus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Namenstabelle reicht über das Dateiende hinaus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gültige RES-File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht entpackt: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keine gültige RES-File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analysiere tga und gfp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Packe Daten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ersetzt: %1 (1 Datei)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ersetzt: %1 (%2 Dateien)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>#%1 ersetzt, an seinem Platz (Itemdataoffset:%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>#%1 ersetzt, ans Dateiende verlegt (Itemdataoffset:%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: Der Name des Archivs ergibt keinen eigenen Ordner; bitte einen ORDNER angeben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>nicht erhalten: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Einträge nach %2 geschrieben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Einträge nach %2 gepackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: -j braucht eine ganze Zahl ab 1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: unbekannte Option oder leerer Name &quot;%2&quot; (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) endete mit %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Bild lässt sich nicht öffnen (xdg-open); VARNOX_EDITOR nennt sonst den Bildbearbeiter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Geöffnet: %1
Nach dem Speichern Enter drücken … </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 geändert (die alte Fassung ist %1.bak)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; nichts übernommen; das bearbeitete Bild bleibt in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Bild ist unverändert; nichts geschrieben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; das bearbeitete Bild bleibt in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; nichts übernommen; das Bild bleibt in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --uncompressed  die Pixel ungepackt speichern
  --fast          schneller und kleiner packen (libdeflate); zlib liest es ebenso
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rückgabewert: 0 alles gut, 1 eine Eingabe wurde abgelehnt oder ist fehlgeschlagen,
2 falscher Aufruf.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  -j N            N Dateien zugleich umwandeln (Vorgabe: eine je Kern)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>report ARCHIV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bericht über Kopf und Verzeichnis eines RES-Archivs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unpack ARCHIV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wie report, schreibt dazu jedes Bild als .gfp
in einen Ordner neben dem Archiv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>jede GFP als 24-Bit-TGA daneben schreiben,
mit N Dateien zugleich (Vorgabe: ein je Kern)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>jede GFP als 24-Bit-PNG daneben schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Bild der GFP durch die TGA ersetzen
(die alte GFP wird nach GFP.bak kopiert);
--fast packt schneller (libdeflate)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ebenso mit einer PNG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>extract [--png | --tga] ARCHIV [ORDNER]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>jeden Eintrag als Datei in ORDNER schreiben (sonst
der Ordner von unpack), dazu die Beschreibung
archive.txt; mit --png/--tga jedes Bild auch als
PNG/TGA neben seiner GFP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --png           jedes Bild auch als PNG neben seine GFP schreiben
  --tga           jedes Bild auch als TGA neben seine GFP schreiben
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pack [--uncompressed | --fast] ORDNER ARCHIV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>aus ORDNER und seiner archive.txt ein Archiv bauen
(ein altes ARCHIV wird nach ARCHIV.bak gesichert);
eine geänderte PNG/TGA neben einer GFP wird
umgewandelt übernommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>replace [--uncompressed | --fast] ARCHIV EINTRAG DATEI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Bild EINTRAG (Name oder #N) durch eine GFP, TGA
oder PNG ersetzen (altes ARCHIV nach ARCHIV.bak)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>edit [--uncompressed | --fast] ARCHIV EINTRAG | GFP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>das Bild EINTRAG (Name oder #N) oder die GFP als PNG
im Bildbearbeiter öffnen (VARNOX_EDITOR, sonst
xdg-open); ein geändert gespeichertes Bild wird
übernommen wie bei replace und png2gfp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>thumbnail [-s GRÖSSE] GFP PNG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>die GFP verkleinert als PNG schreiben, in ein Quadrat
von GRÖSSE Pixeln eingepasst (Vorgabe 256, nie
größer als das Bild); eine beschädigte GFP ergibt
keine PNG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  -s GRÖSSE       die Kantenlänge des Quadrats, 1 bis 4096 (Vorgabe: 256)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>help [BEFEHL]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>diese Hilfe, oder nur die eines Befehls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aufruf: varnox-cli %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (Befehle: siehe varnox-cli --help)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unbekannter Befehl: %1 (siehe varnox-cli --help)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 Bilder nicht entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (GRÖSSE: eine ganze Zahl von 1 bis 4096)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TGA %1 Bit RLE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TGA %1 Bit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BEFEHL ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Befehle:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --help       diese Hilfe (BEFEHL --help: die Hilfe des Befehls)
  --version    Versionsnummer
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Optionen:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  --help          diese Hilfe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Laufwerk ist nicht in der Liste: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Programm für PNG-Dateien gefunden; VARNOX_EDITOR nennt sonst den Bildbearbeiter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner kann nicht gelesen werden: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abgebrochen: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 Bild entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Bilder entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 nicht entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grafik</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schrift</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sprite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unbekannt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ton</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eintrag vom Typ %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 Bytes: keine Vorschau</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entpacken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nr.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Typ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Größe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die RES-Archive im Ordner: ein Klick zeigt den Bericht</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Bericht des zuletzt gewählten Archivs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beim Klick auf ein Archiv seine Bilder in einen Ordner daneben schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Ordner: Doppelklick oder Enter öffnet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Einträge des Archivs; mehrere mit Strg oder Umschalt wählen, hinausziehen als Dateien, ein Bild auf ein Bild ziehen ersetzt es</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeigt nur die Einträge, deren Nummer oder Name den Text enthält (Strg+F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Suchen (Strg+F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gezeigte von allen Einträgen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;lle entpacken…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schreibt alle Einträge und archive.txt in einen Ordner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aus&amp;wahl entpacken…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bilder auch als PN&amp;G</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;Alle entpacken…&quot; schreibt jedes Bild auch als PNG neben seine GFP; &quot;Packen…&quot; übernimmt eine geänderte PNG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Packen…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Packt einen Ordner mit archive.txt in ein Archiv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ersetzen…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wieder&amp;herstellen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bearbe&amp;iten…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorschau des gewählten Eintrags</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Konverter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zeigt das Fenster zum Umwandeln wieder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fortschritt der laufenden Arbeit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;bbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bricht die laufende Arbeit nach dem Eintrag in Arbeit ab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 von %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schreibt die gewählten Einträge in einen Ordner, ohne archive.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erst Einträge in der Liste wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Öffnet das Bild als PNG im Bildbearbeiter; jede Speicherung wird auf Nachfrage übernommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Holt %1.bak zurück; das jetzige Archiv wird zur .bak</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stellt ein Archiv aus seiner .bak wieder her; erst ein Archiv wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zum gewählten Archiv gibt es keine .bak</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Während einer laufenden Arbeit nicht möglich</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erst ein Archiv wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Genau einen Bild-Eintrag wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nur Bilder (Grafik) lassen sich ersetzen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ersetzt das Bild durch eine GFP-, TGA- oder PNG-Datei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breche ab …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fehlgeschlagen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Archiv kann nicht ausgewertet werden: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Archiv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fertig: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fertig</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Vorschau kann nicht geschrieben werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entpacken nach</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entpacke …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Datei gibt es schon, mit anderem Inhalt:
%1

Soll sie ersetzt werden?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 Eintrag entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Einträge entpackt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 ersetzt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nach %2%3, %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abgelehnt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ordner mit archive.txt packen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: Der Ordner hat keine archive.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archiv schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RES-Archive (*.res)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Archiv gibt es schon:
%1

Soll es ersetzt werden? Das alte wird als %2.bak aufbewahrt.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Packe …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neues Bild wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bilder (*.gfp *.tga *.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ersetzen?
#%1 %2 in %3 durch %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>

Das neue Bild ist %1 × %2 groß, das alte %3 × %4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ersetze …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fertig: #%1 %2 ersetzt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Im Bildbearbeiter: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Änderung an #%1 %2 in %3 übernehmen?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>

Das Bild ist jetzt %1 × %2 groß, bisher %3 × %4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1
Nichts übernommen; das Bild bleibt in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht übernommen: #%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fertig: Änderung an #%1 übernommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Archiv wird nicht angezeigt: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 nicht ersetzt: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> und %1 weitere</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 Datei konvertiert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Dateien konvertiert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, %1 abgelehnt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, abgebrochen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Quelldateien im Quellordner</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Quellordner: Doppelklick oder Enter öffnet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quelldatei: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quelle der Umwandlung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Der Zielordner: Doppelklick oder Enter öffnet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die GFP-Datei, deren Bild ersetzt wird</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Zieldatei:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ziel der Umwandlung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Laufwerk der Quelle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Laufwerk des Ziels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wandelt die gewählte Datei um (Enter in einer Dateiliste)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TGA oder PNG in eine vorhandene GFP-Datei schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GFP als TGA-Datei neben die Quelle schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GFP als PNG-Datei neben die Quelle schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Öffnet das Fenster zum Entpacken von RES-Archiven</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>un&amp;komprimiert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Pixel ungepackt in die GFP-Datei schreiben</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;schnell packen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schneller packen, von zlib weiter lesbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alle GFP-Dateien der Liste umwandeln</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fortschritt der Umwandlung</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bricht die laufende Umwandlung ab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vorschau der Quelldatei</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Wiederherstellen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Holt %1.bak zurück; die jetzige Datei wird zur .bak</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zur gewählten Zieldatei gibt es keine .bak</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stellt eine Zieldatei aus ihrer .bak wieder her; erst eine Zieldatei wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Öffnet die gewählte GFP als PNG im Bildbearbeiter; jede Speicherung wird auf Nachfrage übernommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erst eine GFP-Datei wählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Entpack-Fenster kann nicht geöffnet werden: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Die Umwandlung ist fehlgeschlagen: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitte eine Quelldatei auswählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 abgelehnt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht ersetzt: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht ersetzt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht umgewandelt:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Bild in %1 ist %2 groß, das neue %3. Trotzdem ersetzen?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitte eine Quell- und Zieldatei auswählen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Änderung an %1 übernehmen?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fertig: Änderung an %1 übernommen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 aus %1.bak wiederherstellen?

Die jetzige Fassung wird dabei zu %1.bak; ein zweites Wiederherstellen macht den Schritt rückgängig.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ja</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nein</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ja, alle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Immer für dieses Bild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> – Werkzeug für Modder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nicht genug Arbeitsspeicher für die Vorschau</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unbekanntes Bildformat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lade …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Das Bild wird nicht angezeigt: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kein Ordner, kein Archiv (.res) und kein Bild (.gfp, .tga, .png): %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
