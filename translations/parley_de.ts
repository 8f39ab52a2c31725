<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ChatRecord</name>
    <message>
        <source>Cannot write to %1 (%2). The chat is kept and written as soon as the file takes it</source>
        <translation>%1 lässt sich nicht schreiben (%2). Der Chat bleibt erhalten und wird geschrieben, sobald die Datei es zulässt</translation>
    </message>
    <message>
        <source>%1 could not be read at start and was kept as it was; this session&apos;s chat is in %2</source>
        <translation>%1 ließ sich beim Start nicht lesen und blieb unverändert; der Chat dieser Sitzung steht in %2</translation>
    </message>
    <message>
        <source>%1 could not be written (%2); the chat is in %3</source>
        <translation>%1 konnte nicht geschrieben werden (%2); der Chat steht in %3</translation>
    </message>
    <message>
        <source>it is no longer a file</source>
        <translation>sie ist keine Datei mehr</translation>
    </message>
</context>
<context>
    <name>ChatSession</name>
    <message>
        <source>not delivered to: </source>
        <translation>nicht zugestellt an: </translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> und %1 weitere</translation>
    </message>
    <message>
        <source>You are in connect mode. Please push &quot;Stop!&quot; button.</source>
        <translation>Parley ist verbunden. Bitte zuerst „Stopp!“ drücken.</translation>
    </message>
    <message>
        <source>Name cannot be blank</source>
        <translation>Der Name darf nicht leer sein</translation>
    </message>
    <message>
        <source>Specified address already exists!</source>
        <translation>Diese Adresse ist schon in der Liste!</translation>
    </message>
    <message>
        <source>Cannot currier over 512 users!</source>
        <translation>Mehr als 512 Benutzer sind nicht möglich!</translation>
    </message>
    <message>
        <source> (its key for private lines has changed: see the Users dialog)</source>
        <translation> (sein Schlüssel für private Leitungen hat sich geändert: siehe Benutzer-Dialog)</translation>
    </message>
    <message>
        <source> (their private line is down, and a line to a pinned copy never goes in clear)</source>
        <translation> (die private Leitung ist unterbrochen, und an eine Kopie mit hinterlegtem Schlüssel geht nie etwas unverschlüsselt)</translation>
    </message>
    <message>
        <source> (the file of pinned keys is unsound, and no line goes in clear until it is mended)</source>
        <translation> (die Datei der hinterlegten Schlüssel ist beschädigt, und keine Zeile geht unverschlüsselt hinaus, bis sie repariert ist)</translation>
    </message>
    <message>
        <source>personal line to %1</source>
        <translation>persönliche Zeile an %1</translation>
    </message>
    <message>
        <source> (their copy does not accept this copy&apos;s new key: compare your safety number with them)</source>
        <translation> (deren Kopie nimmt den neuen Schlüssel dieser Kopie nicht an: vergleichen Sie Ihre Sicherheitsnummer miteinander)</translation>
    </message>
    <message>
        <source>waiting to go when they connect: </source>
        <translation>wartet, bis sie sich verbinden: </translation>
    </message>
    <message>
        <source> (the lines waiting for them are at the limit of %1: send again once they have connected)</source>
        <translation> (die für sie wartenden Zeilen haben die Grenze von %1 erreicht: senden Sie erneut, sobald sie verbunden sind)</translation>
    </message>
    <message>
        <source> (the lines waiting for absent users could not be saved%1)</source>
        <translation> (die für Abwesende wartenden Zeilen konnten nicht gespeichert werden%1)</translation>
    </message>
    <message>
        <source>delivered to %1 at %2</source>
        <translation>zugestellt an %1 um %2</translation>
    </message>
    <message>
        <source>delivered to %1 at %2, after waiting: %3</source>
        <translation>zugestellt an %1 um %2, nach Wartezeit: %3</translation>
    </message>
    <message>
        <source>personal line from %1</source>
        <translation>persönliche Zeile von %1</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Go to the &amp;new lines</source>
        <translation>Zu den &amp;neuen Zeilen</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Suchen …</translation>
    </message>
</context>
<context>
    <name>Choosers</name>
    <message>
        <source>Font</source>
        <translation>Schrift</translation>
    </message>
    <message>
        <source>Font colour</source>
        <translation>Schriftfarbe</translation>
    </message>
</context>
<context>
    <name>Colours</name>
    <message>
        <source>Scroll bar</source>
        <translation>Bildlaufleiste</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Arbeitsfläche</translation>
    </message>
    <message>
        <source>Active caption</source>
        <translation>Aktive Titelleiste</translation>
    </message>
    <message>
        <source>Inactive caption</source>
        <translation>Inaktive Titelleiste</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <source>Window background</source>
        <translation>Fensterhintergrund</translation>
    </message>
    <message>
        <source>Window frame</source>
        <translation>Fensterrahmen</translation>
    </message>
    <message>
        <source>Menu text</source>
        <translation>Menütext</translation>
    </message>
    <message>
        <source>Window text</source>
        <translation>Fenstertext</translation>
    </message>
    <message>
        <source>Caption text</source>
        <translation>Titeltext</translation>
    </message>
    <message>
        <source>Active border</source>
        <translation>Aktiver Rahmen</translation>
    </message>
    <message>
        <source>Inactive border</source>
        <translation>Inaktiver Rahmen</translation>
    </message>
    <message>
        <source>Application workspace</source>
        <translation>Anwendungshintergrund</translation>
    </message>
    <message>
        <source>Highlight</source>
        <translation>Markierung</translation>
    </message>
    <message>
        <source>Highlight text</source>
        <translation>Markierter Text</translation>
    </message>
    <message>
        <source>Button face</source>
        <translation>Schaltfläche</translation>
    </message>
    <message>
        <source>Button shadow</source>
        <translation>Schaltflächenschatten</translation>
    </message>
    <message>
        <source>Gray text</source>
        <translation>Grauer Text</translation>
    </message>
    <message>
        <source>Button text</source>
        <translation>Schaltflächentext</translation>
    </message>
    <message>
        <source>Inactive caption text</source>
        <translation>Inaktiver Titeltext</translation>
    </message>
    <message>
        <source>Button highlight</source>
        <translation>Schaltflächenlicht</translation>
    </message>
    <message>
        <source>Info text</source>
        <translation>Infotext</translation>
    </message>
    <message>
        <source>Info background</source>
        <translation>Infohintergrund</translation>
    </message>
    <message>
        <source>Hot light</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>Gradient active caption</source>
        <translation>Verlauf aktiver Titel</translation>
    </message>
    <message>
        <source>Gradient inactive caption</source>
        <translation>Verlauf inaktiver Titel</translation>
    </message>
    <message>
        <source>Menu highlight</source>
        <translation>Menümarkierung</translation>
    </message>
    <message>
        <source>Menu bar</source>
        <translation>Menüleiste</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Kastanienbraun</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Grün</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Oliv</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Marineblau</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violett</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Blaugrün</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Grau</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Silber</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rot</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Hellgrün</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Gelb</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Blau</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
</context>
<context>
    <name>ConnectionManager</name>
    <message>
        <source>Windows socket error: %1 (%2), on API &apos;%3&apos;</source>
        <translation>Netzwerkfehler: %1 (%2), beim Aufruf „%3“</translation>
    </message>
    <message>
        <source>Ports below 1024 need a capability: as root, run once: setcap cap_net_bind_service=+ep %1</source>
        <translation>Ports unter 1024 brauchen eine Berechtigung; als root einmal ausführen: setcap cap_net_bind_service=+ep %1</translation>
    </message>
    <message>
        <source>Another program uses port %1 (only one copy runs per machine); &apos;ss -ltnp sport = :%1&apos; shows which.</source>
        <translation>Ein anderes Programm belegt Port %1 (je Rechner läuft nur eine Kopie); welches, zeigt „ss -ltnp sport = :%1“.</translation>
    </message>
    <message>
        <source>New user has connected and added to your IP list with name &quot;Unknown&quot;.</source>
        <translation>Ein neuer Benutzer hat sich verbunden und steht nun als „Unknown“ in Ihrer Liste.</translation>
    </message>
    <message>
        <source>%1&apos;s computer stopped taking data; what it did not take was not delivered</source>
        <translation>Der Rechner von %1 nimmt keine Daten mehr an; was er nicht annahm, wurde nicht zugestellt</translation>
    </message>
    <message>
        <source>%1&apos;s computer did not keep up; what it did not take was not delivered</source>
        <translation>Der Rechner von %1 kam nicht nach; was er nicht annahm, wurde nicht zugestellt</translation>
    </message>
    <message>
        <source>Cannot find incoming IP!</source>
        <translation>Die eingehende IP-Adresse ist nicht bekannt!</translation>
    </message>
    <message>
        <source>The user list holds this computer&apos;s own address, %1 (%2). Parley does not connect to itself, so your lines are not shown twice; remove the entry in the Users dialog.</source>
        <translation>Die Benutzerliste enthält die eigene Adresse dieses Computers, %1 (%2). Parley verbindet sich nicht mit sich selbst, damit Ihre Zeilen nicht doppelt erscheinen; entfernen Sie den Eintrag im Dialog „Benutzer“.</translation>
    </message>
</context>
<context>
    <name>FileActions</name>
    <message>
        <source>Send files...</source>
        <translation>Dateien senden…</translation>
    </message>
    <message>
        <source>Transfers...</source>
        <translation>Übertragungen…</translation>
    </message>
    <message>
        <source>Send files</source>
        <translation>Dateien senden</translation>
    </message>
    <message>
        <source>No user is ticked: tick the users the files are for, or drop the files on a user&apos;s row.</source>
        <translation>Kein Benutzer ist angehakt: haken Sie die Benutzer an, für die die Dateien sind, oder ziehen Sie die Dateien auf die Zeile eines Benutzers.</translation>
    </message>
</context>
<context>
    <name>FileTransfers</name>
    <message>
        <source>%1 (a symbolic link)</source>
        <translation>%1 (eine symbolische Verknüpfung)</translation>
    </message>
    <message>
        <source>%1 (not a regular file)</source>
        <translation>%1 (keine gewöhnliche Datei)</translation>
    </message>
    <message>
        <source>offer withdrawn: Parley stopped</source>
        <translation>Angebot zurückgezogen: Parley wurde angehalten</translation>
    </message>
    <message>
        <source>waits for Run!</source>
        <translation>wartet auf Run!</translation>
    </message>
    <message>
        <source>Files go only on private lines, and they are off here: tick &quot;Private lines with other Parley copies&quot; in Configure, then Stop! and Run!.</source>
        <translation>Dateien gehen nur über private Leitungen, und die sind hier aus: haken Sie „Private Leitungen mit anderen Parley-Kopien“ in Configure an, dann Stop! und Run!.</translation>
    </message>
    <message>
        <source>Files go only on private lines, and %1 has none with this copy yet: its copy has not shown its key (it needs private lines on, and its ports %2 and %3 open). Send again once its row shows a private line.</source>
        <translation>Dateien gehen nur über private Leitungen, und %1 hat noch keine mit dieser Kopie: seine Kopie hat ihren Schlüssel noch nicht gezeigt (sie braucht private Leitungen und offene Ports %2 und %3). Senden Sie erneut, sobald seine Zeile eine private Leitung zeigt.</translation>
    </message>
    <message>
        <source>%1 does not exist; nothing was sent.</source>
        <translation>%1 gibt es nicht; nichts wurde gesendet.</translation>
    </message>
    <message>
        <source>Nothing was sent to %1: there is nothing to send there (%2).</source>
        <translation>Nichts wurde an %1 gesendet: dort gibt es nichts zu senden (%2).</translation>
    </message>
    <message>
        <source>Nothing was sent to %1: that is more than %2 files; send them in parts.</source>
        <translation>Nichts wurde an %1 gesendet: das sind mehr als %2 Dateien; senden Sie sie in Teilen.</translation>
    </message>
    <message>
        <source>offered, waiting for %1 to accept</source>
        <translation>angeboten, wartet darauf, dass %1 annimmt</translation>
    </message>
    <message>
        <source>%1: offered; it goes once %2 accepts</source>
        <translation>%1: angeboten; es geht los, sobald %2 annimmt</translation>
    </message>
    <message>
        <source> (left out: %1)</source>
        <translation> (ausgelassen: %1)</translation>
    </message>
    <message>
        <source>%1, %2, to %3</source>
        <translation>%1, %2, an %3</translation>
    </message>
    <message>
        <source>%1, %2, from %3</source>
        <translation>%1, %2, von %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>not enough room in %1: it needs %2, %3 are free; free some room or choose another folder in Configure, then accept again</source>
        <translation>nicht genug Platz in %1: es braucht %2, frei sind %3; schaffen Sie Platz oder wählen Sie in Configure einen anderen Ordner, dann nehmen Sie erneut an</translation>
    </message>
    <message>
        <source>receiving into %1</source>
        <translation>wird empfangen nach %1</translation>
    </message>
    <message>
        <source>%1: accepted, saving in %2</source>
        <translation>%1: angenommen, wird gespeichert in %2</translation>
    </message>
    <message>
        <source>declined</source>
        <translation>abgelehnt</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>wird gesendet</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>waiting for you to accept or decline</source>
        <translation>wartet darauf, dass Sie annehmen oder ablehnen</translation>
    </message>
    <message>
        <source>%1 offers %2, %3: accept or decline it in the Transfers window.</source>
        <translation>%1 bietet %2, %3 an: nehmen Sie es im Fenster Übertragungen an oder lehnen Sie es ab.</translation>
    </message>
    <message>
        <source>sent (%1&apos;s copy checked every file)</source>
        <translation>gesendet (die Kopie von %1 hat jede Datei geprüft)</translation>
    </message>
    <message>
        <source>saved in %1</source>
        <translation>gespeichert in %1</translation>
    </message>
    <message>
        <source>cancelled by %1</source>
        <translation>abgebrochen von %1</translation>
    </message>
    <message>
        <source>declined by %1</source>
        <translation>abgelehnt von %1</translation>
    </message>
    <message>
        <source>failed: %1 arrived damaged (its SHA-256 did not match) and was not saved; ask %2 to send it again</source>
        <translation>fehlgeschlagen: %1 kam beschädigt an (die SHA-256 stimmte nicht) und wurde nicht gespeichert; bitten Sie %2, es erneut zu senden</translation>
    </message>
    <message>
        <source>a file</source>
        <translation>eine Datei</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy could not write the files</source>
        <translation>fehlgeschlagen: die Kopie von %1 konnte die Dateien nicht schreiben</translation>
    </message>
    <message>
        <source>failed: %1 could not be written; check the folder for received files in Configure</source>
        <translation>fehlgeschlagen: %1 konnte nicht geschrieben werden; prüfen Sie den Ordner für empfangene Dateien in Configure</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy could not read a file (moved or changed while it was sent)</source>
        <translation>fehlgeschlagen: die Kopie von %1 konnte eine Datei nicht lesen (verschoben oder geändert, während sie gesendet wurde)</translation>
    </message>
    <message>
        <source>failed: %1 could not be read (moved or changed while it was sent); send it again</source>
        <translation>fehlgeschlagen: %1 konnte nicht gelesen werden (verschoben oder geändert, während es gesendet wurde); senden Sie es erneut</translation>
    </message>
    <message>
        <source>refused by %1: too many offers wait there; send it again later</source>
        <translation>abgewiesen von %1: dort warten zu viele Angebote; senden Sie es später erneut</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy refused what this copy sent</source>
        <translation>fehlgeschlagen: die Kopie von %1 hat abgewiesen, was diese Kopie sendete</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy sent what Parley does not accept (a name outside its folder, more data than offered, or out of order); nothing of it was kept under a final name</source>
        <translation>fehlgeschlagen: die Kopie von %1 sandte, was Parley nicht annimmt (einen Namen außerhalb seines Ordners, mehr Daten als angeboten oder in falscher Reihenfolge); nichts davon wurde unter einem endgültigen Namen behalten</translation>
    </message>
    <message>
        <source>failed: %1 shows another key than the one pinned for it; nothing was sent</source>
        <translation>fehlgeschlagen: %1 zeigt einen anderen Schlüssel als den dafür festgehaltenen; nichts wurde gesendet</translation>
    </message>
    <message>
        <source>offer withdrawn (%1&apos;s connection went)</source>
        <translation>Angebot zurückgezogen (die Verbindung von %1 ist weg)</translation>
    </message>
    <message>
        <source>paused: the disk is full; it goes on when there is room</source>
        <translation>angehalten: der Datenträger ist voll; es geht weiter, sobald Platz ist</translation>
    </message>
    <message>
        <source>%1&apos;s copy cannot take it now (paused there, or its disk is full); asks again</source>
        <translation>die Kopie von %1 kann es jetzt nicht annehmen (dort angehalten, oder ihr Datenträger ist voll); fragt erneut</translation>
    </message>
    <message>
        <source>%1 is not reachable; tries again</source>
        <translation>%1 ist nicht erreichbar; versucht es erneut</translation>
    </message>
    <message>
        <source>connection to %1 lost; goes on when it is back</source>
        <translation>Verbindung zu %1 verloren; geht weiter, sobald sie zurück ist</translation>
    </message>
    <message>
        <source>connection to %1 lost; waiting for it to send the rest</source>
        <translation>Verbindung zu %1 verloren; wartet, dass der Rest gesendet wird</translation>
    </message>
    <message>
        <source>paused by %1</source>
        <translation>angehalten von %1</translation>
    </message>
    <message>
        <source>%1 offered more files than Parley keeps waiting (%2 offers); the rest were refused. Accept or decline the offers in the Transfers window.</source>
        <translation>%1 hat mehr Dateien angeboten, als Parley warten lässt (%2 Angebote); die übrigen wurden abgewiesen. Nehmen Sie die Angebote im Fenster Übertragungen an oder lehnen Sie sie ab.</translation>
    </message>
    <message>
        <source>%1&apos;s copy offered files in a form Parley does not accept (a name outside its folder, or sizes that cannot be); the offer was refused and nothing was written.</source>
        <translation>Die Kopie von %1 hat Dateien in einer Form angeboten, die Parley nicht annimmt (ein Name außerhalb seines Ordners oder unmögliche Größen); das Angebot wurde abgewiesen und nichts geschrieben.</translation>
    </message>
    <message>
        <source>Unfinished transfers could not be kept for the next start: %1</source>
        <translation>Unfertige Übertragungen konnten nicht für den nächsten Start behalten werden: %1</translation>
    </message>
    <message>
        <source>goes on when both copies run</source>
        <translation>geht weiter, wenn beide Kopien laufen</translation>
    </message>
    <message>
        <source>%1 (files: %2)</source>
        <translation>%1 (Dateien: %2)</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>The unfinished file transfers kept in %1 cannot be read (%2): none of them goes on, and the file is kept as it is. Until it is moved away and Parley started again, transfers that break off do not go on after a restart; ask the sender to send again what did not arrive.</source>
        <translation>Die unfertigen Dateiübertragungen in %1 können nicht gelesen werden (%2): keine davon wird fortgesetzt, und die Datei bleibt, wie sie ist. Bis sie verschoben und Parley neu gestartet ist, gehen abgebrochene Übertragungen nach einem Neustart nicht weiter; bitten Sie den Absender, erneut zu senden, was nicht angekommen ist.</translation>
    </message>
    <message>
        <source>not a file of transfers</source>
        <translation>keine Datei von Übertragungen</translation>
    </message>
    <message>
        <source>cut short or damaged</source>
        <translation>abgeschnitten oder beschädigt</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>Files cannot be received: port %1 is taken.</source>
        <translation>Dateien können nicht empfangen werden: Port %1 ist belegt.</translation>
    </message>
    <message>
        <source>%1 kB</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 B</source>
        <translation>%1 B</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>Find:</source>
        <translation>Suchen:</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Previous match</source>
        <translation>Vorheriger Treffer</translation>
    </message>
    <message>
        <source>Next match</source>
        <translation>Nächster Treffer</translation>
    </message>
    <message>
        <source>Close find bar</source>
        <translation>Suchleiste schließen</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
    <message numerus="yes">
        <source>%n found%1</source>
        <translation>
            <numerusform>%n Treffer%1</numerusform>
            <numerusform>%n Treffer%1</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2%3</source>
        <translation>%1 von %2%3</translation>
    </message>
</context>
<context>
    <name>FindCopiesDialog</name>
    <message>
        <source>Find copies on this network</source>
        <translation>Kopien in diesem Netzwerk finden</translation>
    </message>
    <message>
        <source>Search again</source>
        <translation>Erneut suchen</translation>
    </message>
    <message>
        <source>Parley tries port %1 on the addresses of this computer&apos;s own networks (at most %2 of them) and lists those where a copy answers. A copy there that has &quot;Add new IPs to user list&quot; ticked will add this computer to its user list when it is tried.</source>
        <translation>Parley versucht Port %1 an den Adressen der Netzwerke dieses Rechners (höchstens %2) und listet die auf, an denen eine Kopie antwortet. Eine Kopie, bei der „Neue IPs in die Benutzerliste aufnehmen“ angekreuzt ist, nimmt diesen Rechner beim Versuch in ihre Liste auf.</translation>
    </message>
    <message>
        <source>Copies found</source>
        <translation>Gefundene Kopien</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>This computer is on no network that could be searched.</source>
        <translation>Dieser Rechner ist in keinem Netzwerk, das sich durchsuchen ließe.</translation>
    </message>
    <message>
        <source>Searching: 0 of %1 addresses tried...</source>
        <translation>Suche: 0 von %1 Adressen versucht …</translation>
    </message>
    <message>
        <source>Searching: %1 of %2 addresses tried...</source>
        <translation>Suche: %1 von %2 Adressen versucht …</translation>
    </message>
    <message>
        <source>%1 addresses tried: %2 found.</source>
        <translation>%1 Adressen versucht: %2 gefunden.</translation>
    </message>
    <message>
        <source>1 copy</source>
        <translation>1 Kopie</translation>
    </message>
    <message numerus="yes">
        <source>%n copies</source>
        <translation>
            <numerusform>%n Kopie</numerusform>
            <numerusform>%n Kopien</numerusform>
        </translation>
    </message>
    <message>
        <source>(no name: it does not list this computer)</source>
        <translation>(kein Name: dieser Rechner steht nicht in ihrer Liste)</translation>
    </message>
    <message>
        <source>In the list</source>
        <translation>In der Liste</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Added</source>
        <translation>Hinzugefügt</translation>
    </message>
</context>
<context>
    <name>Identity</name>
    <message>
        <source>Private lines are off: the key file %1 %2</source>
        <translation>Private Leitungen sind aus: die Schlüsseldatei %1 %2</translation>
    </message>
    <message>
        <source>cannot be written (%1).</source>
        <translation>lässt sich nicht schreiben (%1).</translation>
    </message>
    <message>
        <source>cannot be made: the system&apos;s OpenSSL refused.</source>
        <translation>lässt sich nicht anlegen: OpenSSL des Systems hat abgelehnt.</translation>
    </message>
    <message>
        <source>cannot be read (%1).</source>
        <translation>lässt sich nicht lesen (%1).</translation>
    </message>
    <message>
        <source>holds no usable key pair: move it away to make a new one.</source>
        <translation>enthält kein brauchbares Schlüsselpaar: verschieben Sie sie, damit ein neues entsteht.</translation>
    </message>
    <message>
        <source>is a symbolic link, which Parley does not follow: put the key file itself there, or remove the link to make a new key.</source>
        <translation>ist eine symbolische Verknüpfung, der Parley nicht folgt: legen Sie die Schlüsseldatei selbst dorthin, oder entfernen Sie die Verknüpfung, um einen neuen Schlüssel zu erzeugen.</translation>
    </message>
    <message>
        <source>belongs to another account: remove it to make a new key, or, as root, give it to this account (chown).</source>
        <translation>gehört einem anderen Konto: entfernen Sie sie, um einen neuen Schlüssel zu erzeugen, oder übergeben Sie sie als root diesem Konto (chown).</translation>
    </message>
    <message>
        <source>can be read or changed by other accounts: run chmod 600 %1, or remove it to make a new key if others may have read it.</source>
        <translation>kann von anderen Konten gelesen oder geändert werden: führen Sie chmod 600 %1 aus, oder entfernen Sie sie, um einen neuen Schlüssel zu erzeugen, falls andere sie gelesen haben könnten.</translation>
    </message>
    <message>
        <source>Private lines are off: the system&apos;s OpenSSL library (libcrypto.so.3) cannot be loaded. Install the package libssl3, then start Parley again.</source>
        <translation>Private Leitungen sind aus: die OpenSSL-Bibliothek des Systems (libcrypto.so.3) lässt sich nicht laden. Installieren Sie das Paket libssl3 und starten Sie Parley dann neu.</translation>
    </message>
</context>
<context>
    <name>IncomingLine</name>
    <message>
        <source>⚠ In clear: this line did not come on %1&apos;s private line and may be from someone else at that address; ask %1 before you trust it</source>
        <translation>⚠ Unverschlüsselt: diese Zeile kam nicht über die private Leitung von %1 und kann von jemand anderem unter dieser Adresse stammen; fragen Sie %1, bevor Sie ihr trauen</translation>
    </message>
    <message>
        <source>⚠ %1 (in clear)</source>
        <translation>⚠ %1 (unverschlüsselt)</translation>
    </message>
    <message>
        <source>%1 (personal)</source>
        <translation>%1 (persönlich)</translation>
    </message>
</context>
<context>
    <name>LogoPanel</name>
    <message>
        <source>SILENT MODE</source>
        <translation>STILLER MODUS</translation>
    </message>
    <message>
        <source>NORMAL MODE</source>
        <translation>NORMALER MODUS</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>MessageEdit</name>
    <message>
        <source>(%1 characters pasted, shown shortened: Enter sends the whole text; Backspace or Delete removes it.)</source>
        <translation>(%1 Zeichen eingefügt, gekürzt angezeigt: Eingabe sendet den ganzen Text; Rücktaste oder Entf entfernt ihn.)</translation>
    </message>
</context>
<context>
    <name>NetworkCheck</name>
    <message>
        <source>The firewall (nftables) lets connections to port %1 in.</source>
        <translation>Die Firewall (nftables) lässt Verbindungen zu Port %1 herein.</translation>
    </message>
    <message>
        <source>The firewall (nftables) blocks connections to port %1: other copies cannot connect to this one.</source>
        <translation>Die Firewall (nftables) sperrt Verbindungen zu Port %1: andere Kopien können sich nicht mit dieser verbinden.</translation>
    </message>
    <message>
        <source>The firewall&apos;s rules could not be read.</source>
        <translation>Die Regeln der Firewall ließen sich nicht lesen.</translation>
    </message>
    <message>
        <source>nftables is not installed, so no firewall rules were checked.</source>
        <translation>nftables ist nicht installiert, daher wurden keine Firewall-Regeln geprüft.</translation>
    </message>
    <message>
        <source>Only an administrator may read the firewall&apos;s rules; to see them: sudo nft list ruleset</source>
        <translation>Nur ein Administrator darf die Firewall-Regeln lesen; anzeigen mit: sudo nft list ruleset</translation>
    </message>
    <message>
        <source>answers on port %1: a copy is running there</source>
        <translation>antwortet auf Port %1: dort läuft eine Kopie</translation>
    </message>
    <message>
        <source>refused: nothing listens on port %1 there, so Parley is not running (or is stopped)</source>
        <translation>abgewiesen: dort wartet nichts auf Port %1, Parley läuft also nicht (oder ist gestoppt)</translation>
    </message>
    <message>
        <source>no answer: a firewall drops the connection, or the machine is off</source>
        <translation>keine Antwort: eine Firewall verwirft die Verbindung, oder der Rechner ist aus</translation>
    </message>
    <message>
        <source>unreachable: there is no route to it (a wrong address, or a network that is down)</source>
        <translation>nicht erreichbar: es gibt keinen Weg dorthin (eine falsche Adresse oder ein ausgefallenes Netzwerk)</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Parley listens on port %1.</source>
        <translation>Parley wartet auf Port %1.</translation>
    </message>
    <message>
        <source>Parley is stopped. Port %1 is free: Run! will listen on it.</source>
        <translation>Parley ist gestoppt. Port %1 ist frei: Start! nimmt ihn in Betrieb.</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: ports below 1024 need a permission (the capability CAP_NET_BIND_SERVICE) that this program does not have. To give it:
    sudo setcap cap_net_bind_service=+ep %2</source>
        <translation>Parley kann nicht auf Port %1 warten: Ports unter 1024 brauchen eine Berechtigung (die Capability CAP_NET_BIND_SERVICE), die dieses Programm nicht hat. Sie erteilen:
    sudo setcap cap_net_bind_service=+ep %2</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: the program %2 holds it.</source>
        <translation>Parley kann nicht auf Port %1 warten: das Programm %2 belegt ihn.</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: another program holds it (to see which: sudo ss -ltnp &apos;sport = :%1&apos;).</source>
        <translation>Parley kann nicht auf Port %1 warten: ein anderes Programm belegt ihn (welches: sudo ss -ltnp &apos;sport = :%1&apos;).</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: %2.</source>
        <translation>Parley kann nicht auf Port %1 warten: %2.</translation>
    </message>
    <message>
        <source>This computer has no network address: it is not connected.</source>
        <translation>Dieser Rechner hat keine Netzwerkadresse: er ist nicht verbunden.</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 an %2</translation>
    </message>
    <message>
        <source> (subnet /%1)</source>
        <translation> (Subnetz /%1)</translation>
    </message>
    <message>
        <source> To let them in:
    </source>
        <translation> Um sie hereinzulassen:
    </translation>
    </message>
    <message>
        <source>The user list is empty.</source>
        <translation>Die Benutzerliste ist leer.</translation>
    </message>
    <message>
        <source>not an address that can be tried</source>
        <translation>keine Adresse, die sich versuchen lässt</translation>
    </message>
    <message>
        <source>Listening</source>
        <translation>Warten auf Verbindungen</translation>
    </message>
    <message>
        <source>This computer&apos;s addresses</source>
        <translation>Adressen dieses Rechners</translation>
    </message>
    <message>
        <source>Firewall</source>
        <translation>Firewall</translation>
    </message>
    <message>
        <source>Listed peers</source>
        <translation>Benutzer in der Liste</translation>
    </message>
</context>
<context>
    <name>NetworkCheckDialog</name>
    <message>
        <source>Check the network</source>
        <translation>Netzwerk prüfen</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Network check</source>
        <translation>Netzwerkprüfung</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Prüfung läuft …</translation>
    </message>
    <message>
        <source>Checked at %1.</source>
        <translation>Geprüft um %1.</translation>
    </message>
    <message>
        <source>this computer&apos;s own address: no peer, and nothing is sent to it; remove the entry in the Users dialog</source>
        <translation>die eigene Adresse dieses Rechners: kein Gesprächspartner, und nichts wird dorthin gesendet; entfernen Sie den Eintrag im Benutzer-Dialog</translation>
    </message>
</context>
<context>
    <name>Notification</name>
    <message>
        <source>+%1 more: %2</source>
        <translation>+%1 weitere: %2</translation>
    </message>
</context>
<context>
    <name>Notifications</name>
    <message>
        <source>Answer</source>
        <translation>Antworten</translation>
    </message>
</context>
<context>
    <name>Outbox</name>
    <message>
        <source>The lines waiting for absent users in %1 cannot be read (%2): none of them is sent, and the file is kept as it is. Move it away to start an empty one.</source>
        <translation>Die für Abwesende wartenden Zeilen in %1 können nicht gelesen werden (%2): keine davon wird gesendet, und die Datei bleibt, wie sie ist. Verschieben Sie sie, um mit einer leeren zu beginnen.</translation>
    </message>
    <message>
        <source>too big</source>
        <translation>zu groß</translation>
    </message>
    <message>
        <source>not a file of waiting lines</source>
        <translation>keine Datei wartender Zeilen</translation>
    </message>
    <message>
        <source>cut short or damaged</source>
        <translation>abgeschnitten oder beschädigt</translation>
    </message>
</context>
<context>
    <name>Parley</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ ist keine gültige ganze Zahl</translation>
    </message>
    <message>
        <source>Unexpected error</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 lässt sich nicht öffnen</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 lässt sich nicht anlegen</translation>
    </message>
    <message>
        <source>Quendlewick Parley is aleady loaded</source>
        <translation>Quendlewick Parley läuft bereits</translation>
    </message>
    <message>
        <source>Cannot create temp file &quot;Parley.tmp&quot; in Windows system directory.</source>
        <translation>Die temporäre Datei „Parley.tmp“ lässt sich im Systemordner nicht anlegen.</translation>
    </message>
    <message>
        <source>Parley: a key for private lines</source>
        <translation>Parley: ein Schlüssel für private Leitungen</translation>
    </message>
    <message>
        <source>%1 is not in the user list: add it in Users, then send again.</source>
        <translation>%1 steht nicht in der Benutzerliste: fügen Sie es unter Users hinzu, dann senden Sie erneut.</translation>
    </message>
    <message>
        <source>Offered to %1; it goes once they accept. The Transfers window (Ctrl+T) shows how far it is.</source>
        <translation>An %1 angeboten; es geht los, sobald angenommen wird. Das Fenster Übertragungen (Strg+T) zeigt, wie weit es ist.</translation>
    </message>
</context>
<context>
    <name>PeerState</name>
    <message>
        <source>refused since %1 (no copy listens there)</source>
        <translation>abgewiesen seit %1 (dort wartet keine Kopie)</translation>
    </message>
    <message>
        <source>not answering since %1 (a firewall, or the machine is off)</source>
        <translation>keine Antwort seit %1 (eine Firewall, oder der Rechner ist aus)</translation>
    </message>
    <message>
        <source>unreachable since %1 (no route to it)</source>
        <translation>nicht erreichbar seit %1 (kein Weg dorthin)</translation>
    </message>
    <message>
        <source> — trying since %1</source>
        <translation> — Versuch seit %1</translation>
    </message>
    <message>
        <source> — last try %1</source>
        <translation> — letzter Versuch %1</translation>
    </message>
    <message>
        <source>, next in %1 s</source>
        <translation>, nächster in %1 s</translation>
    </message>
    <message>
        <source>not connected to it</source>
        <translation>keine Verbindung zu ihm</translation>
    </message>
    <message>
        <source>connecting to it since %1</source>
        <translation>Verbindungsaufbau zu ihm seit %1</translation>
    </message>
    <message>
        <source>connected to it since %1</source>
        <translation>mit ihm verbunden seit %1</translation>
    </message>
    <message>
        <source>our connection to it closed at %1</source>
        <translation>unsere Verbindung zu ihm endete um %1</translation>
    </message>
    <message>
        <source>connected both ways since %1</source>
        <translation>in beide Richtungen verbunden seit %1</translation>
    </message>
    <message>
        <source>connected to us since %1</source>
        <translation>mit uns verbunden seit %1</translation>
    </message>
    <message>
        <source>not connected to us</source>
        <translation>nicht mit uns verbunden</translation>
    </message>
    <message>
        <source>Filled circle: connected both ways.
Half circle: it reaches us, we do not reach it.
Ring: the connection is closing.</source>
        <translation>Voller Kreis: in beide Richtungen verbunden.
Halbkreis: er erreicht uns, wir ihn nicht.
Ring: die Verbindung wird geschlossen.</translation>
    </message>
    <message>
        <source>closing</source>
        <translation>wird geschlossen</translation>
    </message>
    <message>
        <source>private line (padlock): encrypted, its key pinned</source>
        <translation>private Leitung (Vorhängeschloss): verschlüsselt, Schlüssel hinterlegt</translation>
    </message>
    <message>
        <source>private line down (open padlock): its key is pinned, so nothing goes to it in clear</source>
        <translation>private Leitung unterbrochen (offenes Vorhängeschloss): der Schlüssel ist hinterlegt, also geht nichts unverschlüsselt dorthin</translation>
    </message>
    <message>
        <source>KEY CHANGED (struck padlock): private lines stopped; compare the safety number in the Users dialog</source>
        <translation>SCHLÜSSEL GEÄNDERT (durchgestrichenes Vorhängeschloss): private Leitungen angehalten; vergleichen Sie die Sicherheitsnummer im Benutzer-Dialog</translation>
    </message>
    <message>
        <source>%1, not seen since Parley started</source>
        <translation>%1, seit dem Start von Parley nicht gesehen</translation>
    </message>
    <message>
        <source>%1, last seen %2</source>
        <translation>%1, zuletzt gesehen %2</translation>
    </message>
</context>
<context>
    <name>Pins</name>
    <message>
        <source>The file of pinned keys %1 %2</source>
        <translation>Die Datei der hinterlegten Schlüssel %1 %2</translation>
    </message>
    <message>
        <source>cannot be written (%1).</source>
        <translation>lässt sich nicht schreiben (%1).</translation>
    </message>
    <message>
        <source>is a symbolic link, which Parley does not follow</source>
        <translation>ist eine symbolische Verknüpfung, der Parley nicht folgt</translation>
    </message>
    <message>
        <source>cannot be read (%1)</source>
        <translation>kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>has a line that does not parse (line %1)</source>
        <translation>enthält eine unlesbare Zeile (Zeile %1)</translation>
    </message>
    <message>
        <source>The file of pinned keys %1 %2. Until it is sound, every listed peer counts as pinned and no line goes in clear. Restore it, or move it away to pin each peer&apos;s key anew at its next private line; then press Stop! and Run!</source>
        <translation>Die Datei der hinterlegten Schlüssel %1 %2. Bis sie wieder in Ordnung ist, gilt jeder eingetragene Partner als hinterlegt, und keine Zeile geht unverschlüsselt hinaus. Stellen Sie sie wieder her, oder verschieben Sie sie, damit der Schlüssel jedes Partners bei seiner nächsten privaten Leitung neu hinterlegt wird; drücken Sie dann Stop! und Run!</translation>
    </message>
    <message>
        <source>was cut short (it is empty, or its last line is not whole)</source>
        <translation>wurde abgeschnitten (sie ist leer, oder ihre letzte Zeile ist nicht vollständig)</translation>
    </message>
</context>
<context>
    <name>PrivateLineDialog</name>
    <message>
        <source>Verified: we read out the same number</source>
        <translation>Bestätigt: wir haben dieselbe Nummer vorgelesen</translation>
    </message>
    <message>
        <source>Trust the new key</source>
        <translation>Dem neuen Schlüssel vertrauen</translation>
    </message>
    <message>
        <source>Private line with %1 (%2)</source>
        <translation>Private Leitung mit %1 (%2)</translation>
    </message>
    <message>
        <source>Read this number out to %1, by phone or face to face; their Parley shows the same one for you. If it differs, somebody else answers at that address.</source>
        <translation>Lesen Sie %1 diese Nummer vor, am Telefon oder persönlich; die Parley-Kopie auf der anderen Seite zeigt Ihnen dieselbe. Weicht sie ab, antwortet unter dieser Adresse jemand anderes.</translation>
    </message>
    <message>
        <source>Safety number</source>
        <translation>Sicherheitsnummer</translation>
    </message>
    <message>
        <source>No private line now: lines go in clear on port 196.</source>
        <translation>Zurzeit keine private Leitung: Zeilen gehen unverschlüsselt über Port 196.</translation>
    </message>
    <message>
        <source>Trust the new key only after you have read out the new number with this person. Trust it?</source>
        <translation>Vertrauen Sie dem neuen Schlüssel erst, wenn Sie die neue Nummer mit dieser Person verglichen haben. Vertrauen?</translation>
    </message>
</context>
<context>
    <name>PrivateLinks</name>
    <message>
        <source>Private lines cannot listen on port %1.</source>
        <translation>Private Leitungen können nicht auf Port %1 warten.</translation>
    </message>
    <message>
        <source>%1&apos;s copy, whose key is pinned at %2, now answers at %3 with the same key. Follow it there? Its private line, safety number and verification go with it; until then no line goes to %3.</source>
        <translation>Die Kopie von %1, deren Schlüssel für %2 hinterlegt ist, antwortet jetzt unter %3 mit demselben Schlüssel. Dorthin folgen? Private Leitung, Sicherheitsnummer und Bestätigung gehen mit; bis dahin geht keine Zeile an %3.</translation>
    </message>
    <message>
        <source>%1 (%2) shows a key for private lines other than the one pinned: private lines with it stop, and no line goes to it.

Likely causes: Parley was reinstalled there or its key file removed, another machine now has that address, or someone is in between.

Ask %1, by phone or face to face, to read out the safety number their Parley shows for you, and compare it with this one:
%3

If they are the same, choose &quot;Trust the new key&quot; under &quot;Private line...&quot; in the Users dialog; if not, do not.</source>
        <translation>%1 (%2) zeigt für private Leitungen einen anderen Schlüssel als den hinterlegten: private Leitungen dorthin werden angehalten, und keine Zeile geht dorthin.

Mögliche Ursachen: Parley wurde dort neu installiert oder seine Schlüsseldatei entfernt, ein anderer Rechner hat jetzt diese Adresse, oder jemand sitzt dazwischen.

Bitten Sie %1 telefonisch oder persönlich, die Sicherheitsnummer vorzulesen, die Parley dort für Sie zeigt, und vergleichen Sie sie mit dieser:
%3

Stimmen beide überein, wählen Sie „Dem neuen Schlüssel vertrauen“ unter „Private Leitung …“ im Benutzer-Dialog; sonst nicht.</translation>
    </message>
    <message>
        <source>%1&apos;s copy does not accept this copy&apos;s new key: compare your safety number with %1 (%2), by phone or face to face; once %1 trusts the new key, private lines to %1 run again.</source>
        <translation>Die Kopie von %1 nimmt den neuen Schlüssel dieser Kopie nicht an: vergleichen Sie Ihre Sicherheitsnummer mit %1 (%2), telefonisch oder persönlich; sobald %1 dem neuen Schlüssel vertraut, laufen die privaten Leitungen zu %1 wieder.</translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>it is a symbolic link, which is not followed</source>
        <translation>es ist eine symbolische Verknüpfung, der nicht gefolgt wird</translation>
    </message>
</context>
<context>
    <name>SendCommand</name>
    <message>
        <source>Parley is not running for this user: start it, then send the files again.</source>
        <translation>Parley läuft für diesen Benutzer nicht: starten Sie es, dann senden Sie die Dateien erneut.</translation>
    </message>
    <message>
        <source>The running Parley did not answer.</source>
        <translation>Das laufende Parley hat nicht geantwortet.</translation>
    </message>
    <message>
        <source>Usage: parley --send PATH... --to ADDRESS</source>
        <translation>Aufruf: parley --send PFAD... --to ADRESSE</translation>
    </message>
</context>
<context>
    <name>TF_Config</name>
    <message>
        <source>Left-Top</source>
        <translation>Links oben</translation>
    </message>
    <message>
        <source>Left-Bottom</source>
        <translation>Links unten</translation>
    </message>
    <message>
        <source>Right-Top</source>
        <translation>Rechts oben</translation>
    </message>
    <message>
        <source>Right-Bottom</source>
        <translation>Rechts unten</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>Mitte</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source> Messages </source>
        <translation> Nachrichten </translation>
    </message>
    <message>
        <source>Flash icon in system tray</source>
        <translation>Symbol im Infobereich blinken lassen</translation>
    </message>
    <message>
        <source>Show incoming message:</source>
        <translation>Eingehende Nachricht zeigen:</translation>
    </message>
    <message>
        <source>Restore main window</source>
        <translation>Hauptfenster wiederherstellen</translation>
    </message>
    <message>
        <source>Show small popup window</source>
        <translation>Kleines Hinweisfenster zeigen</translation>
    </message>
    <message>
        <source>Show desktop notification</source>
        <translation>Desktop-Benachrichtigung zeigen</translation>
    </message>
    <message>
        <source> Sound effects </source>
        <translation> Klänge </translation>
    </message>
    <message>
        <source>Notify me with sound:</source>
        <translation>Mit einem Klang benachrichtigen:</translation>
    </message>
    <message>
        <source>Standart Windows sound</source>
        <translation>Standardklang des Systems</translation>
    </message>
    <message>
        <source>Use WAV file:</source>
        <translation>WAV-Datei verwenden:</translation>
    </message>
    <message>
        <source>WAV file</source>
        <translation>WAV-Datei</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source> Users </source>
        <translation> Benutzer </translation>
    </message>
    <message>
        <source>Add new IPs to user list</source>
        <translation>Neue IPs in die Benutzerliste aufnehmen</translation>
    </message>
    <message>
        <source>   If  checked  and  new  user  is  trying  to connect to you (when that IP is not in your database) Parley automatically add that IP to the list; else it  disconnects that user.</source>
        <translation>   Ist dies angekreuzt und verbindet sich ein neuer Benutzer (dessen IP nicht in Ihrer Liste steht), nimmt Parley diese IP selbst in die Liste auf; sonst trennt es die Verbindung.</translation>
    </message>
    <message>
        <source>Show names from YOUR IP list</source>
        <translation>Namen aus IHRER Liste zeigen</translation>
    </message>
    <message>
        <source> Startup </source>
        <translation> Start </translation>
    </message>
    <message>
        <source>Start Parley with Windows</source>
        <translation>Parley mit der Sitzung starten</translation>
    </message>
    <message>
        <source>Automatically run after startup</source>
        <translation>Nach dem Start verbinden</translation>
    </message>
    <message>
        <source>Restore previous session&apos;s text</source>
        <translation>Text der letzten Sitzung laden</translation>
    </message>
    <message>
        <source> Popup window </source>
        <translation> Hinweisfenster </translation>
    </message>
    <message>
        <source> Popup position  and delay </source>
        <translation> Position und Dauer </translation>
    </message>
    <message>
        <source>Popup at:</source>
        <translation>Ort:</translation>
    </message>
    <message>
        <source>Hide after:</source>
        <translation>Schließen nach:</translation>
    </message>
    <message>
        <source>Hide after seconds</source>
        <translation>Schließen nach Sekunden</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source> Mouse buttons  </source>
        <translation> Maustasten </translation>
    </message>
    <message>
        <source>Left - close, Right - answer</source>
        <translation>Links schließt, rechts antwortet</translation>
    </message>
    <message>
        <source>Left - answer, Right - close</source>
        <translation>Links antwortet, rechts schließt</translation>
    </message>
    <message>
        <source> Effects (Win2000/XP only) </source>
        <translation> Effekte </translation>
    </message>
    <message>
        <source>Enable transparency</source>
        <translation>Transparenz einschalten</translation>
    </message>
    <message>
        <source>Visibility</source>
        <translation>Sichtbarkeit</translation>
    </message>
    <message>
        <source>Invisible</source>
        <translation>Unsichtbar</translation>
    </message>
    <message>
        <source>Fade in</source>
        <translation>Einblenden</translation>
    </message>
    <message>
        <source>Fade out</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Text encoding on the network:</source>
        <translation>Zeichenkodierung im Netzwerk:</translation>
    </message>
    <message>
        <source>Text encoding on the network</source>
        <translation>Zeichenkodierung im Netzwerk</translation>
    </message>
    <message>
        <source>System (as the files)</source>
        <translation>System (wie die Dateien)</translation>
    </message>
    <message>
        <source> Text area </source>
        <translation> Textbereich </translation>
    </message>
    <message>
        <source>Control keys:</source>
        <translation>Tasten:</translation>
    </message>
    <message>
        <source>Tab - Enter; Enter - Send</source>
        <translation>Tab – Zeile; Enter – Senden</translation>
    </message>
    <message>
        <source>Enter - Enter; Tab - Send</source>
        <translation>Enter – Zeile; Tab – Senden</translation>
    </message>
    <message>
        <source>WAV files (*.wav);;All file (*)</source>
        <translation>WAV-Dateien (*.wav);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Der Eintrag „%1“ ließ sich nicht schreiben</translation>
    </message>
    <message>
        <source>Private lines with other Parley copies</source>
        <translation>Private Leitungen mit anderen Parley-Kopien</translation>
    </message>
    <message>
        <source>Lines to copies that have this on too travel encrypted on port %1, each copy known by its key; takes effect at the next Run!</source>
        <translation>Zeilen an Kopien, bei denen dies ebenfalls an ist, gehen verschlüsselt über Port %1, jede Kopie an ihrem Schlüssel erkannt; wirkt ab dem nächsten Start!</translation>
    </message>
    <message>
        <source>Waits for the next Run!: private lines are off until then</source>
        <translation>Wartet auf das nächste Start!: bis dahin sind die privaten Leitungen aus</translation>
    </message>
    <message>
        <source>Waits for Stop!: private lines stay on until then</source>
        <translation>Wartet auf Stopp!: bis dahin bleiben die privaten Leitungen an</translation>
    </message>
    <message>
        <source>Lines for absent users wait for them</source>
        <translation>Zeilen für Abwesende warten auf sie</translation>
    </message>
    <message>
        <source>A line for a ticked user who is not connected is kept, on this computer only, and goes when they connect, privately where their key is pinned; the chat says when it went.</source>
        <translation>Eine Zeile für einen angehakten Benutzer, der nicht verbunden ist, wird nur auf diesem Rechner aufbewahrt und geht, sobald er sich verbindet, privat, wo sein Schlüssel hinterlegt ist; der Chat sagt, wann sie ging.</translation>
    </message>
    <message>
        <source>Received files go to:</source>
        <translation>Empfangene Dateien kommen nach:</translation>
    </message>
    <message>
        <source>Received files go to</source>
        <translation>Empfangene Dateien kommen nach</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>Choose the folder for received files</source>
        <translation>Den Ordner für empfangene Dateien wählen</translation>
    </message>
    <message>
        <source>Accept files from verified peers without asking</source>
        <translation>Dateien von geprüften Gegenstellen ohne Nachfrage annehmen</translation>
    </message>
    <message>
        <source>Files from a user whose safety number you compared go straight to the folder above; from anyone else they wait for your Accept.</source>
        <translation>Dateien von einem Benutzer, dessen Sicherheitsnummer Sie verglichen haben, kommen direkt in den Ordner oben; von allen anderen warten sie auf Ihr Annehmen.</translation>
    </message>
</context>
<context>
    <name>TF_Main</name>
    <message>
        <source>Are you sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>Users</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Your name:</source>
        <translation>Ihr Name:</translation>
    </message>
    <message>
        <source>Somebody</source>
        <translation>Jemand</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>Ihr Name</translation>
    </message>
    <message>
        <source>Configure</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Run!</source>
        <translation>Start!</translation>
    </message>
    <message>
        <source>Stop!</source>
        <translation>Stopp!</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Away</source>
        <translation>Abwesend</translation>
    </message>
    <message>
        <source>Let lines for absent users wait for them...</source>
        <translation>Zeilen für Abwesende warten lassen …</translation>
    </message>
</context>
<context>
    <name>TF_Message</name>
    <message>
        <source>Message to you...</source>
        <translation>Nachricht an Sie …</translation>
    </message>
    <message>
        <source>Message to you</source>
        <translation>Nachricht an Sie</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>Focus holder</source>
        <translation>Fokushalter</translation>
    </message>
</context>
<context>
    <name>TF_Personal</name>
    <message>
        <source>Send personal message...</source>
        <translation>Persönliche Nachricht senden …</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>to %1</source>
        <translation>an %1</translation>
    </message>
</context>
<context>
    <name>TF_Users</name>
    <message>
        <source>Users</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>visit our site:</source>
        <translation>unsere Website:</translation>
    </message>
    <message>
        <source>    Not any user can connect to Parley - only specified in next list; and if you selected &quot;Add IP&quot; option in configuration window - Parley adds a new user who connects to this list by itself, as &quot;Unknown&quot;.</source>
        <translation>    Nur die Benutzer der folgenden Liste können sich mit Parley verbinden; ist in den Einstellungen „Neue IPs in die Benutzerliste aufnehmen“ angekreuzt, nimmt Parley einen neuen Benutzer, der sich verbindet, selbst als „Unknown“ in diese Liste auf.</translation>
    </message>
    <message>
        <source>User list:</source>
        <translation>Benutzerliste:</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>User TCP/IP address:</source>
        <translation>TCP/IP-Adresse:</translation>
    </message>
    <message>
        <source>User list</source>
        <translation>Benutzerliste</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Name des Benutzers</translation>
    </message>
    <message>
        <source>User TCP/IP address</source>
        <translation>TCP/IP-Adresse des Benutzers</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Find copies...</source>
        <translation>Kopien finden …</translation>
    </message>
    <message>
        <source>Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN</source>
        <translation>Ungültige TCP/IP-Adresse. Sie muss die Form NNN.NNN.NNN.NNN haben</translation>
    </message>
    <message>
        <source>Single part of TCP/IP address cannot be greater than 255!</source>
        <translation>Kein Teil einer TCP/IP-Adresse darf größer als 255 sein!</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Delete IP</source>
        <translation>IP löschen</translation>
    </message>
    <message>
        <source>Are you really sure?</source>
        <translation>Sind Sie wirklich sicher?</translation>
    </message>
    <message>
        <source>Private line...</source>
        <translation>Private Leitung …</translation>
    </message>
    <message>
        <source>Select a user first.</source>
        <translation>Wählen Sie zuerst einen Benutzer.</translation>
    </message>
    <message>
        <source>This copy has no key from that user yet: both need &quot;Private lines with other Parley copies&quot; on in the Configuration dialog, and a Run! while the other copy is up.</source>
        <translation>Diese Kopie hat noch keinen Schlüssel dieses Benutzers: beide brauchen „Private Leitungen mit anderen Parley-Kopien“ in den Einstellungen und ein Start!, während die andere Kopie läuft.</translation>
    </message>
</context>
<context>
    <name>TextAppearance</name>
    <message>
        <source>This is just a sample
MyName: Hi!</source>
        <translation>Nur ein Beispiel
MeinName: Hallo!</translation>
    </message>
    <message>
        <source>Sample text</source>
        <translation>Beispieltext</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Change font</source>
        <translation>Schrift ändern</translation>
    </message>
</context>
<context>
    <name>TransfersWindow</name>
    <message>
        <source>Transfers</source>
        <translation>Übertragungen</translation>
    </message>
    <message>
        <source>No transfers. Drop files on the main window or on a user&apos;s row to send them.</source>
        <translation>Keine Übertragungen. Ziehen Sie Dateien auf das Hauptfenster oder auf die Zeile eines Benutzers, um sie zu senden.</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Annehmen</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Ablehnen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>noch %1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>noch %1 h %2 min</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
    </message>
    <message>
        <source>To %1: %2, %3</source>
        <translation>An %1: %2, %3</translation>
    </message>
    <message>
        <source>From %1: %2, %3</source>
        <translation>Von %1: %2, %3</translation>
    </message>
    <message>
        <source>Progress of %1</source>
        <translation>Fortschritt von %1</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>%1 s left</source>
        <translation>noch %1 s</translation>
    </message>
</context>
<context>
    <name>TrayPresenter</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Check the network...</source>
        <translation>Netzwerk prüfen …</translation>
    </message>
    <message>
        <source>Parley: 1 unread line</source>
        <translation>Parley: 1 ungelesene Zeile</translation>
    </message>
    <message numerus="yes">
        <source>Parley: %n unread lines</source>
        <translation>
            <numerusform>Parley: %n ungelesene Zeile</numerusform>
            <numerusform>Parley: %n ungelesene Zeilen</numerusform>
        </translation>
    </message>
    <message>
        <source>Send files...</source>
        <translation>Dateien senden…</translation>
    </message>
    <message>
        <source>Transfers...</source>
        <translation>Übertragungen…</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Annehmen</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Ablehnen</translation>
    </message>
</context>
<context>
    <name>UserViewActions</name>
    <message>
        <source>Check the network...</source>
        <translation>Netzwerk prüfen …</translation>
    </message>
    <message>
        <source>Selected user has disconnected. Try later.</source>
        <translation>Der gewählte Benutzer hat die Verbindung getrennt. Bitte später erneut versuchen.</translation>
    </message>
    <message>
        <source>User lost</source>
        <translation>Benutzer getrennt</translation>
    </message>
</context>
</TS>
