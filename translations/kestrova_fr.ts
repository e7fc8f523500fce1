<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AppKestrova</name>
    <message>
        <source>Menu ▾</source>
        <translation>Menu ▾</translation>
    </message>
    <message>
        <source>Help, home page, about</source>
        <translation>Aide, site web, à propos</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Maximise</source>
        <translation>Agrandir</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restaurer</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Ajouter des fichiers...</translation>
    </message>
    <message>
        <source>Add Folder...</source>
        <translation>Ajouter un dossier...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Tout retirer</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionner</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Do not enlarge</source>
        <translation>Ne pas agrandir</translation>
    </message>
    <message>
        <source>A picture smaller than the size asked for keeps its own size</source>
        <translation>Une image plus petite que la taille demandée garde sa propre taille</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Compression</translation>
    </message>
    <message>
        <source>JPEG quality</source>
        <translation>Qualité JPEG</translation>
    </message>
    <message>
        <source>Target size (KB)</source>
        <translation>Taille cible (Ko)</translation>
    </message>
    <message>
        <source>Shrink to meet the size</source>
        <translation>Réduire pour tenir la taille</translation>
    </message>
    <message>
        <source>When even the lowest quality is over the target size, make the picture smaller</source>
        <translation>Si même la qualité la plus basse dépasse la taille cible, réduire l’image</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Enregistrer en</translation>
    </message>
    <message>
        <source>Overwrite existing files</source>
        <translation>Écraser les fichiers</translation>
    </message>
    <message>
        <source>Keep transparency</source>
        <translation>Garder la transparence</translation>
    </message>
    <message>
        <source>Formats that hold transparency keep it; the others are put on white</source>
        <translation>Les formats qui gèrent la transparence la gardent ; les autres sont posés sur du blanc</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Dossier de sortie</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Parcourir...</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Open when done</source>
        <translation>Ouvrir à la fin</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <source>Compare...</source>
        <translation>Comparer...</translation>
    </message>
    <message>
        <source>The selected picture before and after, side by side at full size</source>
        <translation>L’image choisie avant et après, côte à côte en taille réelle</translation>
    </message>
    <message>
        <source>Options...</source>
        <translation>Options...</translation>
    </message>
    <message>
        <source>Sub-folders, existing files, metadata and file dates</source>
        <translation>Sous-dossiers, fichiers existants, métadonnées et dates des fichiers</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Kestrova</source>
        <translation>À propos de Kestrova</translation>
    </message>
    <message>
        <source>Kestrova Version 3</source>
        <translation>Kestrova version 3</translation>
    </message>
    <message>
        <source>Lumisk Studio %1 — resizes and compresses pictures in batches.
Pictures are read and written with libvips.</source>
        <translation>Lumisk Studio %1 — redimensionne et compresse des images par lots.
Les images sont lues et écrites avec libvips.</translation>
    </message>
</context>
<context>
    <name>CCompareDialog</name>
    <message>
        <source>Before and after</source>
        <translation>Avant et après</translation>
    </message>
    <message>
        <source>Before: making the picture...</source>
        <translation>Avant : préparation de l’image...</translation>
    </message>
    <message>
        <source>After: converting...</source>
        <translation>Après : conversion...</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Avant</translation>
    </message>
    <message>
        <source>After: cannot be made: %1</source>
        <translation>Après : impossible à produire : %1</translation>
    </message>
    <message>
        <source>Before: %1 x %2 px, as the run resizes it</source>
        <translation>Avant : %1 x %2 px, redimensionnée comme lors de la conversion</translation>
    </message>
    <message>
        <source>After: the %1 file, %2 KB</source>
        <translation>Après : le fichier %1, %2 Ko</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> en qualité %1</translation>
    </message>
</context>
<context>
    <name>CKestrovaDlg</name>
    <message>
        <source>Scaled Image</source>
        <translation>Image à l’échelle</translation>
    </message>
    <message>
        <source>Fix Image</source>
        <translation>Taille fixe</translation>
    </message>
    <message>
        <source>Restrict Width</source>
        <translation>Limiter la largeur</translation>
    </message>
    <message>
        <source>Restrict Height</source>
        <translation>Limiter la hauteur</translation>
    </message>
    <message>
        <source>Fit in Box</source>
        <translation>Ajuster au cadre</translation>
    </message>
    <message>
        <source>Long Edge</source>
        <translation>Grand côté</translation>
    </message>
    <message>
        <source>Short Edge</source>
        <translation>Petit côté</translation>
    </message>
    <message>
        <source>Percent</source>
        <translation>Pourcentage</translation>
    </message>
    <message>
        <source>Pixel</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Can not load the application data directory</source>
        <translation>Impossible de charger le dossier de données de l’application</translation>
    </message>
    <message>
        <source>Can not create the application data directory</source>
        <translation>Impossible de créer le dossier de données de l’application</translation>
    </message>
    <message>
        <source>Copyright © 2026 Lumisk Studio. All rights reserved.</source>
        <translation>Copyright © 2026 Lumisk Studio. Tous droits réservés.</translation>
    </message>
    <message>
        <source>HELP</source>
        <translation>AIDE</translation>
    </message>
    <message>
        <source>Help...</source>
        <translation>Aide...</translation>
    </message>
    <message>
        <source>Homepage...</source>
        <translation>Site web...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>À propos...</translation>
    </message>
    <message>
        <source>Supported Files </source>
        <translation>Fichiers pris en charge </translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>Please select a folder</source>
        <translation>Veuillez choisir un dossier</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Box width</source>
        <translation>Largeur du cadre</translation>
    </message>
    <message>
        <source>Box height</source>
        <translation>Hauteur du cadre</translation>
    </message>
    <message>
        <source>Long edge</source>
        <translation>Grand côté</translation>
    </message>
    <message>
        <source>Short edge</source>
        <translation>Petit côté</translation>
    </message>
    <message>
        <source>Info : Images resize to %.2f%% <byte value="xd"/>
</source>
        <translation>Info : les images passent à %.2f%% <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Info : Images resize to (%.2f%% Width) x (%.2f%% Height)</source>
        <translation>Info : les images passent à (%.2f%% largeur) x (%.2f%% hauteur)</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x %.0f</source>
        <translation>Info : les images passent à %.0f x %.0f</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x (%.0f * Propotions%%) </source>
        <translation>Info : les images passent à %.0f x (%.0f * proportions%%) </translation>
    </message>
    <message>
        <source>Info : Images resize to (%.0f * Propotions%%) x %.0f </source>
        <translation>Info : les images passent à (%.0f * proportions%%) x %.0f </translation>
    </message>
    <message>
        <source>Info : Images fit in a box of %.0f x %.0f</source>
        <translation>Info : les images tiennent dans un cadre de %.0f x %.0f</translation>
    </message>
    <message>
        <source>Info : The long edge of images becomes %.0f</source>
        <translation>Info : le grand côté des images devient %.0f</translation>
    </message>
    <message>
        <source>Info : The short edge of images becomes %.0f</source>
        <translation>Info : le petit côté des images devient %.0f</translation>
    </message>
    <message>
        <source>Output: nothing to write at this size</source>
        <translation>Sortie : rien à écrire à cette taille</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px</source>
        <translation>Sortie : %1 x %2 px</translation>
    </message>
    <message>
        <source>, at most %1 KB</source>
        <translation>, au plus %1 Ko</translation>
    </message>
    <message>
        <source>, about %1 KB</source>
        <translation>, environ %1 Ko</translation>
    </message>
    <message>
        <source>, %1 KB</source>
        <translation>, %1 Ko</translation>
    </message>
    <message>
        <source>INVALID FOLDER</source>
        <translation>DOSSIER NON VALIDE</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, %3 KB, over the target</source>
        <translation>Sortie : %1 x %2 px, %3 Ko, au-dessus de la cible</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, exactly %3 KB</source>
        <translation>Sortie : %1 x %2 px, exactement %3 Ko</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> en qualité %1</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, cannot be written</source>
        <translation>Sortie : %1 x %2 px, écriture impossible</translation>
    </message>
    <message>
        <source>The help page %1 could not be found.</source>
        <translation>La page d’aide %1 est introuvable.</translation>
    </message>
    <message>
        <source>%1 Help</source>
        <translation>Aide de %1</translation>
    </message>
    <message>
        <source>Could not open %1: no web browser was found.</source>
        <translation>Impossible d’ouvrir %1 : aucun navigateur web n’a été trouvé.</translation>
    </message>
    <message>
        <source>Could not open the folder &quot;%1&quot;: no program to show folders was found.</source>
        <translation>Impossible d’ouvrir le dossier « %1 » : aucun programme pour afficher les dossiers n’a été trouvé.</translation>
    </message>
    <message>
        <source>%1 has sub-folders. Add the pictures in them too?</source>
        <translation>%1 contient des sous-dossiers. Ajouter aussi les images qu&apos;ils contiennent ?</translation>
    </message>
    <message>
        <source>&amp;Include Sub-folders</source>
        <translation>&amp;Inclure les sous-dossiers</translation>
    </message>
    <message>
        <source>&amp;This Folder Only</source>
        <translation>&amp;Ce dossier seulement</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>et %n de plus</numerusform>
            <numerusform>et %n de plus</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Overwrite is on, and this run would replace %n of its own pictures:</source>
        <translation>
            <numerusform>Écraser est activé, et cette conversion remplacerait %n de ses propres images :</numerusform>
            <numerusform>Écraser est activé, et cette conversion remplacerait %n de ses propres images :</numerusform>
        </translation>
    </message>
    <message>
        <source>The pictures replaced are lost. Show Details lists where every picture would go.</source>
        <translation>Les images remplacées sont perdues. « Afficher les détails » indique où irait chaque image.</translation>
    </message>
    <message>
        <source>&amp;Replace Them</source>
        <translation>&amp;Remplacer</translation>
    </message>
    <message>
        <source>&amp;Presets</source>
        <translation>&amp;Préréglages</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; cannot be used: %2</source>
        <translation>Le préréglage « %1 » ne peut pas être utilisé : %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be the name of a preset: %2</source>
        <translation>« %1 » ne peut pas être le nom d&apos;un préréglage : %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be saved: %2</source>
        <translation>Le préréglage « %1 » n&apos;a pas pu être enregistré : %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be deleted.</source>
        <translation>Le préréglage « %1 » n&apos;a pas pu être supprimé.</translation>
    </message>
    <message>
        <source>No presets yet</source>
        <translation>Aucun préréglage pour l&apos;instant</translation>
    </message>
    <message>
        <source>&amp;Save Preset...</source>
        <translation>&amp;Enregistrer le préréglage...</translation>
    </message>
    <message>
        <source>&amp;Delete Preset</source>
        <translation>&amp;Supprimer le préréglage</translation>
    </message>
    <message>
        <source>Save Preset - %1</source>
        <translation>Enregistrer le préréglage - %1</translation>
    </message>
    <message>
        <source>Name of the preset (the CLI runs it with --preset NAME):</source>
        <translation>Nom du préréglage (la ligne de commande l&apos;utilise avec --preset NOM) :</translation>
    </message>
    <message>
        <source>A preset named &quot;%1&quot; exists. Replace it?</source>
        <translation>Un préréglage nommé « %1 » existe déjà. Le remplacer ?</translation>
    </message>
</context>
<context>
    <name>COutputOptionsDialog</name>
    <message>
        <source>Options - %1</source>
        <translation>Options - %1</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Dossiers</translation>
    </message>
    <message>
        <source>&amp;Include sub-folders when adding a folder</source>
        <translation>&amp;Inclure les sous-dossiers lors de l&apos;ajout d&apos;un dossier</translation>
    </message>
    <message>
        <source>&amp;Keep the folder structure</source>
        <translation>&amp;Garder la structure des dossiers</translation>
    </message>
    <message>
        <source>Each picture goes to the same sub-folder under the output folder as under the folder it was added from</source>
        <translation>Chaque image va dans le même sous-dossier du dossier de sortie que dans le dossier d&apos;où elle a été ajoutée</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Fichiers existants</translation>
    </message>
    <message>
        <source>When the output file &amp;exists:</source>
        <translation>Si le fichier de sortie &amp;existe :</translation>
    </message>
    <message>
        <source>Write a numbered copy</source>
        <translation>Écrire une copie numérotée</translation>
    </message>
    <message>
        <source>Replace it</source>
        <translation>Le remplacer</translation>
    </message>
    <message>
        <source>Skip the picture</source>
        <translation>Passer l&apos;image</translation>
    </message>
    <message>
        <source>&amp;Only write files smaller than the source</source>
        <translation>N&apos;écrire que les fichiers plus &amp;petits que la source</translation>
    </message>
    <message>
        <source>Metadata</source>
        <translation>Métadonnées</translation>
    </message>
    <message>
        <source>Keep &amp;metadata</source>
        <translation>Garder les &amp;métadonnées</translation>
    </message>
    <message>
        <source>Camera data (EXIF), XMP, IPTC and the colour profile, in the formats that hold them</source>
        <translation>Données de l&apos;appareil (EXIF), XMP, IPTC et profil de couleur, dans les formats qui les acceptent</translation>
    </message>
    <message>
        <source>&amp;Remove location</source>
        <translation>&amp;Retirer la position</translation>
    </message>
    <message>
        <source>Keep file &amp;dates</source>
        <translation>Garder les &amp;dates des fichiers</translation>
    </message>
    <message>
        <source>Each output gets its source&apos;s modification time</source>
        <translation>Chaque fichier écrit reçoit la date de modification de sa source</translation>
    </message>
</context>
<context>
    <name>CPictureBox</name>
    <message>
        <source>Loading the preview...</source>
        <translation>Chargement de l’aperçu...</translation>
    </message>
</context>
<context>
    <name>CProgressDialog</name>
    <message>
        <source>Converting File %1/%2</source>
        <translation>Conversion du fichier %1/%2</translation>
    </message>
    <message>
        <source>Adding File %1/%2</source>
        <translation>Ajout du fichier %1/%2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Scaning Folder Images...</source>
        <translation>Analyse du dossier...</translation>
    </message>
    <message>
        <source>Finishing...</source>
        <translation>Finalisation...</translation>
    </message>
    <message>
        <source>Canceling...</source>
        <translation>Annulation...</translation>
    </message>
</context>
<context>
    <name>CSummaryDialog</name>
    <message>
        <source>Summary - %1</source>
        <translation>Résumé - %1</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>Puts the whole summary on the clipboard</source>
        <translation>Copie tout le résumé dans le presse-papiers</translation>
    </message>
    <message>
        <source>&amp;Open Output Folder</source>
        <translation>&amp;Ouvrir le dossier de sortie</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation>Le dossier %1 n’a pas pu être ouvert.</translation>
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
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 Ko</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 Mo</translation>
    </message>
    <message>
        <source>Stopped after %1 of %2 pictures</source>
        <translation>Arrêt après %1 images sur %2</translation>
    </message>
    <message>
        <source>The picture was written</source>
        <translation>L’image a été écrite</translation>
    </message>
    <message>
        <source>All %1 pictures were written</source>
        <translation>Les %1 images ont toutes été écrites</translation>
    </message>
    <message>
        <source>%1 of %2 pictures were written</source>
        <translation>%1 images sur %2 ont été écrites</translation>
    </message>
    <message>
        <source>Written: %1
Failed: %2
Skipped: %3
Over target: %4
Damaged: %5</source>
        <translation>Écrites : %1
Échecs : %2
Ignorées : %3
Au-dessus de la cible : %4
Endommagées : %5</translation>
    </message>
    <message>
        <source>
Size of the pictures written: %1 before, %2 after</source>
        <translation>
Taille des images écrites : %1 avant, %2 après</translation>
    </message>
    <message>
        <source>
Time taken: %1</source>
        <translation>
Durée : %1</translation>
    </message>
    <message>
        <source>1 picture could not be converted:
</source>
        <translation>1 image n’a pas pu être convertie :
</translation>
    </message>
    <message>
        <source>%1 pictures could not be converted:
</source>
        <translation>%1 images n’ont pas pu être converties :
</translation>
    </message>
    <message>
        <source>1 picture was written with a warning:
</source>
        <translation>1 image a été écrite avec un avertissement :
</translation>
    </message>
    <message>
        <source>%1 pictures were written with a warning:
</source>
        <translation>%1 images ont été écrites avec un avertissement :
</translation>
    </message>
    <message>
        <source>1 picture was written over the target size:
</source>
        <translation>1 image a été écrite au-dessus de la taille cible :
</translation>
    </message>
    <message>
        <source>%1 pictures were written over the target size:
</source>
        <translation>%1 images ont été écrites au-dessus de la taille cible :
</translation>
    </message>
    <message>
        <source>%1 KB, target %2 KB</source>
        <translation>%1 Ko, cible %2 Ko</translation>
    </message>
    <message>
        <source>%1 of 1 file was added</source>
        <translation>%1 fichier sur 1 a été ajouté</translation>
    </message>
    <message>
        <source>%1 of %2 files were added</source>
        <translation>%1 fichiers sur %2 ont été ajoutés</translation>
    </message>
    <message>
        <source>Added: %1
Not added: %2</source>
        <translation>Ajoutés : %1
Non ajoutés : %2</translation>
    </message>
    <message>
        <source>1 file was not added:
</source>
        <translation>1 fichier n’a pas été ajouté :
</translation>
    </message>
    <message>
        <source>%1 files were not added:
</source>
        <translation>%1 fichiers n’ont pas été ajoutés :
</translation>
    </message>
</context>
</TS>
