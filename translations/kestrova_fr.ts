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
        <source>
... and %1 more</source>
        <translation>
... et %1 de plus</translation>
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
</TS>
