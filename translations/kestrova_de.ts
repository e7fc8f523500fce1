<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppKestrova</name>
    <message>
        <source>Menu ▾</source>
        <translation>Menü ▾</translation>
    </message>
    <message>
        <source>Help, home page, about</source>
        <translation>Hilfe, Webseite, Info</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Maximise</source>
        <translation>Maximieren</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Dateien hinzufügen...</translation>
    </message>
    <message>
        <source>Add Folder...</source>
        <translation>Ordner hinzufügen...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Größe ändern</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Do not enlarge</source>
        <translation>Nicht vergrößern</translation>
    </message>
    <message>
        <source>A picture smaller than the size asked for keeps its own size</source>
        <translation>Ein Bild, das kleiner als die gewünschte Größe ist, behält seine eigene Größe</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Komprimierung</translation>
    </message>
    <message>
        <source>JPEG quality</source>
        <translation>JPEG-Qualität</translation>
    </message>
    <message>
        <source>Target size (KB)</source>
        <translation>Zielgröße (KB)</translation>
    </message>
    <message>
        <source>Shrink to meet the size</source>
        <translation>Verkleinern, bis die Größe passt</translation>
    </message>
    <message>
        <source>When even the lowest quality is over the target size, make the picture smaller</source>
        <translation>Wenn selbst die niedrigste Qualität über der Zielgröße liegt, das Bild verkleinern</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Speichern als</translation>
    </message>
    <message>
        <source>Overwrite existing files</source>
        <translation>Überschreiben</translation>
    </message>
    <message>
        <source>Keep transparency</source>
        <translation>Transparenz behalten</translation>
    </message>
    <message>
        <source>Formats that hold transparency keep it; the others are put on white</source>
        <translation>Formate mit Transparenz behalten sie; die übrigen kommen auf Weiß</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open when done</source>
        <translation>Nach Abschluss öffnen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Compare...</source>
        <translation>Vergleich...</translation>
    </message>
    <message>
        <source>The selected picture before and after, side by side at full size</source>
        <translation>Das gewählte Bild vorher und nachher, nebeneinander in voller Größe</translation>
    </message>
    <message>
        <source>Options...</source>
        <translation>Optionen...</translation>
    </message>
    <message>
        <source>Sub-folders, existing files, metadata and file dates</source>
        <translation>Unterordner, vorhandene Dateien, Metadaten und Dateidaten</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Kestrova</source>
        <translation>Über Kestrova</translation>
    </message>
    <message>
        <source>Kestrova Version 3</source>
        <translation>Kestrova, Version 3</translation>
    </message>
    <message>
        <source>Lumisk Studio %1 — resizes and compresses pictures in batches.
Pictures are read and written with libvips.</source>
        <translation>Lumisk Studio %1 — ändert die Größe von Bildern und komprimiert sie stapelweise.
Bilder werden mit libvips gelesen und geschrieben.</translation>
    </message>
</context>
<context>
    <name>CCompareDialog</name>
    <message>
        <source>Before and after</source>
        <translation>Vorher und nachher</translation>
    </message>
    <message>
        <source>Before: making the picture...</source>
        <translation>Vorher: Bild wird erstellt...</translation>
    </message>
    <message>
        <source>After: converting...</source>
        <translation>Nachher: wird umgewandelt...</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Vorher</translation>
    </message>
    <message>
        <source>After: cannot be made: %1</source>
        <translation>Nachher: kann nicht erstellt werden: %1</translation>
    </message>
    <message>
        <source>Before: %1 x %2 px, as the run resizes it</source>
        <translation>Vorher: %1 x %2 px, skaliert wie bei der Umwandlung</translation>
    </message>
    <message>
        <source>After: the %1 file, %2 KB</source>
        <translation>Nachher: die %1-Datei, %2 KB</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> bei Qualität %1</translation>
    </message>
</context>
<context>
    <name>CKestrovaDlg</name>
    <message>
        <source>Scaled Image</source>
        <translation>Skaliertes Bild</translation>
    </message>
    <message>
        <source>Fix Image</source>
        <translation>Feste Größe</translation>
    </message>
    <message>
        <source>Restrict Width</source>
        <translation>Breite festlegen</translation>
    </message>
    <message>
        <source>Restrict Height</source>
        <translation>Höhe festlegen</translation>
    </message>
    <message>
        <source>Fit in Box</source>
        <translation>In Rahmen einpassen</translation>
    </message>
    <message>
        <source>Long Edge</source>
        <translation>Lange Kante</translation>
    </message>
    <message>
        <source>Short Edge</source>
        <translation>Kurze Kante</translation>
    </message>
    <message>
        <source>Percent</source>
        <translation>Prozent</translation>
    </message>
    <message>
        <source>Pixel</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Can not load the application data directory</source>
        <translation>Der Datenordner des Programms kann nicht geladen werden</translation>
    </message>
    <message>
        <source>Can not create the application data directory</source>
        <translation>Der Datenordner des Programms kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Copyright © 2026 Lumisk Studio. All rights reserved.</source>
        <translation>Copyright © 2026 Lumisk Studio. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>HELP</source>
        <translation>HILFE</translation>
    </message>
    <message>
        <source>Help...</source>
        <translation>Hilfe...</translation>
    </message>
    <message>
        <source>Homepage...</source>
        <translation>Webseite...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
    <message>
        <source>Supported Files </source>
        <translation>Unterstützte Dateien </translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Please select a folder</source>
        <translation>Bitte einen Ordner wählen</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Box width</source>
        <translation>Rahmenbreite</translation>
    </message>
    <message>
        <source>Box height</source>
        <translation>Rahmenhöhe</translation>
    </message>
    <message>
        <source>Long edge</source>
        <translation>Lange Kante</translation>
    </message>
    <message>
        <source>Short edge</source>
        <translation>Kurze Kante</translation>
    </message>
    <message>
        <source>Info : Images resize to %.2f%% <byte value="xd"/>
</source>
        <translation>Info: Bilder werden auf %.2f%% skaliert <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Info : Images resize to (%.2f%% Width) x (%.2f%% Height)</source>
        <translation>Info: Bilder werden auf (%.2f%% Breite) x (%.2f%% Höhe) skaliert</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x %.0f</source>
        <translation>Info: Bilder werden auf %.0f x %.0f skaliert</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x (%.0f * Propotions%%) </source>
        <translation>Info: Bilder werden auf %.0f x (%.0f * Proportionen%%) skaliert </translation>
    </message>
    <message>
        <source>Info : Images resize to (%.0f * Propotions%%) x %.0f </source>
        <translation>Info: Bilder werden auf (%.0f * Proportionen%%) x %.0f skaliert </translation>
    </message>
    <message>
        <source>Info : Images fit in a box of %.0f x %.0f</source>
        <translation>Info: Bilder werden in einen Rahmen von %.0f x %.0f eingepasst</translation>
    </message>
    <message>
        <source>Info : The long edge of images becomes %.0f</source>
        <translation>Info: Die lange Kante der Bilder wird %.0f</translation>
    </message>
    <message>
        <source>Info : The short edge of images becomes %.0f</source>
        <translation>Info: Die kurze Kante der Bilder wird %.0f</translation>
    </message>
    <message>
        <source>Output: nothing to write at this size</source>
        <translation>Ausgabe: bei dieser Größe entsteht kein Bild</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px</source>
        <translation>Ausgabe: %1 x %2 px</translation>
    </message>
    <message>
        <source>, at most %1 KB</source>
        <translation>, höchstens %1 KB</translation>
    </message>
    <message>
        <source>, about %1 KB</source>
        <translation>, etwa %1 KB</translation>
    </message>
    <message>
        <source>, %1 KB</source>
        <translation>, %1 KB</translation>
    </message>
    <message>
        <source>INVALID FOLDER</source>
        <translation>UNGÜLTIGER ORDNER</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, %3 KB, over the target</source>
        <translation>Ausgabe: %1 x %2 px, %3 KB, über dem Ziel</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, exactly %3 KB</source>
        <translation>Ausgabe: %1 x %2 px, genau %3 KB</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> bei Qualität %1</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, cannot be written</source>
        <translation>Ausgabe: %1 x %2 px, kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The help page %1 could not be found.</source>
        <translation>Die Hilfeseite %1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>%1 Help</source>
        <translation>%1 – Hilfe</translation>
    </message>
    <message>
        <source>Could not open %1: no web browser was found.</source>
        <translation>%1 konnte nicht geöffnet werden: Es wurde kein Webbrowser gefunden.</translation>
    </message>
    <message>
        <source>Could not open the folder &quot;%1&quot;: no program to show folders was found.</source>
        <translation>Der Ordner „%1“ konnte nicht geöffnet werden: Es wurde kein Programm zum Anzeigen von Ordnern gefunden.</translation>
    </message>
    <message>
        <source>%1 has sub-folders. Add the pictures in them too?</source>
        <translation>%1 hat Unterordner. Die Bilder darin auch hinzufügen?</translation>
    </message>
    <message>
        <source>&amp;Include Sub-folders</source>
        <translation>&amp;Unterordner einbeziehen</translation>
    </message>
    <message>
        <source>&amp;This Folder Only</source>
        <translation>&amp;Nur diesen Ordner</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weitere</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Overwrite is on, and this run would replace %n of its own pictures:</source>
        <translation>
            <numerusform>Überschreiben ist an, und dieser Lauf würde %n seiner eigenen Bilder ersetzen:</numerusform>
            <numerusform>Überschreiben ist an, und dieser Lauf würde %n seiner eigenen Bilder ersetzen:</numerusform>
        </translation>
    </message>
    <message>
        <source>The pictures replaced are lost. Show Details lists where every picture would go.</source>
        <translation>Die ersetzten Bilder gehen verloren. „Details einblenden“ zeigt, wohin jedes Bild käme.</translation>
    </message>
    <message>
        <source>&amp;Replace Them</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>&amp;Presets</source>
        <translation>&amp;Voreinstellungen</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; cannot be used: %2</source>
        <translation>Die Voreinstellung „%1“ kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be the name of a preset: %2</source>
        <translation>„%1“ kann nicht der Name einer Voreinstellung sein: %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be saved: %2</source>
        <translation>Die Voreinstellung „%1“ konnte nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be deleted.</source>
        <translation>Die Voreinstellung „%1“ konnte nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>No presets yet</source>
        <translation>Noch keine Voreinstellungen</translation>
    </message>
    <message>
        <source>&amp;Save Preset...</source>
        <translation>Voreinstellung &amp;speichern...</translation>
    </message>
    <message>
        <source>&amp;Delete Preset</source>
        <translation>Voreinstellung &amp;löschen</translation>
    </message>
    <message>
        <source>Save Preset - %1</source>
        <translation>Voreinstellung speichern - %1</translation>
    </message>
    <message>
        <source>Name of the preset (the CLI runs it with --preset NAME):</source>
        <translation>Name der Voreinstellung (die Kommandozeile nutzt sie mit --preset NAME):</translation>
    </message>
    <message>
        <source>A preset named &quot;%1&quot; exists. Replace it?</source>
        <translation>Eine Voreinstellung namens „%1“ gibt es schon. Ersetzen?</translation>
    </message>
</context>
<context>
    <name>COutputOptionsDialog</name>
    <message>
        <source>Options - %1</source>
        <translation>Optionen - %1</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>&amp;Include sub-folders when adding a folder</source>
        <translation>&amp;Unterordner beim Hinzufügen eines Ordners einbeziehen</translation>
    </message>
    <message>
        <source>&amp;Keep the folder structure</source>
        <translation>Ordner&amp;struktur beibehalten</translation>
    </message>
    <message>
        <source>Each picture goes to the same sub-folder under the output folder as under the folder it was added from</source>
        <translation>Jedes Bild kommt in denselben Unterordner unter dem Ausgabeordner wie unter dem Ordner, aus dem es hinzugefügt wurde</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Vorhandene Dateien</translation>
    </message>
    <message>
        <source>When the output file &amp;exists:</source>
        <translation>Wenn die Ausgabedatei &amp;existiert:</translation>
    </message>
    <message>
        <source>Write a numbered copy</source>
        <translation>Nummerierte Kopie schreiben</translation>
    </message>
    <message>
        <source>Replace it</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Skip the picture</source>
        <translation>Bild überspringen</translation>
    </message>
    <message>
        <source>&amp;Only write files smaller than the source</source>
        <translation>Nur Dateien schreiben, die &amp;kleiner als die Quelle sind</translation>
    </message>
    <message>
        <source>Metadata</source>
        <translation>Metadaten</translation>
    </message>
    <message>
        <source>Keep &amp;metadata</source>
        <translation>&amp;Metadaten behalten</translation>
    </message>
    <message>
        <source>Camera data (EXIF), XMP, IPTC and the colour profile, in the formats that hold them</source>
        <translation>Kameradaten (EXIF), XMP, IPTC und das Farbprofil, in den Formaten, die sie aufnehmen</translation>
    </message>
    <message>
        <source>&amp;Remove location</source>
        <translation>&amp;Ort entfernen</translation>
    </message>
    <message>
        <source>Keep file &amp;dates</source>
        <translation>&amp;Dateidaten behalten</translation>
    </message>
    <message>
        <source>Each output gets its source&apos;s modification time</source>
        <translation>Jede Ausgabe erhält die Änderungszeit ihrer Quelle</translation>
    </message>
</context>
<context>
    <name>CPictureBox</name>
    <message>
        <source>Loading the preview...</source>
        <translation>Vorschau wird geladen...</translation>
    </message>
</context>
<context>
    <name>CProgressDialog</name>
    <message>
        <source>Converting File %1/%2</source>
        <translation>Datei %1/%2 wird umgewandelt</translation>
    </message>
    <message>
        <source>Adding File %1/%2</source>
        <translation>Datei %1/%2 wird hinzugefügt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Scaning Folder Images...</source>
        <translation>Ordner wird durchsucht...</translation>
    </message>
    <message>
        <source>Finishing...</source>
        <translation>Abschluss...</translation>
    </message>
    <message>
        <source>Canceling...</source>
        <translation>Abbruch...</translation>
    </message>
</context>
<context>
    <name>CSummaryDialog</name>
    <message>
        <source>Summary - %1</source>
        <translation>Zusammenfassung - %1</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Puts the whole summary on the clipboard</source>
        <translation>Legt die ganze Zusammenfassung in die Zwischenablage</translation>
    </message>
    <message>
        <source>&amp;Open Output Folder</source>
        <translation>&amp;Ausgabeordner öffnen</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>Stopped after %1 of %2 pictures</source>
        <translation>Angehalten nach %1 von %2 Bildern</translation>
    </message>
    <message>
        <source>The picture was written</source>
        <translation>Das Bild wurde geschrieben</translation>
    </message>
    <message>
        <source>All %1 pictures were written</source>
        <translation>Alle %1 Bilder wurden geschrieben</translation>
    </message>
    <message>
        <source>%1 of %2 pictures were written</source>
        <translation>%1 von %2 Bildern wurden geschrieben</translation>
    </message>
    <message>
        <source>Written: %1
Failed: %2
Skipped: %3
Over target: %4
Damaged: %5</source>
        <translation>Geschrieben: %1
Fehlgeschlagen: %2
Übersprungen: %3
Über dem Ziel: %4
Beschädigt: %5</translation>
    </message>
    <message>
        <source>
Size of the pictures written: %1 before, %2 after</source>
        <translation>
Größe der geschriebenen Bilder: %1 vorher, %2 nachher</translation>
    </message>
    <message>
        <source>
Time taken: %1</source>
        <translation>
Benötigte Zeit: %1</translation>
    </message>
    <message>
        <source>1 picture could not be converted:
</source>
        <translation>1 Bild konnte nicht umgewandelt werden:
</translation>
    </message>
    <message>
        <source>%1 pictures could not be converted:
</source>
        <translation>%1 Bilder konnten nicht umgewandelt werden:
</translation>
    </message>
    <message>
        <source>1 picture was written with a warning:
</source>
        <translation>1 Bild wurde mit einer Warnung geschrieben:
</translation>
    </message>
    <message>
        <source>%1 pictures were written with a warning:
</source>
        <translation>%1 Bilder wurden mit einer Warnung geschrieben:
</translation>
    </message>
    <message>
        <source>1 picture was written over the target size:
</source>
        <translation>1 Bild wurde größer als die Zielgröße geschrieben:
</translation>
    </message>
    <message>
        <source>%1 pictures were written over the target size:
</source>
        <translation>%1 Bilder wurden größer als die Zielgröße geschrieben:
</translation>
    </message>
    <message>
        <source>%1 KB, target %2 KB</source>
        <translation>%1 KB, Ziel %2 KB</translation>
    </message>
    <message>
        <source>%1 of 1 file was added</source>
        <translation>%1 von 1 Datei wurde hinzugefügt</translation>
    </message>
    <message>
        <source>%1 of %2 files were added</source>
        <translation>%1 von %2 Dateien wurden hinzugefügt</translation>
    </message>
    <message>
        <source>Added: %1
Not added: %2</source>
        <translation>Hinzugefügt: %1
Nicht hinzugefügt: %2</translation>
    </message>
    <message>
        <source>1 file was not added:
</source>
        <translation>1 Datei wurde nicht hinzugefügt:
</translation>
    </message>
    <message>
        <source>%1 files were not added:
</source>
        <translation>%1 Dateien wurden nicht hinzugefügt:
</translation>
    </message>
</context>
</TS>
