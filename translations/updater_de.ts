<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
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
        <translation>Aktualisiert die Firmware eines OVK-Terravox-Sensors im Terminal, wie es das
Updater-Fenster tut: Der Sensor startet in seinen Bootloader neu, und das
Flash-Tool (util) schreibt das Paket über die serielle Schnittstelle des
Bootloaders. Ohne --package wird zuerst das neueste Paket vom Hilfe-Server
heruntergeladen.

Mit --all werden alle angeschlossenen Sensoren gleichzeitig aktualisiert, jeder
an seinem eigenen USB-Anschluss; --all --repeat tut dies Gruppe für Gruppe.

Exit-Codes:
  0   Update abgeschlossen (Serie oder --all: jeder Sensor aktualisiert,
      mindestens einer)
  1   Fehler beim Update (Serie oder --all: mindestens ein Sensor nicht
      aktualisiert)
  2   kein Sensor angeschlossen
  3   Zugriff auf den Sensor verweigert
  4   kein verwendbares Firmware-Paket
  5   mehr als ein Sensor angeschlossen
  64  Aufruffehler
  128+N durch Signal N beendet, bevor ein Update begann (130 Strg+C,
      143 SIGTERM, 129 SIGHUP), oder 130, wenn ein zweites Strg+C ein
      laufendes Update abgebrochen hat

Strg+C, SIGTERM und SIGHUP lassen ein laufendes Update zu Ende laufen; ein
zweites Strg+C beendet das Flash-Tool, und der Sensor wartet in seinem
Bootloader.

Das Protokoll jedes Updates und ein Verlauf aller Updates werden im
Datenordner des Benutzers gespeichert; --history zeigt die letzten %1 davon an,
--history N die letzten N und --history all alle.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Zeigt die Versionsinformationen an.</translation>
    </message>
    <message>
        <source>file</source>
        <extracomment>The value of an option in --help: --package &lt;file&gt;</extracomment>
        <translation>Datei</translation>
    </message>
    <message>
        <source>seconds</source>
        <extracomment>The value of an option in --help: --wait &lt;seconds&gt;</extracomment>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Update with this local firmware package (.zip) instead of downloading one.</source>
        <translation>Mit diesem lokalen Firmware-Paket (.zip) aktualisieren, statt eines herunterzuladen.</translation>
    </message>
    <message>
        <source>Wait up to this many seconds for a sensor to be connected.</source>
        <translation>Höchstens so viele Sekunden warten, bis ein Sensor angeschlossen wird.</translation>
    </message>
    <message>
        <source>Stop the flashing tool when it has not finished after this many seconds (default 600).</source>
        <translation>Das Flash-Tool beenden, wenn es nach so vielen Sekunden nicht fertig ist (Standard: 600).</translation>
    </message>
    <message>
        <source>Batch mode: update each sensor plugged in, one after the other, until interrupted (Ctrl+C). A running update is always let finish.</source>
        <translation>Serienmodus: jeden angeschlossenen Sensor nacheinander aktualisieren, bis zur Unterbrechung (Strg+C). Ein laufendes Update wird immer zu Ende geführt.</translation>
    </message>
    <message>
        <source>Update every sensor connected at the same time, one update each; a sensor whose USB port cannot be told apart from another&apos;s is left out, and said so.</source>
        <translation>Alle angeschlossenen Sensoren gleichzeitig aktualisieren, ein Update je Sensor; ein Sensor, dessen USB-Anschluss sich nicht von dem eines anderen unterscheiden lässt, wird mit einem Hinweis ausgelassen.</translation>
    </message>
    <message>
        <source>With --all: run at most this many flashing tools at the same time (for a tool that cannot run twice at once: 1); the sensors&apos; restarts still overlap. Default: no limit.</source>
        <translation>Mit --all: höchstens so viele Flash-Tools gleichzeitig ausführen (für ein Tool, das nicht zweimal gleichzeitig laufen kann: 1); die Neustarts der Sensoren überlappen sich trotzdem. Standard: keine Begrenzung.</translation>
    </message>
    <message>
        <source>count</source>
        <extracomment>The value of an option in --help: --tools-at-once &lt;count&gt;</extracomment>
        <translation>Anzahl</translation>
    </message>
    <message>
        <source>Show the debug log on stderr.</source>
        <translation>Das Debug-Protokoll auf stderr ausgeben.</translation>
    </message>
    <message>
        <source>Print one JSON object per event (step, progress, outcome, batch summary), and nothing else, on standard output.</source>
        <translation>Pro Ereignis ein JSON-Objekt (Schritt, Fortschritt, Ergebnis, Zusammenfassung der Serie) und sonst nichts auf der Standardausgabe ausgeben.</translation>
    </message>
    <message>
        <source>Print the last %1 updates (--history N: the last N, --history all: every one; with --json: as JSON lines) and exit.</source>
        <translation>Die letzten %1 Updates ausgeben (--history N: die letzten N, --history all: alle; mit --json: als JSON-Zeilen) und beenden.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>--history takes a number of runs from 1, or all</source>
        <translation>--history erwartet eine Anzahl ab 1 oder all</translation>
    </message>
    <message>
        <source>--package needs a file</source>
        <translation>--package erwartet eine Datei</translation>
    </message>
    <message>
        <source>--wait needs a number of seconds</source>
        <translation>--wait erwartet eine Anzahl Sekunden</translation>
    </message>
    <message>
        <source>--tool-timeout needs a number of seconds</source>
        <translation>--tool-timeout erwartet eine Anzahl Sekunden</translation>
    </message>
    <message>
        <source>--tools-at-once needs a number from 1</source>
        <translation>--tools-at-once erwartet eine Zahl ab 1</translation>
    </message>
</context>
<context>
    <name>ConsoleOutput</name>
    <message>
        <source>Sensor on %1</source>
        <translation>Sensor an %1</translation>
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
        <translation>%1 aktualisiert, %2 fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ConsoleProgram</name>
    <message>
        <source>The last %1 of %2 runs; --history all prints every one.</source>
        <translation>Die letzten %1 von %2 Updates; --history all zeigt alle an.</translation>
    </message>
</context>
<context>
    <name>ConsoleSession</name>
    <message>
        <source>Downloading the latest firmware package</source>
        <translation>Neuestes Firmware-Paket wird heruntergeladen</translation>
    </message>
    <message>
        <source>Could not download the latest package; updating with the one stored on %1.</source>
        <translation>Das neueste Paket konnte nicht heruntergeladen werden; es wird mit dem am %1 gespeicherten Paket aktualisiert.</translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation>Unterbrochen</translation>
    </message>
    <message>
        <source>The flashing tool&apos;s last lines:</source>
        <translation>Letzte Zeilen des Flash-Tools:</translation>
    </message>
</context>
<context>
    <name>DefaultFileDialog</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>file type (extension)</comment>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Size</source>
        <comment>file size</comment>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Modified</source>
        <comment>last-modified time</comment>
        <translation>Letzte Änderung</translation>
    </message>
    <message>
        <source>Accessed</source>
        <comment>last-accessed time</comment>
        <translation>Letzter Zugriff</translation>
    </message>
    <message>
        <source>Go up to the folder containing this one</source>
        <translation>Zum übergeordneten Ordner wechseln</translation>
    </message>
    <message>
        <source>Add the current directory as a favorite</source>
        <translation>Aktuellen Ordner zu den Favoriten hinzufügen</translation>
    </message>
    <message>
        <source>Remove favorite</source>
        <translation>Favorit entfernen</translation>
    </message>
</context>
<context>
    <name>DefaultMessageDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>GroupUpdateSession</name>
    <message>
        <source>Waiting for sensors</source>
        <translation>Warten auf Sensoren</translation>
    </message>
    <message>
        <source>Stopping the flashing tools</source>
        <translation>Flash-Tools werden beendet</translation>
    </message>
    <message>
        <source>Stopping once the running updates have ended</source>
        <translation>Wird beendet, sobald die laufenden Updates abgeschlossen sind</translation>
    </message>
    <message>
        <source>Unplug the updated sensors</source>
        <translation>Ziehen Sie die aktualisierten Sensoren ab</translation>
    </message>
    <message>
        <source>Updating every sensor connected with %1</source>
        <translation>Alle angeschlossenen Sensoren werden mit %1 aktualisiert</translation>
    </message>
    <message>
        <source>Waiting for the next sensors</source>
        <translation>Warten auf die nächsten Sensoren</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Sensor connected</source>
        <translation>Sensor angeschlossen</translation>
    </message>
    <message>
        <source>Update history</source>
        <translation>Update-Verlauf</translation>
    </message>
    <message>
        <source>Every update started by this user on this computer, newest first:</source>
        <translation>Alle Updates, die dieser Benutzer auf diesem Computer gestartet hat, das neueste zuerst:</translation>
    </message>
    <message>
        <source>No firmware chosen</source>
        <translation>Keine Firmware ausgewählt</translation>
    </message>
    <message>
        <source>Please chose a firmware file File-&gt;Open, or deactivate Advanced mode to get the latest Terravox update online</source>
        <translation>Bitte wählen Sie unter Datei &gt; Öffnen eine Firmware-Datei aus, oder schalten Sie den Expertenmodus aus, um das neueste Terravox-Update online zu erhalten.</translation>
    </message>
    <message>
        <source>Update in progress</source>
        <translation>Update läuft</translation>
    </message>
    <message>
        <source>The sensor is being updated. The window can be closed once the update has finished.</source>
        <translation>Der Sensor wird gerade aktualisiert. Das Fenster kann geschlossen werden, sobald das Update abgeschlossen ist.</translation>
    </message>
    <message>
        <source>New program version available</source>
        <translation>Neue Programmversion verfügbar</translation>
    </message>
    <message>
        <source>A new version of this program is available, press OK to download the last version</source>
        <translation>Eine neue Version dieses Programms ist verfügbar. Klicken Sie auf OK, um die neueste Version herunterzuladen.</translation>
    </message>
</context>
<context>
    <name>MainWindowForm.ui</name>
    <message>
        <source>Update Sensor</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Update in progress...</source>
        <translation>Update läuft...</translation>
    </message>
    <message>
        <source>Do not unplug the sensor</source>
        <translation>Sensor nicht abziehen</translation>
    </message>
    <message>
        <source>OVK website</source>
        <translation>OVK-Website</translation>
    </message>
</context>
<context>
    <name>OutcomeWords</name>
    <message>
        <source>Error on update</source>
        <translation>Fehler beim Update</translation>
    </message>
    <message>
        <source>Update done</source>
        <translation>Update abgeschlossen</translation>
    </message>
    <message>
        <source>No sensor connected</source>
        <translation>Kein Sensor angeschlossen</translation>
    </message>
    <message>
        <source>Access denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Update already running</source>
        <translation>Update läuft bereits</translation>
    </message>
    <message>
        <source>More than one sensor connected</source>
        <translation>Mehr als ein Sensor angeschlossen</translation>
    </message>
    <message>
        <source>Cannot start the update</source>
        <translation>Update kann nicht gestartet werden</translation>
    </message>
    <message>
        <source>No flashing tool found</source>
        <translation>Kein Flash-Tool gefunden</translation>
    </message>
    <message>
        <source>Withdrawn before the sensor was touched</source>
        <translation>Abgebrochen, bevor auf den Sensor zugegriffen wurde</translation>
    </message>
    <message>
        <source>Something went wrong during the update process, please try again.</source>
        <translation>Beim Update ist ein Fehler aufgetreten. Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The update has been completed successfully</source>
        <translation>Das Update wurde erfolgreich abgeschlossen.</translation>
    </message>
    <message>
        <source>Please connect a Sensor.</source>
        <translation>Bitte schließen Sie einen Sensor an.</translation>
    </message>
    <message>
        <source>We couldn&apos;t access your sensor. Please disconnect your sensor and make sure it&apos;s not open in any chrome tab</source>
        <translation>Auf Ihren Sensor konnte nicht zugegriffen werden. Bitte trennen Sie den Sensor und stellen Sie sicher, dass er in keinem Chrome-Tab geöffnet ist.</translation>
    </message>
    <message>
        <source>Another program on this computer is updating a sensor. Please wait until it has finished.</source>
        <translation>Ein anderes Programm auf diesem Computer aktualisiert gerade einen Sensor. Bitte warten Sie, bis es fertig ist.</translation>
    </message>
    <message>
        <source>Please connect only one sensor.</source>
        <translation>Bitte schließen Sie nur einen Sensor an.</translation>
    </message>
    <message>
        <source>The lock that keeps two programs from updating a sensor at the same time cannot be used (%1). Please ask whoever looks after this computer to remove it.</source>
        <translation>Die Sperre, die verhindert, dass zwei Programme gleichzeitig einen Sensor aktualisieren, kann nicht verwendet werden (%1). Bitten Sie die für diesen Computer zuständige Person, sie zu entfernen.</translation>
    </message>
    <message>
        <source>Please put %1 beside the program or on PATH, then try again.</source>
        <translation>Bitte legen Sie %1 in den Ordner des Programms oder in einen Ordner im PATH und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>The update was withdrawn while it waited for its firmware package.</source>
        <translation>Das Update wurde abgebrochen, während es auf sein Firmware-Paket wartete.</translation>
    </message>
    <message>
        <source>Cannot use the update lock %1</source>
        <translation>Die Update-Sperre %1 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>No flashing tool found: put %1 beside the program or on PATH</source>
        <translation>Kein Flash-Tool gefunden: Legen Sie %1 in den Ordner des Programms oder in einen Ordner im PATH</translation>
    </message>
    <message>
        <source>No usable firmware package: %1</source>
        <translation>Kein verwendbares Firmware-Paket: %1</translation>
    </message>
    <message>
        <source>The flashing tool did not finish in %1 s and was stopped.</source>
        <translation>Das Flash-Tool war nach %1 s nicht fertig und wurde beendet.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>A label, then what it says: &quot;Access denied: ...&quot;, &quot;Sensor 3-1: Update done&quot;.</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The sensor waits in its bootloader; update it again.</source>
        <translation>Der Sensor wartet in seinem Bootloader; aktualisieren Sie ihn erneut.</translation>
    </message>
    <message>
        <source>the flashing tool&apos;s supervisor ended unexpectedly; the tool may still be running</source>
        <translation>der Überwachungsprozess des Flash-Tools wurde unerwartet beendet; das Tool läuft möglicherweise noch</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1.</source>
        <translation>Das Flash-Tool wurde durch Signal %1 beendet.</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1 (%2).</source>
        <translation>Das Flash-Tool wurde durch Signal %1 (%2) beendet.</translation>
    </message>
    <message>
        <source>Waiting for the firmware package</source>
        <translation>Firmware-Paket wird geladen</translation>
    </message>
    <message>
        <source>Restarting the sensor into its bootloader</source>
        <translation>Sensor startet in den Bootloader neu</translation>
    </message>
    <message>
        <source>Looking for the bootloader</source>
        <translation>Suche nach dem Bootloader</translation>
    </message>
    <message>
        <source>Writing the firmware</source>
        <translation>Firmware wird geschrieben</translation>
    </message>
    <message>
        <source>Waiting for the flashing tool</source>
        <translation>Warten auf das Flash-Tool</translation>
    </message>
    <message>
        <source>%1 (%2 %)</source>
        <translation>%1 (%2 %)</translation>
    </message>
    <message>
        <source>No running sensor was found to restart; its bootloader was looked for instead.</source>
        <translation>Es wurde kein laufender Sensor zum Neustarten gefunden; stattdessen wurde nach seinem Bootloader gesucht.</translation>
    </message>
    <message>
        <source>The sensor went away while it was being opened: it was unplugged or restarted.</source>
        <translation>Der Sensor ist beim Öffnen verschwunden: Er wurde abgezogen oder neu gestartet.</translation>
    </message>
    <message>
        <source>Another program holds the sensor. Close it, then try again.</source>
        <translation>Ein anderes Programm belegt den Sensor. Schließen Sie es und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>The sensor cannot be opened because Windows has not bound the WinUSB driver to it (LIBUSB_ERROR_NOT_SUPPORTED). Install the WinUSB driver for the sensor&apos;s interface 0, plug the sensor in again and try again.</source>
        <translation>Der Sensor kann nicht geöffnet werden, weil Windows ihm den WinUSB-Treiber nicht zugewiesen hat (LIBUSB_ERROR_NOT_SUPPORTED). Installieren Sie den WinUSB-Treiber für die Schnittstelle 0 des Sensors, schließen Sie den Sensor erneut an und versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <source>This system does not let the program open the sensor (LIBUSB_ERROR_NOT_SUPPORTED).</source>
        <translation>Dieses System erlaubt dem Programm nicht, den Sensor zu öffnen (LIBUSB_ERROR_NOT_SUPPORTED).</translation>
    </message>
    <message>
        <source>The sensor could not be opened (libusb error %1).</source>
        <translation>Der Sensor konnte nicht geöffnet werden (libusb-Fehler %1).</translation>
    </message>
    <message>
        <source>Only this user&apos;s programs were kept off the sensor: the lock shared by every user could not be made (%1).</source>
        <translation>Nur die Programme dieses Benutzers wurden vom Sensor ferngehalten: Die Sperre, die alle Benutzer teilen, konnte nicht angelegt werden (%1).</translation>
    </message>
</context>
<context>
    <name>ReportDialog</name>
    <message>
        <source>Hide details</source>
        <translation>Details ausblenden</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copies the message and its details</source>
        <translation>Kopiert die Meldung mit ihren Details</translation>
    </message>
</context>
<context>
    <name>RunHistory</name>
    <message>
        <source>1 earlier run is not shown.</source>
        <translation>1 früheres Update wird nicht angezeigt.</translation>
    </message>
    <message>
        <source>%1 earlier runs are not shown.</source>
        <translation>%1 frühere Updates werden nicht angezeigt.</translation>
    </message>
    <message>
        <source>package</source>
        <extracomment>The steps of an update, in the history&apos;s table: waiting for the firmware package, restarting the sensor, looking for its bootloader, writing the firmware, waiting for another sensor&apos;s flashing tool to finish.</extracomment>
        <translation>Paket</translation>
    </message>
    <message>
        <source>restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>bootloader</source>
        <translation>Bootloader</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>Schreiben</translation>
    </message>
    <message>
        <source>queue</source>
        <translation>Warteschlange</translation>
    </message>
    <message>
        <source>%1 (signal %2)</source>
        <translation>%1 (Signal %2)</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Zeitpunkt</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Package</source>
        <translation>Paket</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Steps</source>
        <translation>Schritte</translation>
    </message>
</context>
<context>
    <name>RunRecord</name>
    <message>
        <source>What the flashing tool said last:</source>
        <translation>Letzte Ausgabe des Flash-Tools:</translation>
    </message>
    <message>
        <source>Its errors:</source>
        <translation>Fehlerausgabe des Flash-Tools:</translation>
    </message>
    <message>
        <source>Log of the update:</source>
        <translation>Protokoll des Updates:</translation>
    </message>
</context>
<context>
    <name>SensorUpdateSession</name>
    <message>
        <source>Waiting for a sensor</source>
        <translation>Warten auf einen Sensor</translation>
    </message>
    <message>
        <source>Stopping the flashing tool</source>
        <translation>Flash-Tool wird beendet</translation>
    </message>
    <message>
        <source>Stopping once the running update has ended</source>
        <translation>Wird beendet, sobald das laufende Update abgeschlossen ist</translation>
    </message>
    <message>
        <source>Unplug the updated sensor</source>
        <translation>Ziehen Sie den aktualisierten Sensor ab</translation>
    </message>
    <message>
        <source>Updating the sensor with %1</source>
        <translation>Sensor wird mit %1 aktualisiert</translation>
    </message>
    <message>
        <source>Sensor %1: %2 (%3 updated, %4 failed)</source>
        <translation>Sensor %1: %2 (%3 aktualisiert, %4 fehlgeschlagen)</translation>
    </message>
    <message>
        <source>Waiting for the next sensor</source>
        <translation>Warten auf den nächsten Sensor</translation>
    </message>
</context>
<context>
    <name>UpdateGroup</name>
    <message>
        <source>not updated with the others: where it is plugged in cannot be told apart from where the others are</source>
        <translation>nicht mit den anderen aktualisiert: Sein Anschluss lässt sich nicht von denen der anderen unterscheiden</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Advanced mode</source>
        <translation>&amp;Expertenmodus</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Usage</source>
        <translation>&amp;Anleitung</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Update &amp;history</source>
        <translation>Update-&amp;Verlauf</translation>
    </message>
    <message>
        <source>Open &amp;log folder</source>
        <translation>&amp;Protokolle öffnen</translation>
    </message>
    <message>
        <source>Please choose a firmware file</source>
        <translation>Firmware-Datei auswählen</translation>
    </message>
    <message>
        <source>OVK Sensor update file (*.zip)</source>
        <translation>Update-Datei für OVK-Sensoren (*.zip)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
</TS>
