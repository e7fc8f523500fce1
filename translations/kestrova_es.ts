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
        <translation>Sobrescribir</translation>
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
        <source>
... and %1 more</source>
        <translation>
... y %1 más</translation>
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
</TS>
