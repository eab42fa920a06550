<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>CommandLine</name>
    <message>
        <source>Updates the firmware of an OVK Terravox sensor from a terminal, as
the Updater window does: the sensor restarts into its bootloader, and the
flashing tool (util) writes the package through the bootloader&apos;s serial port.
Without --package, the latest package is downloaded from the help server first.

With --all, every sensor connected is updated at the same time, each on its
own USB port; --all --repeat does so group after group.

Exit codes:
  0   update done (batch or --all: every sensor updated, at least one)
  1   error on update (batch or --all: any sensor not updated)
  2   no sensor connected
  3   access denied to the sensor
  4   no usable firmware package
  5   more than one sensor connected
  64  usage error
  128+N stopped by signal N before an update began (130 Ctrl+C, 143 SIGTERM,
      129 hang-up), or 130 when a second Ctrl+C stopped a running update

Ctrl+C, SIGTERM and a hang-up let a running update finish; a second Ctrl+C
stops the flashing tool, and the sensor waits in its bootloader.

Each run&apos;s log and a history of every run are kept in the user&apos;s data folder;
--history prints the last %1 runs of it, --history N the last N, and
--history all every one.</source>
        <translation>Actualiza el firmware de un sensor OVK Terravox desde un terminal, como lo
hace la ventana de Updater: el sensor se reinicia en su bootloader y la
herramienta de flasheo (util) escribe el paquete a través del puerto serie del
bootloader. Sin --package, primero se descarga el paquete más reciente del
servidor de ayuda.

Con --all, todos los sensores conectados se actualizan a la vez, cada uno en su
propio puerto USB; --all --repeat lo hace grupo tras grupo.

Códigos de salida:
  0   actualización completada (lote o --all: todos los sensores
      actualizados, al menos uno)
  1   error en la actualización (lote o --all: algún sensor sin actualizar)
  2   ningún sensor conectado
  3   acceso denegado al sensor
  4   ningún paquete de firmware utilizable
  5   más de un sensor conectado
  64  error de uso
  128+N detenido por la señal N antes de empezar una actualización (130 Ctrl+C,
      143 SIGTERM, 129 SIGHUP), o 130 si un segundo Ctrl+C detuvo una
      actualización en curso

Ctrl+C, SIGTERM y SIGHUP dejan terminar una actualización en curso; un segundo
Ctrl+C detiene la herramienta de flasheo y el sensor espera en su bootloader.

El registro de cada actualización y el historial de todas se guardan en la
carpeta de datos del usuario; --history muestra las últimas %1, --history N las
últimas N y --history all todas.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Muestra la información de la versión.</translation>
    </message>
    <message>
        <source>file</source>
        <extracomment>The value of an option in --help: --package &lt;file&gt;</extracomment>
        <translation>archivo</translation>
    </message>
    <message>
        <source>seconds</source>
        <extracomment>The value of an option in --help: --wait &lt;seconds&gt;</extracomment>
        <translation>segundos</translation>
    </message>
    <message>
        <source>Update with this local firmware package (.zip) instead of downloading one.</source>
        <translation>Actualizar con este paquete de firmware local (.zip) en lugar de descargar uno.</translation>
    </message>
    <message>
        <source>Wait up to this many seconds for a sensor to be connected.</source>
        <translation>Esperar como máximo este número de segundos a que se conecte un sensor.</translation>
    </message>
    <message>
        <source>Stop the flashing tool when it has not finished after this many seconds (default 600).</source>
        <translation>Detener la herramienta de flasheo si no ha terminado tras este número de segundos (600 por defecto).</translation>
    </message>
    <message>
        <source>Batch mode: update each sensor plugged in, one after the other, until interrupted (Ctrl+C). A running update is always let finish.</source>
        <translation>Modo por lotes: actualizar cada sensor que se conecte, uno tras otro, hasta que se interrumpa (Ctrl+C). Una actualización en curso siempre se deja terminar.</translation>
    </message>
    <message>
        <source>Update every sensor connected at the same time, one update each; a sensor whose USB port cannot be told apart from another&apos;s is left out, and said so.</source>
        <translation>Actualizar a la vez todos los sensores conectados, una actualización por sensor; un sensor cuyo puerto USB no se pueda distinguir del de otro se omite, y se indica.</translation>
    </message>
    <message>
        <source>With --all: run at most this many flashing tools at the same time (for a tool that cannot run twice at once: 1); the sensors&apos; restarts still overlap. Default: no limit.</source>
        <translation>Con --all: ejecutar como máximo este número de herramientas de flasheo a la vez (para una herramienta que no admite dos ejecuciones simultáneas: 1); los reinicios de los sensores se siguen solapando. Por defecto: sin límite.</translation>
    </message>
    <message>
        <source>count</source>
        <extracomment>The value of an option in --help: --tools-at-once &lt;count&gt;</extracomment>
        <translation>cantidad</translation>
    </message>
    <message>
        <source>Show the debug log on stderr.</source>
        <translation>Mostrar el registro de depuración en stderr.</translation>
    </message>
    <message>
        <source>Print one JSON object per event (step, progress, outcome, batch summary), and nothing else, on standard output.</source>
        <translation>Escribir un objeto JSON por evento (paso, progreso, resultado, resumen del lote), y nada más, en la salida estándar.</translation>
    </message>
    <message>
        <source>Print the last %1 updates (--history N: the last N, --history all: every one; with --json: as JSON lines) and exit.</source>
        <translation>Mostrar las últimas %1 actualizaciones (--history N: las últimas N, --history all: todas; con --json: como líneas JSON) y salir.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argumento inesperado: %1</translation>
    </message>
    <message>
        <source>--history takes a number of runs from 1, or all</source>
        <translation>--history requiere un número a partir de 1, o all</translation>
    </message>
    <message>
        <source>--package needs a file</source>
        <translation>--package requiere un archivo</translation>
    </message>
    <message>
        <source>--wait needs a number of seconds</source>
        <translation>--wait requiere un número de segundos</translation>
    </message>
    <message>
        <source>--tool-timeout needs a number of seconds</source>
        <translation>--tool-timeout requiere un número de segundos</translation>
    </message>
    <message>
        <source>--tools-at-once needs a number from 1</source>
        <translation>--tools-at-once requiere un número a partir de 1</translation>
    </message>
</context>
<context>
    <name>ConsoleOutput</name>
    <message>
        <source>Sensor on %1</source>
        <translation>Sensor en %1</translation>
    </message>
    <message>
        <source>Sensor %1</source>
        <translation>Sensor %1</translation>
    </message>
    <message>
        <source>Sensor %1 (%2)</source>
        <translation>Sensor %1 (%2)</translation>
    </message>
    <message>
        <source>%1 updated, %2 failed</source>
        <translation>Actualizados: %1, con error: %2</translation>
    </message>
</context>
<context>
    <name>ConsoleProgram</name>
    <message>
        <source>The last %1 of %2 runs; --history all prints every one.</source>
        <translation>Las últimas %1 de %2 actualizaciones; --history all las muestra todas.</translation>
    </message>
</context>
<context>
    <name>ConsoleSession</name>
    <message>
        <source>Downloading the latest firmware package</source>
        <translation>Descargando el paquete de firmware más reciente</translation>
    </message>
    <message>
        <source>Could not download the latest package; updating with the one stored on %1.</source>
        <translation>No se pudo descargar el paquete más reciente; se actualizará con el guardado el %1.</translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation>Interrumpido</translation>
    </message>
    <message>
        <source>The flashing tool&apos;s last lines:</source>
        <translation>Últimas líneas de la herramienta de flasheo:</translation>
    </message>
</context>
<context>
    <name>DefaultFileDialog</name>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nombre de archivo</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>file type (extension)</comment>
        <translation>Tipo</translation>
    </message>
    <message>
        <source>Size</source>
        <comment>file size</comment>
        <translation>Tamaño</translation>
    </message>
    <message>
        <source>Modified</source>
        <comment>last-modified time</comment>
        <translation>Modificado</translation>
    </message>
    <message>
        <source>Accessed</source>
        <comment>last-accessed time</comment>
        <translation>Último acceso</translation>
    </message>
    <message>
        <source>Go up to the folder containing this one</source>
        <translation>Subir a la carpeta superior</translation>
    </message>
    <message>
        <source>Add the current directory as a favorite</source>
        <translation>Añadir la carpeta actual a favoritos</translation>
    </message>
    <message>
        <source>Remove favorite</source>
        <translation>Quitar de favoritos</translation>
    </message>
</context>
<context>
    <name>DefaultMessageDialog</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>GroupUpdateSession</name>
    <message>
        <source>Waiting for sensors</source>
        <translation>Esperando sensores</translation>
    </message>
    <message>
        <source>Stopping the flashing tools</source>
        <translation>Deteniendo las herramientas de flasheo</translation>
    </message>
    <message>
        <source>Stopping once the running updates have ended</source>
        <translation>Se detendrá cuando terminen las actualizaciones en curso</translation>
    </message>
    <message>
        <source>Unplug the updated sensors</source>
        <translation>Desconecte los sensores actualizados</translation>
    </message>
    <message>
        <source>Updating every sensor connected with %1</source>
        <translation>Actualizando todos los sensores conectados con %1</translation>
    </message>
    <message>
        <source>Waiting for the next sensors</source>
        <translation>Esperando los siguientes sensores</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Sensor connected</source>
        <translation>Sensor conectado</translation>
    </message>
    <message>
        <source>Update history</source>
        <translation>Historial de actualizaciones</translation>
    </message>
    <message>
        <source>Every update started by this user on this computer, newest first:</source>
        <translation>Todas las actualizaciones iniciadas por este usuario en este equipo, de la más reciente a la más antigua:</translation>
    </message>
    <message>
        <source>No firmware chosen</source>
        <translation>Ningún firmware seleccionado</translation>
    </message>
    <message>
        <source>Please chose a firmware file File-&gt;Open, or deactivate Advanced mode to get the latest Terravox update online</source>
        <translation>Elija un archivo de firmware en Archivo &gt; Abrir o desactive el modo avanzado para obtener en línea la última actualización de Terravox.</translation>
    </message>
    <message>
        <source>Update in progress</source>
        <translation>Actualización en curso</translation>
    </message>
    <message>
        <source>The sensor is being updated. The window can be closed once the update has finished.</source>
        <translation>Se está actualizando el sensor. Podrá cerrar la ventana cuando termine la actualización.</translation>
    </message>
    <message>
        <source>New program version available</source>
        <translation>Nueva versión del programa disponible</translation>
    </message>
    <message>
        <source>A new version of this program is available, press OK to download the last version</source>
        <translation>Hay una nueva versión de este programa disponible. Pulse Aceptar para descargarla.</translation>
    </message>
</context>
<context>
    <name>MainWindowForm.ui</name>
    <message>
        <source>Update Sensor</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Update in progress...</source>
        <translation>Actualizando...</translation>
    </message>
    <message>
        <source>Do not unplug the sensor</source>
        <translation>No desconecte el sensor</translation>
    </message>
    <message>
        <source>OVK website</source>
        <translation>Sitio web de OVK</translation>
    </message>
</context>
<context>
    <name>OutcomeWords</name>
    <message>
        <source>Error on update</source>
        <translation>Error en la actualización</translation>
    </message>
    <message>
        <source>Update done</source>
        <translation>Actualización completada</translation>
    </message>
    <message>
        <source>No sensor connected</source>
        <translation>Ningún sensor conectado</translation>
    </message>
    <message>
        <source>Access denied</source>
        <translation>Acceso denegado</translation>
    </message>
    <message>
        <source>Update already running</source>
        <translation>Ya hay una actualización en curso</translation>
    </message>
    <message>
        <source>More than one sensor connected</source>
        <translation>Hay más de un sensor conectado</translation>
    </message>
    <message>
        <source>Cannot start the update</source>
        <translation>No se puede iniciar la actualización</translation>
    </message>
    <message>
        <source>No flashing tool found</source>
        <translation>No se encontró la herramienta de flasheo</translation>
    </message>
    <message>
        <source>Withdrawn before the sensor was touched</source>
        <translation>Cancelada antes de acceder al sensor</translation>
    </message>
    <message>
        <source>Something went wrong during the update process, please try again.</source>
        <translation>Se produjo un error durante la actualización. Vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>The update has been completed successfully</source>
        <translation>La actualización se completó correctamente.</translation>
    </message>
    <message>
        <source>Please connect a Sensor.</source>
        <translation>Conecte un sensor.</translation>
    </message>
    <message>
        <source>We couldn&apos;t access your sensor. Please disconnect your sensor and make sure it&apos;s not open in any chrome tab</source>
        <translation>No se pudo acceder a su sensor. Desconéctelo y asegúrese de que no esté abierto en ninguna pestaña de Chrome.</translation>
    </message>
    <message>
        <source>Another program on this computer is updating a sensor. Please wait until it has finished.</source>
        <translation>Otro programa de este equipo está actualizando un sensor. Espere a que termine.</translation>
    </message>
    <message>
        <source>Please connect only one sensor.</source>
        <translation>Conecte un solo sensor.</translation>
    </message>
    <message>
        <source>The lock that keeps two programs from updating a sensor at the same time cannot be used (%1). Please ask whoever looks after this computer to remove it.</source>
        <translation>No se puede usar el bloqueo que impide que dos programas actualicen un sensor a la vez (%1). Pida a quien administre este equipo que lo elimine.</translation>
    </message>
    <message>
        <source>Please put %1 beside the program or on PATH, then try again.</source>
        <translation>Coloque %1 en la carpeta del programa o en el PATH y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>The update was withdrawn while it waited for its firmware package.</source>
        <translation>La actualización se canceló mientras esperaba su paquete de firmware.</translation>
    </message>
    <message>
        <source>Cannot use the update lock %1</source>
        <translation>No se puede usar el bloqueo de actualización %1</translation>
    </message>
    <message>
        <source>No flashing tool found: put %1 beside the program or on PATH</source>
        <translation>No se encontró la herramienta de flasheo: coloque %1 en la carpeta del programa o en el PATH</translation>
    </message>
    <message>
        <source>No usable firmware package: %1</source>
        <translation>No hay un paquete de firmware utilizable: %1</translation>
    </message>
    <message>
        <source>The flashing tool did not finish in %1 s and was stopped.</source>
        <translation>La herramienta de flasheo no terminó en %1 s y se detuvo.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>A label, then what it says: &quot;Access denied: ...&quot;, &quot;Sensor 3-1: Update done&quot;.</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The sensor waits in its bootloader; update it again.</source>
        <translation>El sensor espera en su bootloader; vuelva a actualizarlo.</translation>
    </message>
    <message>
        <source>the flashing tool&apos;s supervisor ended unexpectedly; the tool may still be running</source>
        <translation>el supervisor de la herramienta de flasheo terminó de forma inesperada; es posible que la herramienta siga en ejecución</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1.</source>
        <translation>La señal %1 detuvo la herramienta de flasheo.</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1 (%2).</source>
        <translation>La señal %1 (%2) detuvo la herramienta de flasheo.</translation>
    </message>
    <message>
        <source>Waiting for the firmware package</source>
        <translation>Esperando el firmware</translation>
    </message>
    <message>
        <source>Restarting the sensor into its bootloader</source>
        <translation>Reiniciando en modo bootloader</translation>
    </message>
    <message>
        <source>Looking for the bootloader</source>
        <translation>Buscando el bootloader</translation>
    </message>
    <message>
        <source>Writing the firmware</source>
        <translation>Escribiendo el firmware</translation>
    </message>
    <message>
        <source>Waiting for the flashing tool</source>
        <translation>Esperando la herramienta de flasheo</translation>
    </message>
    <message>
        <source>%1 (%2 %)</source>
        <translation>%1 (%2 %)</translation>
    </message>
    <message>
        <source>No running sensor was found to restart; its bootloader was looked for instead.</source>
        <translation>No se encontró ningún sensor en funcionamiento que reiniciar; en su lugar se buscó su bootloader.</translation>
    </message>
    <message>
        <source>The sensor went away while it was being opened: it was unplugged or restarted.</source>
        <translation>El sensor desapareció mientras se abría: se desconectó o se reinició.</translation>
    </message>
    <message>
        <source>Another program holds the sensor. Close it, then try again.</source>
        <translation>Otro programa está usando el sensor. Ciérrelo y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>The sensor cannot be opened because Windows has not bound the WinUSB driver to it (LIBUSB_ERROR_NOT_SUPPORTED). Install the WinUSB driver for the sensor&apos;s interface 0, plug the sensor in again and try again.</source>
        <translation>No se puede abrir el sensor porque Windows no le ha asignado el controlador WinUSB (LIBUSB_ERROR_NOT_SUPPORTED). Instale el controlador WinUSB para la interfaz 0 del sensor, vuelva a conectarlo e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>This system does not let the program open the sensor (LIBUSB_ERROR_NOT_SUPPORTED).</source>
        <translation>Este sistema no permite que el programa abra el sensor (LIBUSB_ERROR_NOT_SUPPORTED).</translation>
    </message>
    <message>
        <source>The sensor could not be opened (libusb error %1).</source>
        <translation>No se pudo abrir el sensor (error de libusb %1).</translation>
    </message>
    <message>
        <source>Only this user&apos;s programs were kept off the sensor: the lock shared by every user could not be made (%1).</source>
        <translation>Solo se impidió el acceso al sensor a los programas de este usuario: no se pudo crear el bloqueo compartido por todos los usuarios (%1).</translation>
    </message>
</context>
<context>
    <name>ReportDialog</name>
    <message>
        <source>Hide details</source>
        <translation>Ocultar detalles</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Detalles</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>Copies the message and its details</source>
        <translation>Copia el mensaje y sus detalles</translation>
    </message>
</context>
<context>
    <name>RunHistory</name>
    <message>
        <source>1 earlier run is not shown.</source>
        <translation>No se muestra 1 actualización anterior.</translation>
    </message>
    <message>
        <source>%1 earlier runs are not shown.</source>
        <translation>No se muestran %1 actualizaciones anteriores.</translation>
    </message>
    <message>
        <source>package</source>
        <extracomment>The steps of an update, in the history&apos;s table: waiting for the firmware package, restarting the sensor, looking for its bootloader, writing the firmware, waiting for another sensor&apos;s flashing tool to finish.</extracomment>
        <translation>paquete</translation>
    </message>
    <message>
        <source>restart</source>
        <translation>reinicio</translation>
    </message>
    <message>
        <source>bootloader</source>
        <translation>bootloader</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>escritura</translation>
    </message>
    <message>
        <source>queue</source>
        <translation>cola</translation>
    </message>
    <message>
        <source>%1 (signal %2)</source>
        <translation>%1 (señal %2)</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programa</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Package</source>
        <translation>Paquete</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Resultado</translation>
    </message>
    <message>
        <source>Steps</source>
        <translation>Pasos</translation>
    </message>
</context>
<context>
    <name>RunRecord</name>
    <message>
        <source>What the flashing tool said last:</source>
        <translation>Última salida de la herramienta de flasheo:</translation>
    </message>
    <message>
        <source>Its errors:</source>
        <translation>Errores de la herramienta de flasheo:</translation>
    </message>
    <message>
        <source>Log of the update:</source>
        <translation>Registro de la actualización:</translation>
    </message>
</context>
<context>
    <name>SensorUpdateSession</name>
    <message>
        <source>Waiting for a sensor</source>
        <translation>Esperando un sensor</translation>
    </message>
    <message>
        <source>Stopping the flashing tool</source>
        <translation>Deteniendo la herramienta de flasheo</translation>
    </message>
    <message>
        <source>Stopping once the running update has ended</source>
        <translation>Se detendrá cuando termine la actualización en curso</translation>
    </message>
    <message>
        <source>Unplug the updated sensor</source>
        <translation>Desconecte el sensor actualizado</translation>
    </message>
    <message>
        <source>Updating the sensor with %1</source>
        <translation>Actualizando el sensor con %1</translation>
    </message>
    <message>
        <source>Sensor %1: %2 (%3 updated, %4 failed)</source>
        <translation>Sensor %1: %2 (actualizados: %3, con error: %4)</translation>
    </message>
    <message>
        <source>Waiting for the next sensor</source>
        <translation>Esperando el siguiente sensor</translation>
    </message>
</context>
<context>
    <name>UpdateGroup</name>
    <message>
        <source>not updated with the others: where it is plugged in cannot be told apart from where the others are</source>
        <translation>no se actualizó con los demás: su puerto no se puede distinguir del de los otros</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Abrir</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Configuración</translation>
    </message>
    <message>
        <source>&amp;Advanced mode</source>
        <translation>Modo &amp;avanzado</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>&amp;Usage</source>
        <translation>&amp;Instrucciones de uso</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Acerca de</translation>
    </message>
    <message>
        <source>Update &amp;history</source>
        <translation>&amp;Historial</translation>
    </message>
    <message>
        <source>Open &amp;log folder</source>
        <translation>Abrir los &amp;registros</translation>
    </message>
    <message>
        <source>Please choose a firmware file</source>
        <translation>Elija un archivo de firmware</translation>
    </message>
    <message>
        <source>OVK Sensor update file (*.zip)</source>
        <translation>Archivo de actualización de sensor OVK (*.zip)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
</context>
</TS>
