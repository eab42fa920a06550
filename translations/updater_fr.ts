<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
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
        <translation>Met à jour le micrologiciel d&apos;un capteur OVK Terravox depuis un terminal,
comme la fenêtre Updater : le capteur redémarre en mode bootloader, et l&apos;outil
de flashage (util) écrit le paquet via le port série du bootloader.
Sans --package, le dernier paquet est d&apos;abord téléchargé depuis le serveur
d&apos;aide.

Avec --all, tous les capteurs connectés sont mis à jour en même temps, chacun
sur son propre port USB ; --all --repeat le fait groupe après groupe.

Codes de sortie :
  0   mise à jour terminée (série ou --all : tous les capteurs mis à jour,
      au moins un)
  1   échec de la mise à jour (série ou --all : au moins un capteur non mis
      à jour)
  2   aucun capteur connecté
  3   accès au capteur refusé
  4   aucun paquet de micrologiciel utilisable
  5   plusieurs capteurs connectés
  64  erreur d&apos;utilisation
  128+N arrêté par le signal N avant le début d&apos;une mise à jour (130 Ctrl+C,
      143 SIGTERM, 129 SIGHUP), ou 130 quand un second Ctrl+C a arrêté une
      mise à jour en cours

Ctrl+C, SIGTERM et SIGHUP laissent une mise à jour en cours se terminer ; un
second Ctrl+C arrête l&apos;outil de flashage, et le capteur attend dans son
bootloader.

Le journal de chaque mise à jour et l&apos;historique de toutes sont conservés dans
le dossier de données de l&apos;utilisateur ; --history en affiche les %1 dernières,
--history N les N dernières et --history all toutes.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Affiche les informations de version.</translation>
    </message>
    <message>
        <source>file</source>
        <extracomment>The value of an option in --help: --package &lt;file&gt;</extracomment>
        <translation>fichier</translation>
    </message>
    <message>
        <source>seconds</source>
        <extracomment>The value of an option in --help: --wait &lt;seconds&gt;</extracomment>
        <translation>secondes</translation>
    </message>
    <message>
        <source>Update with this local firmware package (.zip) instead of downloading one.</source>
        <translation>Mettre à jour avec ce paquet de micrologiciel local (.zip) au lieu d&apos;en télécharger un.</translation>
    </message>
    <message>
        <source>Wait up to this many seconds for a sensor to be connected.</source>
        <translation>Attendre au plus ce nombre de secondes qu&apos;un capteur soit connecté.</translation>
    </message>
    <message>
        <source>Stop the flashing tool when it has not finished after this many seconds (default 600).</source>
        <translation>Arrêter l&apos;outil de flashage s&apos;il n&apos;a pas terminé après ce nombre de secondes (600 par défaut).</translation>
    </message>
    <message>
        <source>Batch mode: update each sensor plugged in, one after the other, until interrupted (Ctrl+C). A running update is always let finish.</source>
        <translation>Mode série : mettre à jour chaque capteur branché, l&apos;un après l&apos;autre, jusqu&apos;à interruption (Ctrl+C). Une mise à jour en cours va toujours jusqu&apos;au bout.</translation>
    </message>
    <message>
        <source>Update every sensor connected at the same time, one update each; a sensor whose USB port cannot be told apart from another&apos;s is left out, and said so.</source>
        <translation>Mettre à jour simultanément tous les capteurs connectés, une mise à jour chacun ; un capteur dont le port USB ne peut être distingué de celui d&apos;un autre est laissé de côté, et le programme le signale.</translation>
    </message>
    <message>
        <source>With --all: run at most this many flashing tools at the same time (for a tool that cannot run twice at once: 1); the sensors&apos; restarts still overlap. Default: no limit.</source>
        <translation>Avec --all : exécuter au plus ce nombre d&apos;outils de flashage en même temps (pour un outil qui ne peut pas tourner en deux instances simultanées : 1) ; les redémarrages des capteurs se chevauchent malgré tout. Par défaut : aucune limite.</translation>
    </message>
    <message>
        <source>count</source>
        <extracomment>The value of an option in --help: --tools-at-once &lt;count&gt;</extracomment>
        <translation>nombre</translation>
    </message>
    <message>
        <source>Show the debug log on stderr.</source>
        <translation>Afficher le journal de débogage sur stderr.</translation>
    </message>
    <message>
        <source>Print one JSON object per event (step, progress, outcome, batch summary), and nothing else, on standard output.</source>
        <translation>Écrire un objet JSON par événement (étape, progression, résultat, bilan de la série), et rien d&apos;autre, sur la sortie standard.</translation>
    </message>
    <message>
        <source>Print the last %1 updates (--history N: the last N, --history all: every one; with --json: as JSON lines) and exit.</source>
        <translation>Afficher les %1 dernières mises à jour (--history N : les N dernières, --history all : toutes ; avec --json : en lignes JSON) et quitter.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argument inattendu : %1</translation>
    </message>
    <message>
        <source>--history takes a number of runs from 1, or all</source>
        <translation>--history attend un nombre à partir de 1, ou all</translation>
    </message>
    <message>
        <source>--package needs a file</source>
        <translation>--package attend un fichier</translation>
    </message>
    <message>
        <source>--wait needs a number of seconds</source>
        <translation>--wait attend un nombre de secondes</translation>
    </message>
    <message>
        <source>--tool-timeout needs a number of seconds</source>
        <translation>--tool-timeout attend un nombre de secondes</translation>
    </message>
    <message>
        <source>--tools-at-once needs a number from 1</source>
        <translation>--tools-at-once attend un nombre à partir de 1</translation>
    </message>
</context>
<context>
    <name>ConsoleOutput</name>
    <message>
        <source>Sensor on %1</source>
        <translation>Capteur sur %1</translation>
    </message>
    <message>
        <source>Sensor %1</source>
        <translation>Capteur %1</translation>
    </message>
    <message>
        <source>Sensor %1 (%2)</source>
        <translation>Capteur %1 (%2)</translation>
    </message>
    <message>
        <source>%1 updated, %2 failed</source>
        <translation>%1 mis à jour, %2 en échec</translation>
    </message>
</context>
<context>
    <name>ConsoleProgram</name>
    <message>
        <source>The last %1 of %2 runs; --history all prints every one.</source>
        <translation>Les %1 dernières des %2 mises à jour ; --history all les affiche toutes.</translation>
    </message>
</context>
<context>
    <name>ConsoleSession</name>
    <message>
        <source>Downloading the latest firmware package</source>
        <translation>Téléchargement du dernier paquet de micrologiciel</translation>
    </message>
    <message>
        <source>Could not download the latest package; updating with the one stored on %1.</source>
        <translation>Impossible de télécharger le dernier paquet ; mise à jour avec celui enregistré le %1.</translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation>Interrompu</translation>
    </message>
    <message>
        <source>The flashing tool&apos;s last lines:</source>
        <translation>Dernières lignes de l&apos;outil de flashage :</translation>
    </message>
</context>
<context>
    <name>DefaultFileDialog</name>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Nom du fichier</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>file type (extension)</comment>
        <translation>Type</translation>
    </message>
    <message>
        <source>Size</source>
        <comment>file size</comment>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Modified</source>
        <comment>last-modified time</comment>
        <translation>Modifié</translation>
    </message>
    <message>
        <source>Accessed</source>
        <comment>last-accessed time</comment>
        <translation>Dernier accès</translation>
    </message>
    <message>
        <source>Go up to the folder containing this one</source>
        <translation>Remonter au dossier parent</translation>
    </message>
    <message>
        <source>Add the current directory as a favorite</source>
        <translation>Ajouter le dossier actuel aux favoris</translation>
    </message>
    <message>
        <source>Remove favorite</source>
        <translation>Supprimer le favori</translation>
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
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>GroupUpdateSession</name>
    <message>
        <source>Waiting for sensors</source>
        <translation>En attente de capteurs</translation>
    </message>
    <message>
        <source>Stopping the flashing tools</source>
        <translation>Arrêt des outils de flashage</translation>
    </message>
    <message>
        <source>Stopping once the running updates have ended</source>
        <translation>Arrêt dès la fin des mises à jour en cours</translation>
    </message>
    <message>
        <source>Unplug the updated sensors</source>
        <translation>Débranchez les capteurs mis à jour</translation>
    </message>
    <message>
        <source>Updating every sensor connected with %1</source>
        <translation>Mise à jour de tous les capteurs connectés avec %1</translation>
    </message>
    <message>
        <source>Waiting for the next sensors</source>
        <translation>En attente des capteurs suivants</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Sensor connected</source>
        <translation>Capteur connecté</translation>
    </message>
    <message>
        <source>Update history</source>
        <translation>Historique des mises à jour</translation>
    </message>
    <message>
        <source>Every update started by this user on this computer, newest first:</source>
        <translation>Toutes les mises à jour lancées par cet utilisateur sur cet ordinateur, de la plus récente à la plus ancienne :</translation>
    </message>
    <message>
        <source>No firmware chosen</source>
        <translation>Aucun micrologiciel choisi</translation>
    </message>
    <message>
        <source>Please chose a firmware file File-&gt;Open, or deactivate Advanced mode to get the latest Terravox update online</source>
        <translation>Veuillez choisir un fichier de micrologiciel (Fichier &gt; Ouvrir) ou désactiver le mode avancé pour obtenir en ligne la dernière mise à jour Terravox.</translation>
    </message>
    <message>
        <source>Update in progress</source>
        <translation>Mise à jour en cours</translation>
    </message>
    <message>
        <source>The sensor is being updated. The window can be closed once the update has finished.</source>
        <translation>Le capteur est en cours de mise à jour. Vous pourrez fermer la fenêtre une fois la mise à jour terminée.</translation>
    </message>
    <message>
        <source>New program version available</source>
        <translation>Nouvelle version du programme disponible</translation>
    </message>
    <message>
        <source>A new version of this program is available, press OK to download the last version</source>
        <translation>Une nouvelle version de ce programme est disponible. Cliquez sur OK pour la télécharger.</translation>
    </message>
</context>
<context>
    <name>MainWindowForm.ui</name>
    <message>
        <source>Update Sensor</source>
        <translation>Mettre à jour</translation>
    </message>
    <message>
        <source>Update in progress...</source>
        <translation>Mise à jour en cours...</translation>
    </message>
    <message>
        <source>Do not unplug the sensor</source>
        <translation>Ne débranchez pas le capteur</translation>
    </message>
    <message>
        <source>OVK website</source>
        <translation>Site web d&apos;OVK</translation>
    </message>
</context>
<context>
    <name>OutcomeWords</name>
    <message>
        <source>Error on update</source>
        <translation>Échec de la mise à jour</translation>
    </message>
    <message>
        <source>Update done</source>
        <translation>Mise à jour terminée</translation>
    </message>
    <message>
        <source>No sensor connected</source>
        <translation>Aucun capteur connecté</translation>
    </message>
    <message>
        <source>Access denied</source>
        <translation>Accès refusé</translation>
    </message>
    <message>
        <source>Update already running</source>
        <translation>Mise à jour déjà en cours</translation>
    </message>
    <message>
        <source>More than one sensor connected</source>
        <translation>Plusieurs capteurs connectés</translation>
    </message>
    <message>
        <source>Cannot start the update</source>
        <translation>Impossible de lancer la mise à jour</translation>
    </message>
    <message>
        <source>No flashing tool found</source>
        <translation>Outil de flashage introuvable</translation>
    </message>
    <message>
        <source>Withdrawn before the sensor was touched</source>
        <translation>Annulée avant tout accès au capteur</translation>
    </message>
    <message>
        <source>Something went wrong during the update process, please try again.</source>
        <translation>Une erreur s&apos;est produite pendant la mise à jour. Veuillez réessayer.</translation>
    </message>
    <message>
        <source>The update has been completed successfully</source>
        <translation>La mise à jour s&apos;est terminée avec succès.</translation>
    </message>
    <message>
        <source>Please connect a Sensor.</source>
        <translation>Veuillez connecter un capteur.</translation>
    </message>
    <message>
        <source>We couldn&apos;t access your sensor. Please disconnect your sensor and make sure it&apos;s not open in any chrome tab</source>
        <translation>Impossible d&apos;accéder à votre capteur. Veuillez le débrancher et vérifier qu&apos;il n&apos;est ouvert dans aucun onglet de Chrome.</translation>
    </message>
    <message>
        <source>Another program on this computer is updating a sensor. Please wait until it has finished.</source>
        <translation>Un autre programme de cet ordinateur met à jour un capteur. Veuillez attendre qu&apos;il ait terminé.</translation>
    </message>
    <message>
        <source>Please connect only one sensor.</source>
        <translation>Veuillez ne connecter qu&apos;un seul capteur.</translation>
    </message>
    <message>
        <source>The lock that keeps two programs from updating a sensor at the same time cannot be used (%1). Please ask whoever looks after this computer to remove it.</source>
        <translation>Le verrou qui empêche deux programmes de mettre à jour un capteur en même temps est inutilisable (%1). Veuillez demander à la personne qui gère cet ordinateur de le supprimer.</translation>
    </message>
    <message>
        <source>Please put %1 beside the program or on PATH, then try again.</source>
        <translation>Veuillez placer %1 dans le dossier du programme ou dans le PATH, puis réessayer.</translation>
    </message>
    <message>
        <source>The update was withdrawn while it waited for its firmware package.</source>
        <translation>La mise à jour a été annulée pendant l&apos;attente de son paquet de micrologiciel.</translation>
    </message>
    <message>
        <source>Cannot use the update lock %1</source>
        <translation>Impossible d&apos;utiliser le verrou de mise à jour %1</translation>
    </message>
    <message>
        <source>No flashing tool found: put %1 beside the program or on PATH</source>
        <translation>Outil de flashage introuvable : placez %1 dans le dossier du programme ou dans le PATH</translation>
    </message>
    <message>
        <source>No usable firmware package: %1</source>
        <translation>Aucun paquet de micrologiciel utilisable : %1</translation>
    </message>
    <message>
        <source>The flashing tool did not finish in %1 s and was stopped.</source>
        <translation>L&apos;outil de flashage n&apos;a pas terminé en %1 s et a été arrêté.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>A label, then what it says: &quot;Access denied: ...&quot;, &quot;Sensor 3-1: Update done&quot;.</extracomment>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>The sensor waits in its bootloader; update it again.</source>
        <translation>Le capteur attend dans son bootloader ; relancez sa mise à jour.</translation>
    </message>
    <message>
        <source>the flashing tool&apos;s supervisor ended unexpectedly; the tool may still be running</source>
        <translation>le superviseur de l&apos;outil de flashage s&apos;est arrêté de façon inattendue ; l&apos;outil tourne peut-être encore</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1.</source>
        <translation>L&apos;outil de flashage a été arrêté par le signal %1.</translation>
    </message>
    <message>
        <source>The flashing tool was ended by signal %1 (%2).</source>
        <translation>L&apos;outil de flashage a été arrêté par le signal %1 (%2).</translation>
    </message>
    <message>
        <source>Waiting for the firmware package</source>
        <translation>En attente du micrologiciel</translation>
    </message>
    <message>
        <source>Restarting the sensor into its bootloader</source>
        <translation>Redémarrage en mode bootloader</translation>
    </message>
    <message>
        <source>Looking for the bootloader</source>
        <translation>Recherche du bootloader</translation>
    </message>
    <message>
        <source>Writing the firmware</source>
        <translation>Écriture du micrologiciel</translation>
    </message>
    <message>
        <source>Waiting for the flashing tool</source>
        <translation>En attente de l&apos;outil de flashage</translation>
    </message>
    <message>
        <source>%1 (%2 %)</source>
        <translation>%1 (%2 %)</translation>
    </message>
    <message>
        <source>No running sensor was found to restart; its bootloader was looked for instead.</source>
        <translation>Aucun capteur en fonctionnement à redémarrer ; son bootloader a été recherché à la place.</translation>
    </message>
    <message>
        <source>The sensor went away while it was being opened: it was unplugged or restarted.</source>
        <translation>Le capteur a disparu pendant son ouverture : il a été débranché ou redémarré.</translation>
    </message>
    <message>
        <source>Another program holds the sensor. Close it, then try again.</source>
        <translation>Un autre programme utilise le capteur. Fermez-le, puis réessayez.</translation>
    </message>
    <message>
        <source>The sensor cannot be opened because Windows has not bound the WinUSB driver to it (LIBUSB_ERROR_NOT_SUPPORTED). Install the WinUSB driver for the sensor&apos;s interface 0, plug the sensor in again and try again.</source>
        <translation>Impossible d&apos;ouvrir le capteur, car Windows ne lui a pas associé le pilote WinUSB (LIBUSB_ERROR_NOT_SUPPORTED). Installez le pilote WinUSB pour l&apos;interface 0 du capteur, rebranchez le capteur et réessayez.</translation>
    </message>
    <message>
        <source>This system does not let the program open the sensor (LIBUSB_ERROR_NOT_SUPPORTED).</source>
        <translation>Ce système ne permet pas au programme d&apos;ouvrir le capteur (LIBUSB_ERROR_NOT_SUPPORTED).</translation>
    </message>
    <message>
        <source>The sensor could not be opened (libusb error %1).</source>
        <translation>Impossible d&apos;ouvrir le capteur (erreur libusb %1).</translation>
    </message>
    <message>
        <source>Only this user&apos;s programs were kept off the sensor: the lock shared by every user could not be made (%1).</source>
        <translation>Seuls les programmes de cet utilisateur ont été tenus à l&apos;écart du capteur : le verrou commun à tous les utilisateurs n&apos;a pas pu être créé (%1).</translation>
    </message>
</context>
<context>
    <name>ReportDialog</name>
    <message>
        <source>Hide details</source>
        <translation>Masquer les détails</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
    <message>
        <source>Copies the message and its details</source>
        <translation>Copie le message et ses détails</translation>
    </message>
</context>
<context>
    <name>RunHistory</name>
    <message>
        <source>1 earlier run is not shown.</source>
        <translation>1 mise à jour antérieure n&apos;est pas affichée.</translation>
    </message>
    <message>
        <source>%1 earlier runs are not shown.</source>
        <translation>%1 mises à jour antérieures ne sont pas affichées.</translation>
    </message>
    <message>
        <source>package</source>
        <extracomment>The steps of an update, in the history&apos;s table: waiting for the firmware package, restarting the sensor, looking for its bootloader, writing the firmware, waiting for another sensor&apos;s flashing tool to finish.</extracomment>
        <translation>paquet</translation>
    </message>
    <message>
        <source>restart</source>
        <translation>redémarrage</translation>
    </message>
    <message>
        <source>bootloader</source>
        <translation>bootloader</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>écriture</translation>
    </message>
    <message>
        <source>queue</source>
        <translation>file d&apos;attente</translation>
    </message>
    <message>
        <source>%1 (signal %2)</source>
        <translation>%1 (signal %2)</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>Capteur</translation>
    </message>
    <message>
        <source>Package</source>
        <translation>Paquet</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Résultat</translation>
    </message>
    <message>
        <source>Steps</source>
        <translation>Étapes</translation>
    </message>
</context>
<context>
    <name>RunRecord</name>
    <message>
        <source>What the flashing tool said last:</source>
        <translation>Dernière sortie de l&apos;outil de flashage :</translation>
    </message>
    <message>
        <source>Its errors:</source>
        <translation>Erreurs de l&apos;outil de flashage :</translation>
    </message>
    <message>
        <source>Log of the update:</source>
        <translation>Journal de la mise à jour :</translation>
    </message>
</context>
<context>
    <name>SensorUpdateSession</name>
    <message>
        <source>Waiting for a sensor</source>
        <translation>En attente d&apos;un capteur</translation>
    </message>
    <message>
        <source>Stopping the flashing tool</source>
        <translation>Arrêt de l&apos;outil de flashage</translation>
    </message>
    <message>
        <source>Stopping once the running update has ended</source>
        <translation>Arrêt dès la fin de la mise à jour en cours</translation>
    </message>
    <message>
        <source>Unplug the updated sensor</source>
        <translation>Débranchez le capteur mis à jour</translation>
    </message>
    <message>
        <source>Updating the sensor with %1</source>
        <translation>Mise à jour du capteur avec %1</translation>
    </message>
    <message>
        <source>Sensor %1: %2 (%3 updated, %4 failed)</source>
        <translation>Capteur %1 : %2 (%3 mis à jour, %4 en échec)</translation>
    </message>
    <message>
        <source>Waiting for the next sensor</source>
        <translation>En attente du capteur suivant</translation>
    </message>
</context>
<context>
    <name>UpdateGroup</name>
    <message>
        <source>not updated with the others: where it is plugged in cannot be told apart from where the others are</source>
        <translation>non mis à jour avec les autres : son port ne peut pas être distingué de ceux des autres</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Paramètres</translation>
    </message>
    <message>
        <source>&amp;Advanced mode</source>
        <translation>Mode &amp;avancé</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Usage</source>
        <translation>Mode d&apos;&amp;emploi</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>Update &amp;history</source>
        <translation>&amp;Historique</translation>
    </message>
    <message>
        <source>Open &amp;log folder</source>
        <translation>Ouvrir les &amp;journaux</translation>
    </message>
    <message>
        <source>Please choose a firmware file</source>
        <translation>Choisissez un fichier de micrologiciel</translation>
    </message>
    <message>
        <source>OVK Sensor update file (*.zip)</source>
        <translation>Fichier de mise à jour de capteur OVK (*.zip)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
</context>
</TS>
