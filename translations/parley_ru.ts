<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ChatRecord</name>
    <message>
        <source>Cannot write to %1 (%2). The chat is kept and written as soon as the file takes it</source>
        <translation>Не удаётся записать %1 (%2). Переписка сохранена и будет записана, как только файл это позволит</translation>
    </message>
    <message>
        <source>%1 could not be read at start and was kept as it was; this session&apos;s chat is in %2</source>
        <translation>%1 не удалось прочитать при запуске, он оставлен как был; переписка этого сеанса — в %2</translation>
    </message>
    <message>
        <source>%1 could not be written (%2); the chat is in %3</source>
        <translation>%1 не удалось записать (%2); переписка — в %3</translation>
    </message>
    <message>
        <source>it is no longer a file</source>
        <translation>это больше не файл</translation>
    </message>
</context>
<context>
    <name>ChatSession</name>
    <message>
        <source>not delivered to: </source>
        <translation>не доставлено: </translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> и ещё %1</translation>
    </message>
    <message>
        <source>You are in connect mode. Please push &quot;Stop!&quot; button.</source>
        <translation>Parley подключён. Сначала нажмите кнопку «Стоп!».</translation>
    </message>
    <message>
        <source>Name cannot be blank</source>
        <translation>Имя не может быть пустым</translation>
    </message>
    <message>
        <source>Specified address already exists!</source>
        <translation>Такой адрес уже есть в списке!</translation>
    </message>
    <message>
        <source>Cannot currier over 512 users!</source>
        <translation>Больше 512 пользователей нельзя!</translation>
    </message>
    <message>
        <source> (its key for private lines has changed: see the Users dialog)</source>
        <translation> (ключ этой копии для защищённых линий изменился: см. окно «Пользователи»)</translation>
    </message>
    <message>
        <source> (their private line is down, and a line to a pinned copy never goes in clear)</source>
        <translation> (защищённая линия с этой копией разорвана, а копии с закреплённым ключом ничего не отправляется открытым текстом)</translation>
    </message>
    <message>
        <source> (the file of pinned keys is unsound, and no line goes in clear until it is mended)</source>
        <translation> (файл закреплённых ключей повреждён, и ни одна строка не уходит открытым текстом, пока он не исправлен)</translation>
    </message>
    <message>
        <source>personal line to %1</source>
        <translation>личная строка для %1</translation>
    </message>
    <message>
        <source> (their copy does not accept this copy&apos;s new key: compare your safety number with them)</source>
        <translation> (та копия не принимает новый ключ этой копии: сверьте с собеседником код безопасности)</translation>
    </message>
    <message>
        <source>waiting to go when they connect: </source>
        <translation>ждёт подключения: </translation>
    </message>
    <message>
        <source> (the lines waiting for them are at the limit of %1: send again once they have connected)</source>
        <translation> (строк, ждущих этого пользователя, уже %1 — это предел: отправьте снова, когда он подключится)</translation>
    </message>
    <message>
        <source> (the lines waiting for absent users could not be saved%1)</source>
        <translation> (строки для отсутствующих не удалось сохранить%1)</translation>
    </message>
    <message>
        <source>delivered to %1 at %2</source>
        <translation>доставлено: %1, в %2</translation>
    </message>
    <message>
        <source>delivered to %1 at %2, after waiting: %3</source>
        <translation>доставлено: %1, в %2, после ожидания: %3</translation>
    </message>
    <message>
        <source>personal line from %1</source>
        <translation>личная строка от %1</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>New</source>
        <translation>Новое</translation>
    </message>
    <message>
        <source>Go to the &amp;new lines</source>
        <translation>К &amp;новым строкам</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Выделить всё</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Найти…</translation>
    </message>
</context>
<context>
    <name>Choosers</name>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>Font colour</source>
        <translation>Цвет шрифта</translation>
    </message>
</context>
<context>
    <name>Colours</name>
    <message>
        <source>Scroll bar</source>
        <translation>Полоса прокрутки</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Рабочий стол</translation>
    </message>
    <message>
        <source>Active caption</source>
        <translation>Заголовок активного окна</translation>
    </message>
    <message>
        <source>Inactive caption</source>
        <translation>Заголовок неактивного окна</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Меню</translation>
    </message>
    <message>
        <source>Window background</source>
        <translation>Фон окна</translation>
    </message>
    <message>
        <source>Window frame</source>
        <translation>Рамка окна</translation>
    </message>
    <message>
        <source>Menu text</source>
        <translation>Текст меню</translation>
    </message>
    <message>
        <source>Window text</source>
        <translation>Текст окна</translation>
    </message>
    <message>
        <source>Caption text</source>
        <translation>Текст заголовка</translation>
    </message>
    <message>
        <source>Active border</source>
        <translation>Граница активного окна</translation>
    </message>
    <message>
        <source>Inactive border</source>
        <translation>Граница неактивного окна</translation>
    </message>
    <message>
        <source>Application workspace</source>
        <translation>Рабочая область</translation>
    </message>
    <message>
        <source>Highlight</source>
        <translation>Выделение</translation>
    </message>
    <message>
        <source>Highlight text</source>
        <translation>Выделенный текст</translation>
    </message>
    <message>
        <source>Button face</source>
        <translation>Кнопка</translation>
    </message>
    <message>
        <source>Button shadow</source>
        <translation>Тень кнопки</translation>
    </message>
    <message>
        <source>Gray text</source>
        <translation>Серый текст</translation>
    </message>
    <message>
        <source>Button text</source>
        <translation>Текст кнопки</translation>
    </message>
    <message>
        <source>Inactive caption text</source>
        <translation>Текст неактивного заголовка</translation>
    </message>
    <message>
        <source>Button highlight</source>
        <translation>Подсветка кнопки</translation>
    </message>
    <message>
        <source>Info text</source>
        <translation>Текст подсказки</translation>
    </message>
    <message>
        <source>Info background</source>
        <translation>Фон подсказки</translation>
    </message>
    <message>
        <source>Hot light</source>
        <translation>Ссылка</translation>
    </message>
    <message>
        <source>Gradient active caption</source>
        <translation>Градиент активного заголовка</translation>
    </message>
    <message>
        <source>Gradient inactive caption</source>
        <translation>Градиент неактивного заголовка</translation>
    </message>
    <message>
        <source>Menu highlight</source>
        <translation>Выделение в меню</translation>
    </message>
    <message>
        <source>Menu bar</source>
        <translation>Строка меню</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Чёрный</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Бордовый</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Зелёный</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Оливковый</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Тёмно-синий</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Фиолетовый</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Сине-зелёный</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Серый</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Серебристый</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Красный</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Салатовый</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Жёлтый</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Синий</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Пурпурный</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Голубой</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Белый</translation>
    </message>
</context>
<context>
    <name>ConnectionManager</name>
    <message>
        <source>Windows socket error: %1 (%2), on API &apos;%3&apos;</source>
        <translation>Ошибка сокета: %1 (%2), в вызове «%3»</translation>
    </message>
    <message>
        <source>Ports below 1024 need a capability: as root, run once: setcap cap_net_bind_service=+ep %1</source>
        <translation>Для портов ниже 1024 нужно право; выполните один раз от root: setcap cap_net_bind_service=+ep %1</translation>
    </message>
    <message>
        <source>Another program uses port %1 (only one copy runs per machine); &apos;ss -ltnp sport = :%1&apos; shows which.</source>
        <translation>Порт %1 занят другой программой (на компьютере работает только одна копия); какой — покажет «ss -ltnp sport = :%1».</translation>
    </message>
    <message>
        <source>New user has connected and added to your IP list with name &quot;Unknown&quot;.</source>
        <translation>Подключился новый пользователь; он добавлен в ваш список под именем «Unknown».</translation>
    </message>
    <message>
        <source>%1&apos;s computer stopped taking data; what it did not take was not delivered</source>
        <translation>Компьютер %1 перестал принимать данные; то, что он не принял, не доставлено</translation>
    </message>
    <message>
        <source>%1&apos;s computer did not keep up; what it did not take was not delivered</source>
        <translation>Компьютер %1 не успевал принимать; то, что он не принял, не доставлено</translation>
    </message>
    <message>
        <source>Cannot find incoming IP!</source>
        <translation>Не удалось определить входящий IP-адрес!</translation>
    </message>
    <message>
        <source>The user list holds this computer&apos;s own address, %1 (%2). Parley does not connect to itself, so your lines are not shown twice; remove the entry in the Users dialog.</source>
        <translation>В списке пользователей есть собственный адрес этого компьютера, %1 (%2). Parley не подключается сам к себе, чтобы ваши строки не показывались дважды; удалите эту запись в окне «Пользователи».</translation>
    </message>
</context>
<context>
    <name>FileActions</name>
    <message>
        <source>Send files...</source>
        <translation>Отправить файлы…</translation>
    </message>
    <message>
        <source>Transfers...</source>
        <translation>Передачи…</translation>
    </message>
    <message>
        <source>Send files</source>
        <translation>Отправить файлы</translation>
    </message>
    <message>
        <source>No user is ticked: tick the users the files are for, or drop the files on a user&apos;s row.</source>
        <translation>Никто не отмечен: отметьте пользователей, которым предназначены файлы, или перетащите файлы на строку пользователя.</translation>
    </message>
</context>
<context>
    <name>FileTransfers</name>
    <message>
        <source>%1 (a symbolic link)</source>
        <translation>%1 (символическая ссылка)</translation>
    </message>
    <message>
        <source>%1 (not a regular file)</source>
        <translation>%1 (не обычный файл)</translation>
    </message>
    <message>
        <source>offer withdrawn: Parley stopped</source>
        <translation>предложение отозвано: Parley остановлен</translation>
    </message>
    <message>
        <source>waits for Run!</source>
        <translation>ждёт Run!</translation>
    </message>
    <message>
        <source>Files go only on private lines, and they are off here: tick &quot;Private lines with other Parley copies&quot; in Configure, then Stop! and Run!.</source>
        <translation>Файлы передаются только по частным линиям, а здесь они выключены: отметьте «Частные линии с другими копиями Parley» в Configure, затем Stop! и Run!.</translation>
    </message>
    <message>
        <source>Files go only on private lines, and %1 has none with this copy yet: its copy has not shown its key (it needs private lines on, and its ports %2 and %3 open). Send again once its row shows a private line.</source>
        <translation>Файлы передаются только по частным линиям, а у %1 её с этой копией ещё нет: его копия ещё не показала свой ключ (нужны включённые частные линии и открытые порты %2 и %3). Отправьте снова, когда в его строке будет видна частная линия.</translation>
    </message>
    <message>
        <source>%1 does not exist; nothing was sent.</source>
        <translation>%1 не существует; ничего не отправлено.</translation>
    </message>
    <message>
        <source>Nothing was sent to %1: there is nothing to send there (%2).</source>
        <translation>Ничего не отправлено %1: там нечего отправлять (%2).</translation>
    </message>
    <message>
        <source>Nothing was sent to %1: that is more than %2 files; send them in parts.</source>
        <translation>Ничего не отправлено %1: это больше %2 файлов; отправьте их частями.</translation>
    </message>
    <message>
        <source>offered, waiting for %1 to accept</source>
        <translation>предложено, ждёт, пока %1 примет</translation>
    </message>
    <message>
        <source>%1: offered; it goes once %2 accepts</source>
        <translation>%1: предложено; передача начнётся, когда %2 примет</translation>
    </message>
    <message>
        <source> (left out: %1)</source>
        <translation> (пропущено: %1)</translation>
    </message>
    <message>
        <source>%1, %2, to %3</source>
        <translation>%1, %2, для %3</translation>
    </message>
    <message>
        <source>%1, %2, from %3</source>
        <translation>%1, %2, от %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>приостановлено</translation>
    </message>
    <message>
        <source>not enough room in %1: it needs %2, %3 are free; free some room or choose another folder in Configure, then accept again</source>
        <translation>недостаточно места в %1: нужно %2, свободно %3; освободите место или выберите другую папку в Configure, затем примите снова</translation>
    </message>
    <message>
        <source>receiving into %1</source>
        <translation>приём в %1</translation>
    </message>
    <message>
        <source>%1: accepted, saving in %2</source>
        <translation>%1: принято, сохраняется в %2</translation>
    </message>
    <message>
        <source>declined</source>
        <translation>отклонено</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>отправляется</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>отменено</translation>
    </message>
    <message>
        <source>waiting for you to accept or decline</source>
        <translation>ждёт, пока вы примете или отклоните</translation>
    </message>
    <message>
        <source>%1 offers %2, %3: accept or decline it in the Transfers window.</source>
        <translation>%1 предлагает %2, %3: примите или отклоните в окне «Передачи».</translation>
    </message>
    <message>
        <source>sent (%1&apos;s copy checked every file)</source>
        <translation>отправлено (копия %1 проверила каждый файл)</translation>
    </message>
    <message>
        <source>saved in %1</source>
        <translation>сохранено в %1</translation>
    </message>
    <message>
        <source>cancelled by %1</source>
        <translation>отменено пользователем %1</translation>
    </message>
    <message>
        <source>declined by %1</source>
        <translation>отклонено пользователем %1</translation>
    </message>
    <message>
        <source>failed: %1 arrived damaged (its SHA-256 did not match) and was not saved; ask %2 to send it again</source>
        <translation>ошибка: %1 пришёл повреждённым (SHA-256 не совпала) и не сохранён; попросите %2 отправить его снова</translation>
    </message>
    <message>
        <source>a file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy could not write the files</source>
        <translation>ошибка: копия %1 не смогла записать файлы</translation>
    </message>
    <message>
        <source>failed: %1 could not be written; check the folder for received files in Configure</source>
        <translation>ошибка: не удалось записать %1; проверьте папку для полученных файлов в Configure</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy could not read a file (moved or changed while it was sent)</source>
        <translation>ошибка: копия %1 не смогла прочитать файл (перемещён или изменён во время отправки)</translation>
    </message>
    <message>
        <source>failed: %1 could not be read (moved or changed while it was sent); send it again</source>
        <translation>ошибка: не удалось прочитать %1 (перемещён или изменён во время отправки); отправьте снова</translation>
    </message>
    <message>
        <source>refused by %1: too many offers wait there; send it again later</source>
        <translation>отклонено %1: там ждёт слишком много предложений; отправьте позже</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy refused what this copy sent</source>
        <translation>ошибка: копия %1 отклонила то, что отправила эта копия</translation>
    </message>
    <message>
        <source>failed: %1&apos;s copy sent what Parley does not accept (a name outside its folder, more data than offered, or out of order); nothing of it was kept under a final name</source>
        <translation>ошибка: копия %1 прислала то, что Parley не принимает (имя вне своей папки, больше данных, чем предложено, или не по порядку); ничего из этого не сохранено под окончательным именем</translation>
    </message>
    <message>
        <source>failed: %1 shows another key than the one pinned for it; nothing was sent</source>
        <translation>ошибка: %1 показывает не тот ключ, что закреплён за ним; ничего не отправлено</translation>
    </message>
    <message>
        <source>offer withdrawn (%1&apos;s connection went)</source>
        <translation>предложение отозвано (соединение с %1 пропало)</translation>
    </message>
    <message>
        <source>paused: the disk is full; it goes on when there is room</source>
        <translation>приостановлено: диск заполнен; продолжится, когда появится место</translation>
    </message>
    <message>
        <source>%1&apos;s copy cannot take it now (paused there, or its disk is full); asks again</source>
        <translation>копия %1 не может принять сейчас (приостановлено там или её диск заполнен); спросит снова</translation>
    </message>
    <message>
        <source>%1 is not reachable; tries again</source>
        <translation>%1 недоступен; попытка повторится</translation>
    </message>
    <message>
        <source>connection to %1 lost; goes on when it is back</source>
        <translation>соединение с %1 потеряно; продолжится, когда оно вернётся</translation>
    </message>
    <message>
        <source>connection to %1 lost; waiting for it to send the rest</source>
        <translation>соединение с %1 потеряно; ждёт, пока он отправит остальное</translation>
    </message>
    <message>
        <source>paused by %1</source>
        <translation>приостановлено пользователем %1</translation>
    </message>
    <message>
        <source>%1 offered more files than Parley keeps waiting (%2 offers); the rest were refused. Accept or decline the offers in the Transfers window.</source>
        <translation>%1 предложил больше файлов, чем Parley держит в ожидании (%2 предложений); остальные отклонены. Примите или отклоните предложения в окне «Передачи».</translation>
    </message>
    <message>
        <source>%1&apos;s copy offered files in a form Parley does not accept (a name outside its folder, or sizes that cannot be); the offer was refused and nothing was written.</source>
        <translation>Копия %1 предложила файлы в виде, который Parley не принимает (имя вне своей папки или невозможные размеры); предложение отклонено, ничего не записано.</translation>
    </message>
    <message>
        <source>Unfinished transfers could not be kept for the next start: %1</source>
        <translation>Незавершённые передачи не удалось сохранить для следующего запуска: %1</translation>
    </message>
    <message>
        <source>goes on when both copies run</source>
        <translation>продолжится, когда обе копии запущены</translation>
    </message>
    <message>
        <source>%1 (files: %2)</source>
        <translation>%1 (файлов: %2)</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 и ещё %2</translation>
    </message>
    <message>
        <source>The unfinished file transfers kept in %1 cannot be read (%2): none of them goes on, and the file is kept as it is. Until it is moved away and Parley started again, transfers that break off do not go on after a restart; ask the sender to send again what did not arrive.</source>
        <translation>Незавершённые передачи файлов в %1 не читаются (%2): ни одна не продолжается, а файл остаётся как есть. Пока его не переместят и не запустят Parley заново, прерванные передачи после перезапуска не продолжаются; попросите отправителя прислать заново то, что не дошло.</translation>
    </message>
    <message>
        <source>not a file of transfers</source>
        <translation>это не файл передач</translation>
    </message>
    <message>
        <source>cut short or damaged</source>
        <translation>обрезан или повреждён</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>Files cannot be received: port %1 is taken.</source>
        <translation>Файлы нельзя принимать: порт %1 занят.</translation>
    </message>
    <message>
        <source>%1 kB</source>
        <translation>%1 кБ</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 МБ</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 ГБ</translation>
    </message>
    <message>
        <source>%1 B</source>
        <translation>%1 Б</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>Find:</source>
        <translation>Найти:</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Previous match</source>
        <translation>Предыдущее совпадение</translation>
    </message>
    <message>
        <source>Next match</source>
        <translation>Следующее совпадение</translation>
    </message>
    <message>
        <source>Close find bar</source>
        <translation>Закрыть панель поиска</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Поиск…</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Совпадений нет</translation>
    </message>
    <message numerus="yes">
        <source>%n found%1</source>
        <translation>
            <numerusform>%n совпадение%1</numerusform>
            <numerusform>%n совпадения%1</numerusform>
            <numerusform>%n совпадений%1</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2%3</source>
        <translation>%1 из %2%3</translation>
    </message>
</context>
<context>
    <name>FindCopiesDialog</name>
    <message>
        <source>Find copies on this network</source>
        <translation>Поиск копий в этой сети</translation>
    </message>
    <message>
        <source>Search again</source>
        <translation>Искать снова</translation>
    </message>
    <message>
        <source>Parley tries port %1 on the addresses of this computer&apos;s own networks (at most %2 of them) and lists those where a copy answers. A copy there that has &quot;Add new IPs to user list&quot; ticked will add this computer to its user list when it is tried.</source>
        <translation>Parley проверяет порт %1 на адресах сетей этого компьютера (не более %2) и показывает те, где отвечает копия. Копия, у которой отмечено «Добавлять новые IP в список», при проверке добавит этот компьютер в свой список.</translation>
    </message>
    <message>
        <source>Copies found</source>
        <translation>Найденные копии</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>This computer is on no network that could be searched.</source>
        <translation>Этот компьютер не подключён ни к одной сети, где можно искать.</translation>
    </message>
    <message>
        <source>Searching: 0 of %1 addresses tried...</source>
        <translation>Поиск: проверено адресов: 0 из %1…</translation>
    </message>
    <message>
        <source>Searching: %1 of %2 addresses tried...</source>
        <translation>Поиск: проверено адресов: %1 из %2…</translation>
    </message>
    <message>
        <source>%1 addresses tried: %2 found.</source>
        <translation>Проверено адресов: %1; найдено: %2.</translation>
    </message>
    <message>
        <source>1 copy</source>
        <translation>1 копия</translation>
    </message>
    <message numerus="yes">
        <source>%n copies</source>
        <translation>
            <numerusform>%n копия</numerusform>
            <numerusform>%n копии</numerusform>
            <numerusform>%n копий</numerusform>
        </translation>
    </message>
    <message>
        <source>(no name: it does not list this computer)</source>
        <translation>(без имени: этого компьютера нет в её списке)</translation>
    </message>
    <message>
        <source>In the list</source>
        <translation>В списке</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>Добавить %1</translation>
    </message>
    <message>
        <source>Added</source>
        <translation>Добавлено</translation>
    </message>
</context>
<context>
    <name>Identity</name>
    <message>
        <source>Private lines are off: the key file %1 %2</source>
        <translation>Защищённые линии выключены: файл ключа %1 %2</translation>
    </message>
    <message>
        <source>cannot be written (%1).</source>
        <translation>не удаётся записать (%1).</translation>
    </message>
    <message>
        <source>cannot be made: the system&apos;s OpenSSL refused.</source>
        <translation>не удаётся создать: OpenSSL системы отказал.</translation>
    </message>
    <message>
        <source>cannot be read (%1).</source>
        <translation>не удаётся прочитать (%1).</translation>
    </message>
    <message>
        <source>holds no usable key pair: move it away to make a new one.</source>
        <translation>не содержит пригодной пары ключей: уберите его, чтобы создать новую.</translation>
    </message>
    <message>
        <source>is a symbolic link, which Parley does not follow: put the key file itself there, or remove the link to make a new key.</source>
        <translation>— символическая ссылка, по которой Parley не переходит: положите туда сам файл ключа или удалите ссылку, чтобы создать новый ключ.</translation>
    </message>
    <message>
        <source>belongs to another account: remove it to make a new key, or, as root, give it to this account (chown).</source>
        <translation>принадлежит другой учётной записи: удалите его, чтобы создать новый ключ, или от имени root передайте его этой учётной записи (chown).</translation>
    </message>
    <message>
        <source>can be read or changed by other accounts: run chmod 600 %1, or remove it to make a new key if others may have read it.</source>
        <translation>могут читать или менять другие учётные записи: выполните chmod 600 %1 или удалите его, чтобы создать новый ключ, если его могли прочитать.</translation>
    </message>
    <message>
        <source>Private lines are off: the system&apos;s OpenSSL library (libcrypto.so.3) cannot be loaded. Install the package libssl3, then start Parley again.</source>
        <translation>Защищённые линии выключены: системную библиотеку OpenSSL (libcrypto.so.3) не удаётся загрузить. Установите пакет libssl3, затем запустите Parley снова.</translation>
    </message>
</context>
<context>
    <name>IncomingLine</name>
    <message>
        <source>⚠ In clear: this line did not come on %1&apos;s private line and may be from someone else at that address; ask %1 before you trust it</source>
        <translation>⚠ Открытым текстом: эта строка пришла не по защищённой линии с %1 и может быть от кого-то другого с этого адреса; спросите %1, прежде чем ей доверять</translation>
    </message>
    <message>
        <source>⚠ %1 (in clear)</source>
        <translation>⚠ %1 (открытым текстом)</translation>
    </message>
    <message>
        <source>%1 (personal)</source>
        <translation>%1 (лично)</translation>
    </message>
</context>
<context>
    <name>LogoPanel</name>
    <message>
        <source>SILENT MODE</source>
        <translation>ТИХИЙ РЕЖИМ</translation>
    </message>
    <message>
        <source>NORMAL MODE</source>
        <translation>ОБЫЧНЫЙ РЕЖИМ</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>MessageEdit</name>
    <message>
        <source>(%1 characters pasted, shown shortened: Enter sends the whole text; Backspace or Delete removes it.)</source>
        <translation>(вставлено символов: %1, показано сокращённо: Enter отправляет весь текст; Backspace или Delete удаляет его.)</translation>
    </message>
</context>
<context>
    <name>NetworkCheck</name>
    <message>
        <source>The firewall (nftables) lets connections to port %1 in.</source>
        <translation>Брандмауэр (nftables) пропускает подключения к порту %1.</translation>
    </message>
    <message>
        <source>The firewall (nftables) blocks connections to port %1: other copies cannot connect to this one.</source>
        <translation>Брандмауэр (nftables) блокирует подключения к порту %1: другие копии не могут подключиться к этой.</translation>
    </message>
    <message>
        <source>The firewall&apos;s rules could not be read.</source>
        <translation>Не удалось прочитать правила брандмауэра.</translation>
    </message>
    <message>
        <source>nftables is not installed, so no firewall rules were checked.</source>
        <translation>nftables не установлен, поэтому правила брандмауэра не проверялись.</translation>
    </message>
    <message>
        <source>Only an administrator may read the firewall&apos;s rules; to see them: sudo nft list ruleset</source>
        <translation>Правила брандмауэра может читать только администратор; чтобы их увидеть: sudo nft list ruleset</translation>
    </message>
    <message>
        <source>answers on port %1: a copy is running there</source>
        <translation>отвечает на порту %1: там работает копия</translation>
    </message>
    <message>
        <source>refused: nothing listens on port %1 there, so Parley is not running (or is stopped)</source>
        <translation>отказ: на порту %1 там никто не ждёт — Parley не запущен (или остановлен)</translation>
    </message>
    <message>
        <source>no answer: a firewall drops the connection, or the machine is off</source>
        <translation>нет ответа: брандмауэр отбрасывает подключение, или компьютер выключен</translation>
    </message>
    <message>
        <source>unreachable: there is no route to it (a wrong address, or a network that is down)</source>
        <translation>недоступен: к нему нет маршрута (неверный адрес или сеть не работает)</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>ошибка: %1</translation>
    </message>
    <message>
        <source>Parley listens on port %1.</source>
        <translation>Parley принимает подключения на порту %1.</translation>
    </message>
    <message>
        <source>Parley is stopped. Port %1 is free: Run! will listen on it.</source>
        <translation>Parley остановлен. Порт %1 свободен: кнопка «Пуск!» займёт его.</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: ports below 1024 need a permission (the capability CAP_NET_BIND_SERVICE) that this program does not have. To give it:
    sudo setcap cap_net_bind_service=+ep %2</source>
        <translation>Parley не может принимать подключения на порту %1: для портов ниже 1024 нужно право (capability CAP_NET_BIND_SERVICE), которого у программы нет. Чтобы его дать:
    sudo setcap cap_net_bind_service=+ep %2</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: the program %2 holds it.</source>
        <translation>Parley не может принимать подключения на порту %1: его занимает программа %2.</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: another program holds it (to see which: sudo ss -ltnp &apos;sport = :%1&apos;).</source>
        <translation>Parley не может принимать подключения на порту %1: его занимает другая программа (какая: sudo ss -ltnp &apos;sport = :%1&apos;).</translation>
    </message>
    <message>
        <source>Parley cannot listen on port %1: %2.</source>
        <translation>Parley не может принимать подключения на порту %1: %2.</translation>
    </message>
    <message>
        <source>This computer has no network address: it is not connected.</source>
        <translation>У этого компьютера нет сетевого адреса: он не подключён.</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 на %2</translation>
    </message>
    <message>
        <source> (subnet /%1)</source>
        <translation> (подсеть /%1)</translation>
    </message>
    <message>
        <source> To let them in:
    </source>
        <translation> Чтобы их пропустить:
    </translation>
    </message>
    <message>
        <source>The user list is empty.</source>
        <translation>Список пользователей пуст.</translation>
    </message>
    <message>
        <source>not an address that can be tried</source>
        <translation>этот адрес нельзя проверить</translation>
    </message>
    <message>
        <source>Listening</source>
        <translation>Приём подключений</translation>
    </message>
    <message>
        <source>This computer&apos;s addresses</source>
        <translation>Адреса этого компьютера</translation>
    </message>
    <message>
        <source>Firewall</source>
        <translation>Брандмауэр</translation>
    </message>
    <message>
        <source>Listed peers</source>
        <translation>Пользователи из списка</translation>
    </message>
</context>
<context>
    <name>NetworkCheckDialog</name>
    <message>
        <source>Check the network</source>
        <translation>Проверка сети</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>Проверить снова</translation>
    </message>
    <message>
        <source>Network check</source>
        <translation>Проверка сети</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>Проверка…</translation>
    </message>
    <message>
        <source>Checked at %1.</source>
        <translation>Проверено в %1.</translation>
    </message>
    <message>
        <source>this computer&apos;s own address: no peer, and nothing is sent to it; remove the entry in the Users dialog</source>
        <translation>собственный адрес этого компьютера: это не собеседник, и туда ничего не отправляется; удалите запись в окне «Пользователи»</translation>
    </message>
</context>
<context>
    <name>Notification</name>
    <message>
        <source>+%1 more: %2</source>
        <translation>ещё %1: %2</translation>
    </message>
</context>
<context>
    <name>Notifications</name>
    <message>
        <source>Answer</source>
        <translation>Ответить</translation>
    </message>
</context>
<context>
    <name>Outbox</name>
    <message>
        <source>The lines waiting for absent users in %1 cannot be read (%2): none of them is sent, and the file is kept as it is. Move it away to start an empty one.</source>
        <translation>Строки, ждущие отсутствующих, в %1 не читаются (%2): ни одна не отправляется, а файл остаётся как есть. Переместите его, чтобы начать с пустого.</translation>
    </message>
    <message>
        <source>too big</source>
        <translation>слишком большой</translation>
    </message>
    <message>
        <source>not a file of waiting lines</source>
        <translation>это не файл ждущих строк</translation>
    </message>
    <message>
        <source>cut short or damaged</source>
        <translation>обрезан или повреждён</translation>
    </message>
</context>
<context>
    <name>Parley</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>«%1» не является допустимым целым числом</translation>
    </message>
    <message>
        <source>Unexpected error</source>
        <translation>Непредвиденная ошибка</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Не удаётся записать %1</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Не удаётся открыть файл %1</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Не удаётся создать файл %1</translation>
    </message>
    <message>
        <source>Quendlewick Parley is aleady loaded</source>
        <translation>Quendlewick Parley уже запущен</translation>
    </message>
    <message>
        <source>Cannot create temp file &quot;Parley.tmp&quot; in Windows system directory.</source>
        <translation>Не удаётся создать временный файл «Parley.tmp» в системной папке.</translation>
    </message>
    <message>
        <source>Parley: a key for private lines</source>
        <translation>Parley: ключ защищённых линий</translation>
    </message>
    <message>
        <source>%1 is not in the user list: add it in Users, then send again.</source>
        <translation>%1 нет в списке пользователей: добавьте его в Users, затем отправьте снова.</translation>
    </message>
    <message>
        <source>Offered to %1; it goes once they accept. The Transfers window (Ctrl+T) shows how far it is.</source>
        <translation>Предложено %1; передача начнётся после принятия. Окно «Передачи» (Ctrl+T) показывает ход.</translation>
    </message>
</context>
<context>
    <name>PeerState</name>
    <message>
        <source>refused since %1 (no copy listens there)</source>
        <translation>отказ с %1 (там не работает копия)</translation>
    </message>
    <message>
        <source>not answering since %1 (a firewall, or the machine is off)</source>
        <translation>не отвечает с %1 (брандмауэр или компьютер выключен)</translation>
    </message>
    <message>
        <source>unreachable since %1 (no route to it)</source>
        <translation>недоступен с %1 (нет маршрута)</translation>
    </message>
    <message>
        <source> — trying since %1</source>
        <translation> — попытка с %1</translation>
    </message>
    <message>
        <source> — last try %1</source>
        <translation> — последняя попытка в %1</translation>
    </message>
    <message>
        <source>, next in %1 s</source>
        <translation>, следующая через %1 с</translation>
    </message>
    <message>
        <source>not connected to it</source>
        <translation>нет подключения к нему</translation>
    </message>
    <message>
        <source>connecting to it since %1</source>
        <translation>подключение к нему с %1</translation>
    </message>
    <message>
        <source>connected to it since %1</source>
        <translation>подключены к нему с %1</translation>
    </message>
    <message>
        <source>our connection to it closed at %1</source>
        <translation>наше подключение к нему закрыто в %1</translation>
    </message>
    <message>
        <source>connected both ways since %1</source>
        <translation>связь в обе стороны с %1</translation>
    </message>
    <message>
        <source>connected to us since %1</source>
        <translation>подключён к нам с %1</translation>
    </message>
    <message>
        <source>not connected to us</source>
        <translation>не подключён к нам</translation>
    </message>
    <message>
        <source>Filled circle: connected both ways.
Half circle: it reaches us, we do not reach it.
Ring: the connection is closing.</source>
        <translation>Полный круг: связь в обе стороны.
Полукруг: он подключён к нам, мы к нему — нет.
Кольцо: подключение закрывается.</translation>
    </message>
    <message>
        <source>closing</source>
        <translation>закрывается</translation>
    </message>
    <message>
        <source>private line (padlock): encrypted, its key pinned</source>
        <translation>защищённая линия (навесной замок): зашифрована, ключ закреплён</translation>
    </message>
    <message>
        <source>private line down (open padlock): its key is pinned, so nothing goes to it in clear</source>
        <translation>защищённая линия разорвана (открытый навесной замок): ключ закреплён, поэтому ничего не уходит туда открытым текстом</translation>
    </message>
    <message>
        <source>KEY CHANGED (struck padlock): private lines stopped; compare the safety number in the Users dialog</source>
        <translation>КЛЮЧ ИЗМЕНИЛСЯ (зачёркнутый навесной замок): защищённые линии остановлены; сверьте код безопасности в окне «Пользователи»</translation>
    </message>
    <message>
        <source>%1, not seen since Parley started</source>
        <translation>%1: не появлялся с запуска Parley</translation>
    </message>
    <message>
        <source>%1, last seen %2</source>
        <translation>%1: был в сети в %2</translation>
    </message>
</context>
<context>
    <name>Pins</name>
    <message>
        <source>The file of pinned keys %1 %2</source>
        <translation>Файл закреплённых ключей %1 %2</translation>
    </message>
    <message>
        <source>cannot be written (%1).</source>
        <translation>не удаётся записать (%1).</translation>
    </message>
    <message>
        <source>is a symbolic link, which Parley does not follow</source>
        <translation>— символическая ссылка, по которой Parley не переходит</translation>
    </message>
    <message>
        <source>cannot be read (%1)</source>
        <translation>не читается (%1)</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>это папка</translation>
    </message>
    <message>
        <source>has a line that does not parse (line %1)</source>
        <translation>содержит нераспознаваемую строку (строка %1)</translation>
    </message>
    <message>
        <source>The file of pinned keys %1 %2. Until it is sound, every listed peer counts as pinned and no line goes in clear. Restore it, or move it away to pin each peer&apos;s key anew at its next private line; then press Stop! and Run!</source>
        <translation>Файл закреплённых ключей %1 %2. Пока он не исправлен, каждый участник из списка считается закреплённым, и ни одна строка не уходит открытым текстом. Восстановите файл или уберите его, чтобы ключ каждого участника закрепился заново при следующей защищённой линии; затем нажмите Stop! и Run!</translation>
    </message>
    <message>
        <source>was cut short (it is empty, or its last line is not whole)</source>
        <translation>обрезан (он пуст или его последняя строка неполна)</translation>
    </message>
</context>
<context>
    <name>PrivateLineDialog</name>
    <message>
        <source>Verified: we read out the same number</source>
        <translation>Проверено: мы зачитали одинаковый код</translation>
    </message>
    <message>
        <source>Trust the new key</source>
        <translation>Доверять новому ключу</translation>
    </message>
    <message>
        <source>Private line with %1 (%2)</source>
        <translation>Защищённая линия с %1 (%2)</translation>
    </message>
    <message>
        <source>Read this number out to %1, by phone or face to face; their Parley shows the same one for you. If it differs, somebody else answers at that address.</source>
        <translation>Зачитайте этот код собеседнику %1 по телефону или лично; Parley собеседника показывает для вас такой же. Если он отличается, по этому адресу отвечает кто-то другой.</translation>
    </message>
    <message>
        <source>Safety number</source>
        <translation>Код безопасности</translation>
    </message>
    <message>
        <source>No private line now: lines go in clear on port 196.</source>
        <translation>Защищённой линии сейчас нет: строки идут открытым текстом через порт 196.</translation>
    </message>
    <message>
        <source>Trust the new key only after you have read out the new number with this person. Trust it?</source>
        <translation>Доверяйте новому ключу, только сверив новый код с этим человеком. Доверять?</translation>
    </message>
</context>
<context>
    <name>PrivateLinks</name>
    <message>
        <source>Private lines cannot listen on port %1.</source>
        <translation>Защищённые линии не могут ждать подключений на порту %1.</translation>
    </message>
    <message>
        <source>%1&apos;s copy, whose key is pinned at %2, now answers at %3 with the same key. Follow it there? Its private line, safety number and verification go with it; until then no line goes to %3.</source>
        <translation>Копия %1, чей ключ закреплён за %2, теперь отвечает с адреса %3 тем же ключом. Следовать за ней? Защищённая линия, код безопасности и подтверждение перейдут к ней; до тех пор на %3 не уходит ни одна строка.</translation>
    </message>
    <message>
        <source>%1 (%2) shows a key for private lines other than the one pinned: private lines with it stop, and no line goes to it.

Likely causes: Parley was reinstalled there or its key file removed, another machine now has that address, or someone is in between.

Ask %1, by phone or face to face, to read out the safety number their Parley shows for you, and compare it with this one:
%3

If they are the same, choose &quot;Trust the new key&quot; under &quot;Private line...&quot; in the Users dialog; if not, do not.</source>
        <translation>%1 (%2) предъявляет для защищённых линий не тот ключ, что закреплён: защищённые линии с этой копией остановлены, и ни одна строка туда не уходит.

Возможные причины: Parley там переустановлен или его файл ключа удалён, этот адрес теперь у другого компьютера, или кто-то вклинился посередине.

Попросите собеседника (%1) по телефону или лично зачитать код безопасности, который его Parley показывает для вас, и сверьте его с этим:
%3

Если они совпадают, выберите «Доверять новому ключу» в «Защищённая линия…» окна «Пользователи»; если нет — не доверяйте.</translation>
    </message>
    <message>
        <source>%1&apos;s copy does not accept this copy&apos;s new key: compare your safety number with %1 (%2), by phone or face to face; once %1 trusts the new key, private lines to %1 run again.</source>
        <translation>Копия собеседника %1 не принимает новый ключ этой копии: сверьте код безопасности с собеседником %1 (%2) по телефону или лично; когда %1 доверится новому ключу, защищённые линии к %1 снова заработают.</translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>it is a symbolic link, which is not followed</source>
        <translation>это символическая ссылка, по ней не переходят</translation>
    </message>
</context>
<context>
    <name>SendCommand</name>
    <message>
        <source>Parley is not running for this user: start it, then send the files again.</source>
        <translation>Parley не запущен для этого пользователя: запустите его, затем отправьте файлы снова.</translation>
    </message>
    <message>
        <source>The running Parley did not answer.</source>
        <translation>Запущенный Parley не ответил.</translation>
    </message>
    <message>
        <source>Usage: parley --send PATH... --to ADDRESS</source>
        <translation>Использование: parley --send ПУТЬ... --to АДРЕС</translation>
    </message>
</context>
<context>
    <name>TF_Config</name>
    <message>
        <source>Left-Top</source>
        <translation>Слева вверху</translation>
    </message>
    <message>
        <source>Left-Bottom</source>
        <translation>Слева внизу</translation>
    </message>
    <message>
        <source>Right-Top</source>
        <translation>Справа вверху</translation>
    </message>
    <message>
        <source>Right-Bottom</source>
        <translation>Справа внизу</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>По центру</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source> Messages </source>
        <translation> Сообщения </translation>
    </message>
    <message>
        <source>Flash icon in system tray</source>
        <translation>Мигать значком в трее</translation>
    </message>
    <message>
        <source>Show incoming message:</source>
        <translation>Показывать входящее сообщение:</translation>
    </message>
    <message>
        <source>Restore main window</source>
        <translation>Восстановить главное окно</translation>
    </message>
    <message>
        <source>Show small popup window</source>
        <translation>Показать всплывающее окно</translation>
    </message>
    <message>
        <source>Show desktop notification</source>
        <translation>Уведомление рабочего стола</translation>
    </message>
    <message>
        <source> Sound effects </source>
        <translation> Звуки </translation>
    </message>
    <message>
        <source>Notify me with sound:</source>
        <translation>Оповещать звуком:</translation>
    </message>
    <message>
        <source>Standart Windows sound</source>
        <translation>Стандартный звук системы</translation>
    </message>
    <message>
        <source>Use WAV file:</source>
        <translation>Файл WAV:</translation>
    </message>
    <message>
        <source>WAV file</source>
        <translation>Файл WAV</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source> Users </source>
        <translation> Пользователи </translation>
    </message>
    <message>
        <source>Add new IPs to user list</source>
        <translation>Добавлять новые IP в список</translation>
    </message>
    <message>
        <source>   If  checked  and  new  user  is  trying  to connect to you (when that IP is not in your database) Parley automatically add that IP to the list; else it  disconnects that user.</source>
        <translation>   Если отмечено и к вам подключается новый пользователь (его IP нет в вашем списке), Parley сам добавит этот IP в список; иначе разорвёт подключение.</translation>
    </message>
    <message>
        <source>Show names from YOUR IP list</source>
        <translation>Имена из ВАШЕГО списка</translation>
    </message>
    <message>
        <source> Startup </source>
        <translation> Запуск </translation>
    </message>
    <message>
        <source>Start Parley with Windows</source>
        <translation>Запускать Parley при входе</translation>
    </message>
    <message>
        <source>Automatically run after startup</source>
        <translation>Подключаться после запуска</translation>
    </message>
    <message>
        <source>Restore previous session&apos;s text</source>
        <translation>Загружать текст прошлого сеанса</translation>
    </message>
    <message>
        <source> Popup window </source>
        <translation> Всплывающее окно </translation>
    </message>
    <message>
        <source> Popup position  and delay </source>
        <translation> Положение и задержка </translation>
    </message>
    <message>
        <source>Popup at:</source>
        <translation>Где:</translation>
    </message>
    <message>
        <source>Hide after:</source>
        <translation>Скрыть через:</translation>
    </message>
    <message>
        <source>Hide after seconds</source>
        <translation>Скрыть через секунд</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>секунд</translation>
    </message>
    <message>
        <source> Mouse buttons  </source>
        <translation> Кнопки мыши </translation>
    </message>
    <message>
        <source>Left - close, Right - answer</source>
        <translation>Левая — закрыть, правая — ответить</translation>
    </message>
    <message>
        <source>Left - answer, Right - close</source>
        <translation>Левая — ответить, правая — закрыть</translation>
    </message>
    <message>
        <source> Effects (Win2000/XP only) </source>
        <translation> Эффекты </translation>
    </message>
    <message>
        <source>Enable transparency</source>
        <translation>Прозрачность</translation>
    </message>
    <message>
        <source>Visibility</source>
        <translation>Видимость</translation>
    </message>
    <message>
        <source>Invisible</source>
        <translation>Невидимо</translation>
    </message>
    <message>
        <source>Fade in</source>
        <translation>Появление</translation>
    </message>
    <message>
        <source>Fade out</source>
        <translation>Исчезание</translation>
    </message>
    <message>
        <source>Text encoding on the network:</source>
        <translation>Кодировка текста в сети:</translation>
    </message>
    <message>
        <source>Text encoding on the network</source>
        <translation>Кодировка текста в сети</translation>
    </message>
    <message>
        <source>System (as the files)</source>
        <translation>Системная (как у файлов)</translation>
    </message>
    <message>
        <source> Text area </source>
        <translation> Текст </translation>
    </message>
    <message>
        <source>Control keys:</source>
        <translation>Клавиши:</translation>
    </message>
    <message>
        <source>Tab - Enter; Enter - Send</source>
        <translation>Tab — строка; Enter — отправить</translation>
    </message>
    <message>
        <source>Enter - Enter; Tab - Send</source>
        <translation>Enter — строка; Tab — отправить</translation>
    </message>
    <message>
        <source>WAV files (*.wav);;All file (*)</source>
        <translation>Файлы WAV (*.wav);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Failed to set data for &apos;%1&apos;</source>
        <translation>Не удалось записать «%1»</translation>
    </message>
    <message>
        <source>Private lines with other Parley copies</source>
        <translation>Защищённые линии с другими копиями Parley</translation>
    </message>
    <message>
        <source>Lines to copies that have this on too travel encrypted on port %1, each copy known by its key; takes effect at the next Run!</source>
        <translation>Строки копиям, где это тоже включено, идут зашифрованными через порт %1, каждая копия узнаётся по ключу; действует со следующего «Пуск!»</translation>
    </message>
    <message>
        <source>Waits for the next Run!: private lines are off until then</source>
        <translation>Ждёт следующего «Пуск!»: до тех пор защищённые линии выключены</translation>
    </message>
    <message>
        <source>Waits for Stop!: private lines stay on until then</source>
        <translation>Ждёт «Стоп!»: до тех пор защищённые линии остаются включены</translation>
    </message>
    <message>
        <source>Lines for absent users wait for them</source>
        <translation>Строки для отсутствующих ждут их</translation>
    </message>
    <message>
        <source>A line for a ticked user who is not connected is kept, on this computer only, and goes when they connect, privately where their key is pinned; the chat says when it went.</source>
        <translation>Строка для отмеченного пользователя, который не подключён, хранится только на этом компьютере и уходит, когда он подключится, — по защищённой линии, если его ключ закреплён; в чате видно, когда она ушла.</translation>
    </message>
    <message>
        <source>Received files go to:</source>
        <translation>Полученные файлы сохраняются в:</translation>
    </message>
    <message>
        <source>Received files go to</source>
        <translation>Полученные файлы сохраняются в</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Выбрать…</translation>
    </message>
    <message>
        <source>Choose the folder for received files</source>
        <translation>Выбрать папку для полученных файлов</translation>
    </message>
    <message>
        <source>Accept files from verified peers without asking</source>
        <translation>Принимать файлы от проверенных собеседников без вопроса</translation>
    </message>
    <message>
        <source>Files from a user whose safety number you compared go straight to the folder above; from anyone else they wait for your Accept.</source>
        <translation>Файлы от пользователя, чей код безопасности вы сверили, сразу попадают в папку выше; от всех остальных они ждут вашего «Принять».</translation>
    </message>
</context>
<context>
    <name>TF_Main</name>
    <message>
        <source>Are you sure?</source>
        <translation>Вы уверены?</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Chat</source>
        <translation>Чат</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>Users</source>
        <translation>Пользователи</translation>
    </message>
    <message>
        <source>Your name:</source>
        <translation>Ваше имя:</translation>
    </message>
    <message>
        <source>Somebody</source>
        <translation>Кто-то</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>Ваше имя</translation>
    </message>
    <message>
        <source>Configure</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Run!</source>
        <translation>Пуск!</translation>
    </message>
    <message>
        <source>Stop!</source>
        <translation>Стоп!</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Away</source>
        <translation>Нет в сети</translation>
    </message>
    <message>
        <source>Let lines for absent users wait for them...</source>
        <translation>Пусть строки для отсутствующих ждут их…</translation>
    </message>
</context>
<context>
    <name>TF_Message</name>
    <message>
        <source>Message to you...</source>
        <translation>Вам сообщение…</translation>
    </message>
    <message>
        <source>Message to you</source>
        <translation>Вам сообщение</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>Focus holder</source>
        <translation>Держатель фокуса</translation>
    </message>
</context>
<context>
    <name>TF_Personal</name>
    <message>
        <source>Send personal message...</source>
        <translation>Личное сообщение…</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>to %1</source>
        <translation>для %1</translation>
    </message>
</context>
<context>
    <name>TF_Users</name>
    <message>
        <source>Users</source>
        <translation>Пользователи</translation>
    </message>
    <message>
        <source>visit our site:</source>
        <translation>наш сайт:</translation>
    </message>
    <message>
        <source>    Not any user can connect to Parley - only specified in next list; and if you selected &quot;Add IP&quot; option in configuration window - Parley adds a new user who connects to this list by itself, as &quot;Unknown&quot;.</source>
        <translation>    К Parley могут подключиться только пользователи из списка ниже; если в настройках отмечено «Добавлять новые IP в список», Parley сам добавит подключившегося нового пользователя в этот список как «Unknown».</translation>
    </message>
    <message>
        <source>User list:</source>
        <translation>Список:</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Имя:</translation>
    </message>
    <message>
        <source>User TCP/IP address:</source>
        <translation>Адрес TCP/IP:</translation>
    </message>
    <message>
        <source>User list</source>
        <translation>Список пользователей</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Имя пользователя</translation>
    </message>
    <message>
        <source>User TCP/IP address</source>
        <translation>Адрес TCP/IP пользователя</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Изменить</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Find copies...</source>
        <translation>Найти копии…</translation>
    </message>
    <message>
        <source>Incorrect TCP/IP address. It must be NNN.NNN.NNN.NNN</source>
        <translation>Неверный адрес TCP/IP. Он должен иметь вид NNN.NNN.NNN.NNN</translation>
    </message>
    <message>
        <source>Single part of TCP/IP address cannot be greater than 255!</source>
        <translation>Часть адреса TCP/IP не может быть больше 255!</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Вы уверены?</translation>
    </message>
    <message>
        <source>Delete IP</source>
        <translation>Удаление IP</translation>
    </message>
    <message>
        <source>Are you really sure?</source>
        <translation>Вы действительно уверены?</translation>
    </message>
    <message>
        <source>Private line...</source>
        <translation>Защищённая линия…</translation>
    </message>
    <message>
        <source>Select a user first.</source>
        <translation>Сначала выберите пользователя.</translation>
    </message>
    <message>
        <source>This copy has no key from that user yet: both need &quot;Private lines with other Parley copies&quot; on in the Configuration dialog, and a Run! while the other copy is up.</source>
        <translation>У этой копии ещё нет ключа этого пользователя: у обоих должно быть включено «Защищённые линии с другими копиями Parley» в окне «Настройки», и нужен «Пуск!», пока другая копия работает.</translation>
    </message>
</context>
<context>
    <name>TextAppearance</name>
    <message>
        <source>This is just a sample
MyName: Hi!</source>
        <translation>Это только пример
МоёИмя: Привет!</translation>
    </message>
    <message>
        <source>Sample text</source>
        <translation>Пример текста</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>Цвет фона</translation>
    </message>
    <message>
        <source>Change font</source>
        <translation>Сменить шрифт</translation>
    </message>
</context>
<context>
    <name>TransfersWindow</name>
    <message>
        <source>Transfers</source>
        <translation>Передачи</translation>
    </message>
    <message>
        <source>No transfers. Drop files on the main window or on a user&apos;s row to send them.</source>
        <translation>Передач нет. Перетащите файлы на главное окно или на строку пользователя, чтобы отправить их.</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Принять</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Отклонить</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Открыть папку</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>осталось %1 мин %2 с</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>осталось %1 ч %2 мин</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 из %2</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/с</translation>
    </message>
    <message>
        <source>To %1: %2, %3</source>
        <translation>Для %1: %2, %3</translation>
    </message>
    <message>
        <source>From %1: %2, %3</source>
        <translation>От %1: %2, %3</translation>
    </message>
    <message>
        <source>Progress of %1</source>
        <translation>Ход передачи %1</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Продолжить</translation>
    </message>
    <message>
        <source>%1 s left</source>
        <translation>осталось %1 с</translation>
    </message>
</context>
<context>
    <name>TrayPresenter</name>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Check the network...</source>
        <translation>Проверить сеть…</translation>
    </message>
    <message>
        <source>Parley: 1 unread line</source>
        <translation>Parley: 1 непрочитанная строка</translation>
    </message>
    <message numerus="yes">
        <source>Parley: %n unread lines</source>
        <translation>
            <numerusform>Parley: %n непрочитанная строка</numerusform>
            <numerusform>Parley: %n непрочитанные строки</numerusform>
            <numerusform>Parley: %n непрочитанных строк</numerusform>
        </translation>
    </message>
    <message>
        <source>Send files...</source>
        <translation>Отправить файлы…</translation>
    </message>
    <message>
        <source>Transfers...</source>
        <translation>Передачи…</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Принять</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Отклонить</translation>
    </message>
</context>
<context>
    <name>UserViewActions</name>
    <message>
        <source>Check the network...</source>
        <translation>Проверить сеть…</translation>
    </message>
    <message>
        <source>Selected user has disconnected. Try later.</source>
        <translation>Выбранный пользователь отключился. Попробуйте позже.</translation>
    </message>
    <message>
        <source>User lost</source>
        <translation>Пользователь отключился</translation>
    </message>
</context>
</TS>
