<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AppKestrova</name>
    <message>
        <source>Menu ▾</source>
        <translation>Menú ▾</translation>
    </message>
    <message>
        <source>Help, home page, about</source>
        <translation>Ayuda, página web, acerca de</translation>
    </message>
    <message>
        <source>Minimise</source>
        <translation>Minimizar</translation>
    </message>
    <message>
        <source>Maximise</source>
        <translation>Maximizar</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restaurar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Add Files...</source>
        <translation>Añadir archivos...</translation>
    </message>
    <message>
        <source>Add Folder...</source>
        <translation>Añadir carpeta...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Quitar todo</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionar</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modo</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Ancho</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Alto</translation>
    </message>
    <message>
        <source>Do not enlarge</source>
        <translation>No ampliar</translation>
    </message>
    <message>
        <source>A picture smaller than the size asked for keeps its own size</source>
        <translation>Una imagen más pequeña que el tamaño pedido conserva su propio tamaño</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>Compresión</translation>
    </message>
    <message>
        <source>JPEG quality</source>
        <translation>Calidad JPEG</translation>
    </message>
    <message>
        <source>Target size (KB)</source>
        <translation>Tamaño objetivo (KB)</translation>
    </message>
    <message>
        <source>Shrink to meet the size</source>
        <translation>Reducir hasta cumplir el tamaño</translation>
    </message>
    <message>
        <source>When even the lowest quality is over the target size, make the picture smaller</source>
        <translation>Si incluso la calidad más baja supera el tamaño objetivo, reducir la imagen</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Guardar como</translation>
    </message>
    <message>
        <source>Overwrite existing files</source>
        <translation>Sobrescribir archivos</translation>
    </message>
    <message>
        <source>Keep transparency</source>
        <translation>Mantener transparencia</translation>
    </message>
    <message>
        <source>Formats that hold transparency keep it; the others are put on white</source>
        <translation>Los formatos que admiten transparencia la conservan; los demás se ponen sobre blanco</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Carpeta de salida</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Examinar...</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Open when done</source>
        <translation>Abrir al terminar</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Compare...</source>
        <translation>Comparar...</translation>
    </message>
    <message>
        <source>The selected picture before and after, side by side at full size</source>
        <translation>La imagen seleccionada antes y después, una junto a otra a tamaño completo</translation>
    </message>
    <message>
        <source>Options...</source>
        <translation>Opciones...</translation>
    </message>
    <message>
        <source>Sub-folders, existing files, metadata and file dates</source>
        <translation>Subcarpetas, archivos existentes, metadatos y fechas de archivo</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Kestrova</source>
        <translation>Acerca de Kestrova</translation>
    </message>
    <message>
        <source>Kestrova Version 3</source>
        <translation>Kestrova versión 3</translation>
    </message>
    <message>
        <source>Lumisk Studio %1 — resizes and compresses pictures in batches.
Pictures are read and written with libvips.</source>
        <translation>Lumisk Studio %1 — redimensiona y comprime imágenes por lotes.
Las imágenes se leen y se escriben con libvips.</translation>
    </message>
</context>
<context>
    <name>CCompareDialog</name>
    <message>
        <source>Before and after</source>
        <translation>Antes y después</translation>
    </message>
    <message>
        <source>Before: making the picture...</source>
        <translation>Antes: preparando la imagen...</translation>
    </message>
    <message>
        <source>After: converting...</source>
        <translation>Después: convirtiendo...</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Antes</translation>
    </message>
    <message>
        <source>After: cannot be made: %1</source>
        <translation>Después: no se puede crear: %1</translation>
    </message>
    <message>
        <source>Before: %1 x %2 px, as the run resizes it</source>
        <translation>Antes: %1 x %2 px, redimensionada como en la conversión</translation>
    </message>
    <message>
        <source>After: the %1 file, %2 KB</source>
        <translation>Después: el archivo %1, %2 KB</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> con calidad %1</translation>
    </message>
</context>
<context>
    <name>CKestrovaDlg</name>
    <message>
        <source>Scaled Image</source>
        <translation>Imagen escalada</translation>
    </message>
    <message>
        <source>Fix Image</source>
        <translation>Tamaño fijo</translation>
    </message>
    <message>
        <source>Restrict Width</source>
        <translation>Limitar ancho</translation>
    </message>
    <message>
        <source>Restrict Height</source>
        <translation>Limitar alto</translation>
    </message>
    <message>
        <source>Fit in Box</source>
        <translation>Encajar en el marco</translation>
    </message>
    <message>
        <source>Long Edge</source>
        <translation>Lado largo</translation>
    </message>
    <message>
        <source>Short Edge</source>
        <translation>Lado corto</translation>
    </message>
    <message>
        <source>Percent</source>
        <translation>Porcentaje</translation>
    </message>
    <message>
        <source>Pixel</source>
        <translation>Píxel</translation>
    </message>
    <message>
        <source>Can not load the application data directory</source>
        <translation>No se puede cargar la carpeta de datos de la aplicación</translation>
    </message>
    <message>
        <source>Can not create the application data directory</source>
        <translation>No se puede crear la carpeta de datos de la aplicación</translation>
    </message>
    <message>
        <source>Copyright © 2026 Lumisk Studio. All rights reserved.</source>
        <translation>Copyright © 2026 Lumisk Studio. Todos los derechos reservados.</translation>
    </message>
    <message>
        <source>HELP</source>
        <translation>AYUDA</translation>
    </message>
    <message>
        <source>Help...</source>
        <translation>Ayuda...</translation>
    </message>
    <message>
        <source>Homepage...</source>
        <translation>Página web...</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Acerca de...</translation>
    </message>
    <message>
        <source>Supported Files </source>
        <translation>Archivos compatibles </translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Todos los archivos (*.*)</translation>
    </message>
    <message>
        <source>Please select a folder</source>
        <translation>Seleccione una carpeta</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Ancho</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Alto</translation>
    </message>
    <message>
        <source>Box width</source>
        <translation>Ancho del marco</translation>
    </message>
    <message>
        <source>Box height</source>
        <translation>Alto del marco</translation>
    </message>
    <message>
        <source>Long edge</source>
        <translation>Lado largo</translation>
    </message>
    <message>
        <source>Short edge</source>
        <translation>Lado corto</translation>
    </message>
    <message>
        <source>Info : Images resize to %.2f%% <byte value="xd"/>
</source>
        <translation>Info: las imágenes pasan al %.2f%% <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Info : Images resize to (%.2f%% Width) x (%.2f%% Height)</source>
        <translation>Info: las imágenes pasan a (%.2f%% ancho) x (%.2f%% alto)</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x %.0f</source>
        <translation>Info: las imágenes pasan a %.0f x %.0f</translation>
    </message>
    <message>
        <source>Info : Images resize to %.0f x (%.0f * Propotions%%) </source>
        <translation>Info: las imágenes pasan a %.0f x (%.0f * proporciones%%) </translation>
    </message>
    <message>
        <source>Info : Images resize to (%.0f * Propotions%%) x %.0f </source>
        <translation>Info: las imágenes pasan a (%.0f * proporciones%%) x %.0f </translation>
    </message>
    <message>
        <source>Info : Images fit in a box of %.0f x %.0f</source>
        <translation>Info: las imágenes caben en un marco de %.0f x %.0f</translation>
    </message>
    <message>
        <source>Info : The long edge of images becomes %.0f</source>
        <translation>Info: el lado largo de las imágenes pasa a %.0f</translation>
    </message>
    <message>
        <source>Info : The short edge of images becomes %.0f</source>
        <translation>Info: el lado corto de las imágenes pasa a %.0f</translation>
    </message>
    <message>
        <source>Output: nothing to write at this size</source>
        <translation>Salida: nada que escribir con este tamaño</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px</source>
        <translation>Salida: %1 x %2 px</translation>
    </message>
    <message>
        <source>, at most %1 KB</source>
        <translation>, como máximo %1 KB</translation>
    </message>
    <message>
        <source>, about %1 KB</source>
        <translation>, unos %1 KB</translation>
    </message>
    <message>
        <source>, %1 KB</source>
        <translation>, %1 KB</translation>
    </message>
    <message>
        <source>INVALID FOLDER</source>
        <translation>CARPETA NO VÁLIDA</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, %3 KB, over the target</source>
        <translation>Salida: %1 x %2 px, %3 KB, por encima del objetivo</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, exactly %3 KB</source>
        <translation>Salida: %1 x %2 px, exactamente %3 KB</translation>
    </message>
    <message>
        <source> at quality %1</source>
        <translation> con calidad %1</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>Output: %1 x %2 px, cannot be written</source>
        <translation>Salida: %1 x %2 px, no se puede escribir</translation>
    </message>
    <message>
        <source>The help page %1 could not be found.</source>
        <translation>No se encontró la página de ayuda %1.</translation>
    </message>
    <message>
        <source>%1 Help</source>
        <translation>Ayuda de %1</translation>
    </message>
    <message>
        <source>Could not open %1: no web browser was found.</source>
        <translation>No se pudo abrir %1: no se encontró ningún navegador web.</translation>
    </message>
    <message>
        <source>Could not open the folder &quot;%1&quot;: no program to show folders was found.</source>
        <translation>No se pudo abrir la carpeta «%1»: no se encontró ningún programa para mostrar carpetas.</translation>
    </message>
    <message>
        <source>%1 has sub-folders. Add the pictures in them too?</source>
        <translation>%1 tiene subcarpetas. ¿Añadir también las imágenes que contienen?</translation>
    </message>
    <message>
        <source>&amp;Include Sub-folders</source>
        <translation>&amp;Incluir subcarpetas</translation>
    </message>
    <message>
        <source>&amp;This Folder Only</source>
        <translation>&amp;Solo esta carpeta</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>y %n más</numerusform>
            <numerusform>y %n más</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Overwrite is on, and this run would replace %n of its own pictures:</source>
        <translation>
            <numerusform>Sobrescribir está activado y esta conversión reemplazaría %n de sus propias imágenes:</numerusform>
            <numerusform>Sobrescribir está activado y esta conversión reemplazaría %n de sus propias imágenes:</numerusform>
        </translation>
    </message>
    <message>
        <source>The pictures replaced are lost. Show Details lists where every picture would go.</source>
        <translation>Las imágenes reemplazadas se pierden. «Mostrar detalles» indica adónde iría cada imagen.</translation>
    </message>
    <message>
        <source>&amp;Replace Them</source>
        <translation>&amp;Reemplazarlas</translation>
    </message>
    <message>
        <source>&amp;Presets</source>
        <translation>&amp;Preajustes</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; cannot be used: %2</source>
        <translation>El preajuste «%1» no se puede usar: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be the name of a preset: %2</source>
        <translation>«%1» no puede ser el nombre de un preajuste: %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be saved: %2</source>
        <translation>El preajuste «%1» no se pudo guardar: %2</translation>
    </message>
    <message>
        <source>The preset &quot;%1&quot; could not be deleted.</source>
        <translation>El preajuste «%1» no se pudo eliminar.</translation>
    </message>
    <message>
        <source>No presets yet</source>
        <translation>Todavía no hay preajustes</translation>
    </message>
    <message>
        <source>&amp;Save Preset...</source>
        <translation>&amp;Guardar preajuste...</translation>
    </message>
    <message>
        <source>&amp;Delete Preset</source>
        <translation>&amp;Eliminar preajuste</translation>
    </message>
    <message>
        <source>Save Preset - %1</source>
        <translation>Guardar preajuste - %1</translation>
    </message>
    <message>
        <source>Name of the preset (the CLI runs it with --preset NAME):</source>
        <translation>Nombre del preajuste (la línea de órdenes lo usa con --preset NOMBRE):</translation>
    </message>
    <message>
        <source>A preset named &quot;%1&quot; exists. Replace it?</source>
        <translation>Ya existe un preajuste llamado «%1». ¿Reemplazarlo?</translation>
    </message>
</context>
<context>
    <name>COutputOptionsDialog</name>
    <message>
        <source>Options - %1</source>
        <translation>Opciones - %1</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Carpetas</translation>
    </message>
    <message>
        <source>&amp;Include sub-folders when adding a folder</source>
        <translation>&amp;Incluir subcarpetas al añadir una carpeta</translation>
    </message>
    <message>
        <source>&amp;Keep the folder structure</source>
        <translation>Mantener la es&amp;tructura de carpetas</translation>
    </message>
    <message>
        <source>Each picture goes to the same sub-folder under the output folder as under the folder it was added from</source>
        <translation>Cada imagen va a la misma subcarpeta de la carpeta de salida que en la carpeta desde la que se añadió</translation>
    </message>
    <message>
        <source>Existing files</source>
        <translation>Archivos existentes</translation>
    </message>
    <message>
        <source>When the output file &amp;exists:</source>
        <translation>Si el archivo de salida &amp;existe:</translation>
    </message>
    <message>
        <source>Write a numbered copy</source>
        <translation>Escribir una copia numerada</translation>
    </message>
    <message>
        <source>Replace it</source>
        <translation>Reemplazarlo</translation>
    </message>
    <message>
        <source>Skip the picture</source>
        <translation>Omitir la imagen</translation>
    </message>
    <message>
        <source>&amp;Only write files smaller than the source</source>
        <translation>Escribir solo archivos más &amp;pequeños que el original</translation>
    </message>
    <message>
        <source>Metadata</source>
        <translation>Metadatos</translation>
    </message>
    <message>
        <source>Keep &amp;metadata</source>
        <translation>Mantener los &amp;metadatos</translation>
    </message>
    <message>
        <source>Camera data (EXIF), XMP, IPTC and the colour profile, in the formats that hold them</source>
        <translation>Datos de la cámara (EXIF), XMP, IPTC y perfil de color, en los formatos que los admiten</translation>
    </message>
    <message>
        <source>&amp;Remove location</source>
        <translation>Quitar la &amp;ubicación</translation>
    </message>
    <message>
        <source>Keep file &amp;dates</source>
        <translation>Mantener las &amp;fechas de archivo</translation>
    </message>
    <message>
        <source>Each output gets its source&apos;s modification time</source>
        <translation>Cada archivo escrito recibe la fecha de modificación de su original</translation>
    </message>
</context>
<context>
    <name>CPictureBox</name>
    <message>
        <source>Loading the preview...</source>
        <translation>Cargando la vista previa...</translation>
    </message>
</context>
<context>
    <name>CProgressDialog</name>
    <message>
        <source>Converting File %1/%2</source>
        <translation>Convirtiendo archivo %1/%2</translation>
    </message>
    <message>
        <source>Adding File %1/%2</source>
        <translation>Añadiendo archivo %1/%2</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Scaning Folder Images...</source>
        <translation>Explorando la carpeta...</translation>
    </message>
    <message>
        <source>Finishing...</source>
        <translation>Finalizando...</translation>
    </message>
    <message>
        <source>Canceling...</source>
        <translation>Cancelando...</translation>
    </message>
</context>
<context>
    <name>CSummaryDialog</name>
    <message>
        <source>Summary - %1</source>
        <translation>Resumen - %1</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiar</translation>
    </message>
    <message>
        <source>Puts the whole summary on the clipboard</source>
        <translation>Copia todo el resumen al portapapeles</translation>
    </message>
    <message>
        <source>&amp;Open Output Folder</source>
        <translation>&amp;Abrir la carpeta de salida</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation>No se pudo abrir la carpeta %1.</translation>
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
        <translation>%1 bytes</translation>
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
        <translation>Detenido tras %1 de %2 imágenes</translation>
    </message>
    <message>
        <source>The picture was written</source>
        <translation>La imagen se escribió</translation>
    </message>
    <message>
        <source>All %1 pictures were written</source>
        <translation>Se escribieron las %1 imágenes</translation>
    </message>
    <message>
        <source>%1 of %2 pictures were written</source>
        <translation>Se escribieron %1 de %2 imágenes</translation>
    </message>
    <message>
        <source>Written: %1
Failed: %2
Skipped: %3
Over target: %4
Damaged: %5</source>
        <translation>Escritas: %1
Fallidas: %2
Omitidas: %3
Por encima del objetivo: %4
Dañadas: %5</translation>
    </message>
    <message>
        <source>
Size of the pictures written: %1 before, %2 after</source>
        <translation>
Tamaño de las imágenes escritas: %1 antes, %2 después</translation>
    </message>
    <message>
        <source>
Time taken: %1</source>
        <translation>
Tiempo empleado: %1</translation>
    </message>
    <message>
        <source>1 picture could not be converted:
</source>
        <translation>No se pudo convertir 1 imagen:
</translation>
    </message>
    <message>
        <source>%1 pictures could not be converted:
</source>
        <translation>No se pudieron convertir %1 imágenes:
</translation>
    </message>
    <message>
        <source>1 picture was written with a warning:
</source>
        <translation>1 imagen se escribió con una advertencia:
</translation>
    </message>
    <message>
        <source>%1 pictures were written with a warning:
</source>
        <translation>%1 imágenes se escribieron con una advertencia:
</translation>
    </message>
    <message>
        <source>1 picture was written over the target size:
</source>
        <translation>1 imagen se escribió por encima del tamaño objetivo:
</translation>
    </message>
    <message>
        <source>%1 pictures were written over the target size:
</source>
        <translation>%1 imágenes se escribieron por encima del tamaño objetivo:
</translation>
    </message>
    <message>
        <source>%1 KB, target %2 KB</source>
        <translation>%1 KB, objetivo %2 KB</translation>
    </message>
    <message>
        <source>%1 of 1 file was added</source>
        <translation>Se añadió %1 de 1 archivo</translation>
    </message>
    <message>
        <source>%1 of %2 files were added</source>
        <translation>Se añadieron %1 de %2 archivos</translation>
    </message>
    <message>
        <source>Added: %1
Not added: %2</source>
        <translation>Añadidos: %1
No añadidos: %2</translation>
    </message>
    <message>
        <source>1 file was not added:
</source>
        <translation>No se añadió 1 archivo:
</translation>
    </message>
    <message>
        <source>%1 files were not added:
</source>
        <translation>No se añadieron %1 archivos:
</translation>
    </message>
</context>
</TS>
