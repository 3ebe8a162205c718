<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>DialogPrompts</name>
    <message>
        <source>
… (%1 more)</source>
        <translation>
… (и ещё %1)</translation>
    </message>
    <message>
        <source>Delete these items for good?

%1</source>
        <translation>Удалить эти объекты навсегда?

%1</translation>
    </message>
    <message>
        <source>Move these items to the Trash?

%1</source>
        <translation>Переместить эти объекты в корзину?

%1</translation>
    </message>
    <message>
        <source>%1 already exists in this folder.</source>
        <translation>%1 уже есть в этой папке.</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Заменить</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>&amp;Пропустить</translation>
    </message>
    <message>
        <source>&amp;Keep Both</source>
        <translation>&amp;Оставить оба</translation>
    </message>
    <message>
        <source>%1
%2, %3, modified %4</source>
        <translation>%1
%2, %3, изменён %4</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>папка</translation>
    </message>
    <message>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>Open %1 files?</source>
        <translation>Открыть файлы (%1)?</translation>
    </message>
    <message>
        <source>Cannot start &quot;%1&quot;.</source>
        <translation>Не удаётся запустить «%1».</translation>
    </message>
</context>
<context>
    <name>DropMenu</name>
    <message>
        <source>&amp;Copy Here</source>
        <translation>&amp;Копировать сюда</translation>
    </message>
    <message>
        <source>&amp;Move Here</source>
        <translation>&amp;Переместить сюда</translation>
    </message>
    <message>
        <source>Create &amp;Link Here</source>
        <translation>Создать &amp;ссылку здесь</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>FileOperations</name>
    <message>
        <source>Cannot find %1: %2</source>
        <translation>Не удаётся найти %1: %2</translation>
    </message>
</context>
<context>
    <name>FileWork</name>
    <message>
        <source>%1 &quot;%2&quot;
Files done: %3 (%4)</source>
        <translation>%1 «%2»
Готово файлов: %3 (%4)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) done.</source>
        <translation>
            <numerusform>Готово: %Ln файл.</numerusform>
            <numerusform>Готово: %Ln файла.</numerusform>
            <numerusform>Готово: %Ln файлов.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) done (%1).</source>
        <translation>
            <numerusform>Готово: %Ln файл (%1).</numerusform>
            <numerusform>Готово: %Ln файла (%1).</numerusform>
            <numerusform>Готово: %Ln файлов (%1).</numerusform>
        </translation>
    </message>
    <message>
        <source>Cancelled. %1</source>
        <translation>Отменено. %1</translation>
    </message>
    <message>
        <source>Moving</source>
        <translation>Перемещение</translation>
    </message>
    <message>
        <source>Copying</source>
        <translation>Копирование</translation>
    </message>
    <message>
        <source>Deleting</source>
        <translation>Удаление</translation>
    </message>
</context>
<context>
    <name>FolderDropTarget</name>
    <message>
        <source>Cannot put the items into %1: %2</source>
        <translation>Не удаётся поместить объекты в %1: %2</translation>
    </message>
</context>
<context>
    <name>ItemContextMenu</name>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Открыть</translation>
    </message>
    <message>
        <source>Opens the selected items with their programs.</source>
        <translation>Открывает выбранные объекты в их программах.</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Вырезать</translation>
    </message>
    <message>
        <source>Removes the selected items and puts them on the Clipboard.</source>
        <translation>Убирает выбранные объекты и помещает их в буфер обмена.</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>Copies the selected items to the Clipboard.</source>
        <translation>Копирует выбранные объекты в буфер обмена.</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Вст&amp;авить</translation>
    </message>
    <message>
        <source>Puts the items you copied or cut into this folder.</source>
        <translation>Помещает скопированные или вырезанные объекты в эту папку.</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Moves the selected items to the Trash.</source>
        <translation>Перемещает выбранные объекты в корзину.</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>Восс&amp;тановить</translation>
    </message>
    <message>
        <source>Puts the selected items back where they were deleted from.</source>
        <translation>Возвращает выбранные объекты туда, откуда они были удалены.</translation>
    </message>
    <message>
        <source>Rena&amp;me</source>
        <translation>Переи&amp;меновать</translation>
    </message>
    <message>
        <source>Gives the selected item a new name.</source>
        <translation>Даёт выбранному объекту новое имя.</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>Сво&amp;йства</translation>
    </message>
    <message>
        <source>Shows the properties of the selected items.</source>
        <translation>Показывает свойства выбранных объектов.</translation>
    </message>
    <message>
        <source>(empty)</source>
        <translation>(пусто)</translation>
    </message>
    <message>
        <source>Se&amp;nd To</source>
        <translation>О&amp;тправить</translation>
    </message>
    <message>
        <source>Deletes the selected items.</source>
        <translation>Удаляет выбранные объекты.</translation>
    </message>
    <message>
        <source>This place cannot be opened.</source>
        <translation>Это место нельзя открыть.</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: no program is set to open it.</source>
        <translation>Не удаётся открыть «%1»: не задана программа, которая его открывает.</translation>
    </message>
    <message>
        <source>Cannot move the items here: %1</source>
        <translation>Не удаётся переместить объекты сюда: %1</translation>
    </message>
    <message>
        <source>Cannot copy the items here: %1</source>
        <translation>Не удаётся скопировать объекты сюда: %1</translation>
    </message>
    <message>
        <source>Cannot delete %2: %1</source>
        <translation>Не удаётся удалить %2: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is in its place</source>
        <translation>на его месте уже есть «%1»</translation>
    </message>
    <message>
        <source>Cannot restore &quot;%1&quot;: %2.</source>
        <translation>Не удаётся восстановить «%1»: %2.</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>All name schemes</source>
        <translation>Все схемы имён</translation>
    </message>
    <message>
        <source>Also read the names today&apos;s phones and messengers give photos (IMG_20190723_184512, PXL_..., signal-..., Screenshot_..., WhatsApp and others), not only DD-MM-YY_HHMM.</source>
        <translation>Читать и имена, которые дают снимкам нынешние телефоны и мессенджеры (IMG_20190723_184512, PXL_..., signal-..., Screenshot_..., WhatsApp и другие), а не только DD-MM-YY_HHMM.</translation>
    </message>
    <message>
        <source>Subfolders</source>
        <translation>Вложенные папки</translation>
    </message>
    <message>
        <source>Also work in every subfolder of the folder; hidden folders, links to folders and other drives are left out.</source>
        <translation>Обрабатывать и все вложенные папки; скрытые папки, ссылки на папки и другие диски пропускаются.</translation>
    </message>
    <message>
        <source>File time = shot time</source>
        <translation>Время файла = время снимка</translation>
    </message>
    <message>
        <source>Give each stamped photo the shot&apos;s time as its modification time, for programs that sort by file time. Otherwise the file keeps its own.</source>
        <translation>Ставить каждому снимку время съёмки как время изменения файла — для программ, которые сортируют по времени файла. Иначе у файла остаётся своё время.</translation>
    </message>
    <message>
        <source>Видео тоже</source>
        <translation>Видео тоже</translation>
    </message>
    <message>
        <source>Also date MP4, 3GP and MOV videos named in these schemes whose header holds no creation time. Only the header&apos;s times are written, in place: a video is never copied.</source>
        <translation>Датировать и видео MP4, 3GP и MOV с такими именами, в заголовке которых нет времени создания. Записываются только времена заголовка, на месте: видео никогда не копируется.</translation>
    </message>
</context>
<context>
    <name>ShellColumns</name>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Размер</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Тип</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Изменён</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 КБ</translation>
    </message>
    <message>
        <source>%1KB</source>
        <translation>%1 КБ</translation>
    </message>
</context>
<context>
    <name>ShellFolder</name>
    <message>
        <source>a name cannot be empty</source>
        <translation>имя не может быть пустым</translation>
    </message>
    <message>
        <source>a name cannot contain &quot;/&quot;</source>
        <translation>имя не может содержать «/»</translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot be names</source>
        <translation>«.» и «..» не могут быть именами</translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot; to &quot;%2&quot;: %3.</source>
        <translation>Не удаётся переименовать «%1» в «%2»: %3.</translation>
    </message>
</context>
<context>
    <name>ShellItemInfo</name>
    <message>
        <source>Home</source>
        <translation>Домашняя папка</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Компьютер</translation>
    </message>
    <message>
        <source>Trash</source>
        <translation>Корзина</translation>
    </message>
    <message>
        <source>File System</source>
        <translation>Файловая система</translation>
    </message>
    <message>
        <source>Removable Disk</source>
        <translation>Съёмный диск</translation>
    </message>
    <message>
        <source>Network Drive</source>
        <translation>Сетевой диск</translation>
    </message>
    <message>
        <source>CD Drive</source>
        <translation>Дисковод CD</translation>
    </message>
    <message>
        <source>RAM Disk</source>
        <translation>RAM-диск</translation>
    </message>
    <message>
        <source>Local Disk</source>
        <translation>Локальный диск</translation>
    </message>
    <message>
        <source>System Folder</source>
        <translation>Системная папка</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Рабочий стол</translation>
    </message>
</context>
<context>
    <name>ShellList</name>
    <message>
        <source>This folder cannot be read: %1.</source>
        <translation>Эту папку не удаётся прочитать: %1.</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: %2.</source>
        <translation>Не удаётся открыть «%1»: %2.</translation>
    </message>
</context>
<context>
    <name>StampCli</name>
    <message>
        <source>day first</source>
        <translation>сначала день</translation>
    </message>
    <message>
        <source>month first</source>
        <translation>сначала месяц</translation>
    </message>
    <message>
        <source>day first and month first</source>
        <translation>и сначала день, и сначала месяц</translation>
    </message>
    <message>
        <source>no such date or time</source>
        <translation>такой даты или времени нет</translation>
    </message>
    <message>
        <source>before 1990</source>
        <translation>раньше 1990 года</translation>
    </message>
    <message>
        <source>after now</source>
        <translation>позже текущего момента</translation>
    </message>
    <message>
        <source>day and month cannot be told apart</source>
        <translation>день и месяц не различить</translation>
    </message>
    <message>
        <source>stamping: item %1 of %2</source>
        <translation>запись: объект %1 из %2</translation>
    </message>
    <message>
        <source>Passed over (changed or in use during the run): %1</source>
        <translation>Пропущено (изменилось или было занято во время работы): %1</translation>
    </message>
    <message>
        <source>waiting for another run on %1</source>
        <translation>ожидание другого запуска в %1</translation>
    </message>
    <message>
        <source>Original copy left alone, its photo not stamped (not the file that was being rewritten, or not ours to put back): %1</source>
        <translation>Копия оригинала оставлена как есть, её фотография не обработана (это не тот файл, который перезаписывался, или не наш, чтобы его возвращать): %1</translation>
    </message>
    <message>
        <source>Modification time not kept: %1</source>
        <translation>Время изменения не сохранено: %1</translation>
    </message>
    <message>
        <source>Passed over (%1): %2</source>
        <translation>Пропущено (%1): %2</translation>
    </message>
    <message>
        <source>Camera-phone names read %1 in %2</source>
        <translation>Имена камерофона прочитаны так: %1, в %2</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>не удаётся писать в стандартный вывод: %1</translation>
    </message>
    <message>
        <source>the folder name is empty</source>
        <translation>имя папки пустое</translation>
    </message>
    <message>
        <source>Usage: kadrimarkexif-stamp [--dry-run [-0]] [--all-names] [--pattern PATTERN]
                           [--recursive] [--set-mtime] [--videos] FOLDER
       kadrimarkexif-stamp --undo [--dry-run [-0]] [--recursive] [--videos]
                           [--pattern PATTERN] FOLDER

Writes an EXIF header with the date and time taken from the name into every
photo in FOLDER named DD-MM-YY_HHMM... (for example 15-06-07_1230.jpg, taken
2007-06-15 12:30) that is a plain JPEG without EXIF data yet. Other files are
left alone. A two-digit year is 20YY, or 19YY when 20YY would give a day
after today. Old phones wrote the same names month first (08-21-07_1547.jpg
is 21 August 2007): each folder is read month first when some of its names
are real dates only that way and none only day first, else day first; when
it holds names of both kinds, a name that is a date both ways is passed over
(&quot;day and month cannot be told apart&quot;). A name whose date or time does not
exist, whose year is before 1990 or whose moment lies after now is passed
over and named on standard error: a wrong date is worse than none.

Each photo is rewritten safely: a new copy is written beside it and on disk
before it replaces the photo, which keeps its permissions, owner and
modification time (new copies are made durable in batches, a batch at a
time). A photo of another owner, whose owner a new copy could not keep, and
a photo with more than one name (hard links: every name sees the stamp) are
overwritten in place after the original is saved beside them; a photo you
may write in a folder you may not is overwritten in place after its original
is saved in $XDG_CACHE_HOME/kadrimarkexif/originals (~/.cache/...). A later
run puts back an original that an interrupted run left, when the photo is
still as that run left it; otherwise it names the original&apos;s copy, leaves
the photo alone and exits 1.

Entries are taken folders first, then by name (case-insensitive), hidden
ones included. One run works in a folder at a time; another waits for it. A
photo that is being written, or that changes or is moved or replaced during
the run, is left alone and named on standard error.

  --all-names   also read the names of today&apos;s phones and messengers, each
                ending in .jpg or .jpeg with anything after the date part
                that does not start with a digit (_1, &quot; (2)&quot;, ~2, -edited):
</source>
        <translation>Использование: kadrimarkexif-stamp [--dry-run [-0]] [--all-names] [--pattern ШАБЛОН]
                           [--recursive] [--set-mtime] [--videos] ПАПКА
       kadrimarkexif-stamp --undo [--dry-run [-0]] [--recursive] [--videos]
                           [--pattern ШАБЛОН] ПАПКА

Записывает заголовок EXIF с датой и временем, взятыми из имени, в каждую
фотографию в ПАПКЕ с именем вида ДД-ММ-ГГ_ЧЧММ... (например, 15-06-07_1230.jpg,
снято 2007-06-15 в 12:30), которая является простым JPEG ещё без данных EXIF.
Остальные файлы не трогаются. Двузначный год — это 20ГГ или 19ГГ, если 20ГГ
дал бы день позже сегодняшнего. Старые телефоны писали такие же имена, начиная
с месяца (08-21-07_1547.jpg — это 21 августа 2007 года): папка читается с
месяца, если некоторые её имена — настоящие даты только так и ни одно — только
с дня, иначе с дня; если в ней есть имена обоих видов, имя, которое будет
датой и так, и так, пропускается («день и месяц не различить»). Имя, дата или
время которого не существует, год раньше 1990 или момент позже текущего,
пропускается и называется в стандартном потоке ошибок: неверная дата хуже,
чем никакой.

Каждая фотография перезаписывается надёжно: новая копия пишется рядом с ней
и на диск до того, как заменит фотографию, а та сохраняет права доступа,
владельца и время изменения (новые копии сбрасываются на диск пакетами, по
пакету за раз). Фотография другого владельца, которого новая копия сохранить
не смогла бы, и фотография с несколькими именами (жёсткие ссылки: запись
видна под каждым именем) перезаписываются на месте после того, как оригинал
сохранён рядом; фотография, которую можно изменять, в папке, которую изменять
нельзя, перезаписывается на месте после того, как её оригинал сохранён в
$XDG_CACHE_HOME/kadrimarkexif/originals (~/.cache/...). Следующий запуск
возвращает оригинал, оставленный прерванным запуском, если фотография всё ещё
такая, какой тот запуск её оставил; иначе он называет копию оригинала, не
трогает фотографию и завершается с кодом 1.

Записи берутся сначала папки, затем по имени (без учёта регистра), скрытые
тоже. В одной папке одновременно работает один запуск; другой ждёт его.
Фотография, которая в это время пишется, меняется, перемещается или
заменяется, не трогается и называется в стандартном потоке ошибок.

  --all-names   читать также имена нынешних телефонов и мессенджеров,
                оканчивающиеся на .jpg или .jpeg, с чем угодно после даты,
                что не начинается с цифры (_1, &quot; (2)&quot;, ~2, -edited):
</translation>
    </message>
    <message>
        <source>option &apos;--pattern&apos; needs a value</source>
        <translation>ключу «--pattern» нужно значение</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>неизвестный ключ «%1»</translation>
    </message>
    <message>
        <source>no folder given</source>
        <translation>папка не указана</translation>
    </message>
    <message>
        <source>one folder only</source>
        <translation>можно указать только одну папку</translation>
    </message>
    <message>
        <source>-0 goes with --dry-run only</source>
        <translation>-0 используется только вместе с --dry-run</translation>
    </message>
    <message>
        <source>--undo takes no --all-names or --set-mtime</source>
        <translation>--undo не сочетается с --all-names и --set-mtime</translation>
    </message>
    <message>
        <source>Left out (more than %1 folders down): %2</source>
        <translation>Пропущено (глубже %1 уровней папок): %2</translation>
    </message>
    <message>
        <source>Not stamped, may be left half-rewritten by an interrupted run (it changed since, so it was not put back): %1; its original, to copy back over it: %2</source>
        <translation>Не обработано, может остаться наполовину перезаписанным прерванным запуском (с тех пор изменилось, поэтому не восстановлено): %1; его оригинал, который можно скопировать поверх: %2</translation>
    </message>
    <message>
        <source>%1 holds a time %2 h from its name&apos;s in this time zone; not given back - run with the time zone of the stamp run (TZ=...)</source>
        <translation>%1 хранит время, отстоящее на %2 ч от времени из имени в этом часовом поясе; не возвращено — запустите в часовом поясе записи (TZ=...)</translation>
    </message>
    <message>
        <source>Videos not given back (time zone): %1</source>
        <translation>Видео не возвращено (часовой пояс): %1</translation>
    </message>
    <message>
        <source>Original copy left by an interrupted run, for no photo in the folder: %1</source>
        <translation>Копия оригинала, оставленная прерванным запуском, без фотографии в папке: %1</translation>
    </message>
    <message>
        <source>May be left half-rewritten by an interrupted run (a run puts its original back first if it has not changed since, else leaves it alone): %1; its original: %2</source>
        <translation>Может остаться наполовину перезаписанным прерванным запуском (запуск сначала восстановит оригинал, если файл с тех пор не изменился, иначе оставит его как есть): %1; его оригинал: %2</translation>
    </message>
    <message>
        <source>                WhatsApp names hold the day only: the time is the file&apos;s
                modification time when that falls on the same day, else
                12:00:00; Pixel names are in UTC and written as local time
  --pattern PATTERN
                also read names of your own scheme: strftime fields %Y, %y,
                %m, %d, %H, %M, %S and %% (a year, month and day needed;
                missing time fields read 0), matched at the name&apos;s start
                after any letters, the name ending as with --all-names; a
                name of its form is read by it alone, before any scheme;
                with --undo --videos, give the pattern the videos were dated
                by, so that their names are read as then
  -r, --recursive
                subfolders too, depth first after each folder&apos;s own photos,
                each waited for and worked in as FOLDER is; hidden folders,
                symbolic links (to folders and to photos alike) and other
                mounted file systems are left out, and so are folders more
                than 64 levels down (each named on standard error); the
                count covers every folder
  --set-mtime   give each stamped photo the shot&apos;s moment as its
                modification time (without it the file keeps its own);
                --undo gives back the bytes, not the time it replaced
  --videos      also date the videos named in the schemes in force, ending
                in .3gp, .3g2, .mp4, .m4v or .mov (Android&apos;s and WhatsApp&apos;s
                begin VID where their photos begin IMG): a video whose movie
                header has no creation time gets the name&apos;s moment, in UTC,
                as the creation and modification time of its movie, track
                and media headers that have none. Only those bytes are
                written, in place: the video is never copied and keeps its
                size; a video cut off while being dated is finished by the
                next run. With --undo, the header times that hold the
                moment the name gives (read in every scheme) are set back
                to none; a camera that wrote the same moment itself cannot
                be told apart. The moment is read in the time zone in
                force: undo in the stamp run&apos;s (TZ=...); a video whose
                times lie a time zone&apos;s offset from it is named on
                standard error, left alone, and the run exits 1
  --undo        take the header this program wrote out of every photo that
                starts with exactly that header (any name, any date), giving
                the photo back byte for byte as it was before the stamp, as
                safely as a stamp; any other EXIF header is left alone; the
                count says how many photos were given back
  -n, --dry-run list each photo that would be stamped, one per line: its name
                (with --recursive its path below FOLDER), a tab, the date, a
                tab, the name scheme; with --undo, the name and the date its
                header carries; change nothing. The order each folder&apos;s
                camera-phone names are read in, and each original an
                interrupted run left (a run puts it back first), are said
                on standard error.
                Control characters (bidirectional ones too), bytes that are
                not UTF-8 and backslashes in names are written as \t, \n,
                \\ and \xHH
  -0, --null    with --dry-run: write names unchanged and end each record
                with a NUL character instead of a line end
  -h, --help    show this text

Prints how many photos were stamped and exits 0; the count is the line&apos;s one
number, in plain digits whatever the language (LC_ALL=C prints the line
as &quot;EXIF Info добавлено в: N файлов&quot;). An error ends the run: the
photos stamped before it stay stamped, the message goes to standard error
and the exit status is 1 (2 for wrong arguments; 1 too when standard output
cannot be written). Ctrl-C, SIGTERM and SIGHUP end the run after the current
photo, without the count, with status 130, 143 and 129. Progress is shown on
standard error when it is a terminal.
</source>
        <translation>                в именах WhatsApp есть только день: время — это время
                изменения файла, если оно приходится на тот же день, иначе
                12:00:00; имена Pixel — в UTC и записываются как местное время
  --pattern ШАБЛОН
                читать также имена своей схемы: поля strftime %Y, %y,
                %m, %d, %H, %M, %S и %% (нужны год, месяц и день;
                недостающие поля времени читаются как 0), сопоставляемые с
                началом имени после любых букв; конец имени — как с --all-names;
                имя его вида читается только им, раньше любой схемы;
                с --undo --videos укажите шаблон, по которому датировались
                видео, чтобы их имена читались так же, как тогда
  -r, --recursive
                также вложенные папки, в глубину, после собственных фотографий
                каждой папки; каждую ждать и обрабатывать так же, как ПАПКУ;
                скрытые папки, символические ссылки (на папки и на фото) и
                другие смонтированные файловые системы пропускаются, как и
                папки глубже 64 уровней (каждая называется в стандартном
                потоке ошибок); счёт охватывает все папки
  --set-mtime   дать каждой обработанной фотографии момент снимка как время
                изменения (без этого ключа файл сохраняет своё); --undo
                возвращает байты, но не заменённое время
  --videos      датировать также видео, названные по действующим схемам, с
                окончанием .3gp, .3g2, .mp4, .m4v или .mov (у Android и
                WhatsApp видео начинаются с VID там, где фото — с IMG): видео,
                в заголовке которого нет времени создания, получает момент из
                имени, в UTC, как время создания и изменения своих заголовков
                movie, track и media, где его нет. Пишутся только эти байты,
                на месте: видео никогда не копируется и сохраняет размер;
                видео, прерванное во время датирования, доделывает следующий
                запуск. С --undo времена в заголовках, равные моменту из
                имени (читаемого по всем схемам), снова становятся пустыми;
                камеру, записавшую тот же момент сама, не отличить. Момент
                читается в действующем часовом поясе: отменять нужно в поясе
                записи (TZ=...); видео, времена которого отстоят от него на
                смещение часового пояса, называется в стандартном потоке
                ошибок, остаётся как есть, и работа завершается с кодом 1
  --undo        убрать заголовок, записанный этой программой, из каждой
                фотографии, которая начинается ровно с него (любое имя, любая
                дата), и вернуть фотографию байт в байт такой, какой она была
                до записи, так же надёжно, как при записи; другие заголовки
                EXIF не трогаются; счёт говорит, сколько фотографий возвращено
  -n, --dry-run перечислить фотографии, которые были бы обработаны, по одной
                в строке: имя (с --recursive — путь внутри ПАПКИ), табуляция,
                дата, табуляция, схема имени; с --undo — имя и дата из её
                заголовка; ничего не менять. Порядок, в котором читаются имена
                камерофона каждой папки, и каждый оригинал, оставленный
                прерванным запуском (запуск сначала восстановит его),
                сообщаются в стандартный поток ошибок.
                Управляющие символы (и двунаправленные тоже), байты не в UTF-8
                и обратные косые черты в именах пишутся как \t, \n,
                \\ и \xHH
  -0, --null    с --dry-run: писать имена без изменений и завершать каждую
                запись символом NUL вместо конца строки
  -h, --help    показать этот текст

Печатает, сколько фотографий обработано, и завершается с кодом 0; счёт — это
единственное число в строке, простыми цифрами на любом языке (с LC_ALL=C
строка печатается как «EXIF Info добавлено в: N файлов»). Ошибка завершает
работу: фотографии, обработанные до неё, остаются обработанными, сообщение
идёт в стандартный поток ошибок, а код завершения — 1 (2 при неверных
аргументах; также 1, если стандартный вывод недоступен для записи). Ctrl-C,
SIGTERM и SIGHUP завершают работу после текущей фотографии, без счёта, с
кодами 130, 143 и 129. Ход работы показывается в стандартном потоке ошибок,
если это терминал.
</translation>
    </message>
    <message>
        <source>not a video this program can date</source>
        <translation>не видео, которое эта программа может датировать</translation>
    </message>
</context>
<context>
    <name>StreamErrors</name>
    <message>
        <source>Cannot open %1.<byte value="xd"/>
(%2.)</source>
        <translation>Не удаётся открыть %1.<byte value="xd"/>
(%2.)</translation>
    </message>
    <message>
        <source>Cannot save readonly file %1.</source>
        <translation>Не удаётся сохранить файл только для чтения %1.</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Не удаётся создать файл «%1». %2</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Ошибка чтения потока</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>Ошибка записи потока</translation>
    </message>
    <message>
        <source>Cannot create file in folder &quot;%1&quot;. %2. The original cannot be kept in &quot;%3&quot; either: %4</source>
        <translation>Не удаётся создать файл в папке «%1». %2. Оригинал нельзя сохранить и в «%3»: %4</translation>
    </message>
</context>
<context>
    <name>SysErrorMessage</name>
    <message>
        <source>The operation completed successfully</source>
        <translation>Операция успешно завершена</translation>
    </message>
    <message>
        <source>Not implemented</source>
        <translation>Не реализовано</translation>
    </message>
    <message>
        <source>No such interface supported</source>
        <translation>Такой интерфейс не поддерживается</translation>
    </message>
    <message>
        <source>Invalid pointer</source>
        <translation>Недопустимый указатель</translation>
    </message>
    <message>
        <source>Operation aborted</source>
        <translation>Операция прервана</translation>
    </message>
    <message>
        <source>Unspecified error</source>
        <translation>Неопознанная ошибка</translation>
    </message>
    <message>
        <source>Catastrophic failure</source>
        <translation>Катастрофический сбой</translation>
    </message>
    <message>
        <source>Invalid FORMATETC structure</source>
        <translation>Недопустимая структура FORMATETC</translation>
    </message>
    <message>
        <source>Not enough memory</source>
        <translation>Недостаточно памяти</translation>
    </message>
    <message>
        <source>The parameter is incorrect</source>
        <translation>Параметр задан неверно</translation>
    </message>
    <message>
        <source>Unknown error %1</source>
        <translation>Неизвестная ошибка %1</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Добавить EXIF</source>
        <translation>Добавить EXIF</translation>
    </message>
    <message>
        <source>Автор: </source>
        <translation>Автор: </translation>
    </message>
    <message>
        <source>the KadrimarkEXIF team</source>
        <translation>команда KadrimarkEXIF</translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation>Крупные значки</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Список</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Таблица</translation>
    </message>
    <message>
        <source>Автор</source>
        <translation>Автор</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Параметры</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Names read %1 in %2</source>
        <translation>Имена прочитаны (%1) в %2</translation>
    </message>
    <message>
        <source>Passed over, day and month cannot be told apart:</source>
        <translation>Пропущены, день и месяц не различить:</translation>
    </message>
    <message>
        <source>Run options: name schemes, subfolders, file time, videos</source>
        <translation>Параметры запуска: схемы имён, вложенные папки, время файла, видео</translation>
    </message>
    <message>
        <source>Убрать EXIF…</source>
        <translation>Убрать EXIF…</translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos, giving them back as they were before the stamp?</source>
        <translation>Убрать заголовок EXIF, записанный этой программой, из выбранных снимков и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos and those in the selected folders and their subfolders, giving them back as they were before the stamp?</source>
        <translation>Убрать заголовок EXIF, записанный этой программой, из выбранных снимков и снимков в выбранных папках и их вложенных папках и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos and those in the selected folders, giving them back as they were before the stamp?</source>
        <translation>Убрать заголовок EXIF, записанный этой программой, из выбранных снимков и снимков в выбранных папках и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>A run is changing photos. Stop it after the current photo and close the window?</source>
        <translation>Идёт изменение снимков. Остановить после текущего снимка и закрыть окно?</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>и ещё %1</translation>
    </message>
    <message>
        <source>Left out, more than %1 folders down:</source>
        <translation>Пропущены папки глубже %1 уровней:</translation>
    </message>
    <message>
        <source>Photos given back before the error: %1</source>
        <translation>Фотографий возвращено до ошибки: %1</translation>
    </message>
    <message>
        <source>Photos stamped before the error: %1</source>
        <translation>Фотографий обработано до ошибки: %1</translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation>Убрать записанное этой программой (заголовок EXIF у снимка, время у видео) из выбранных файлов и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files and those in the selected folders (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation>Убрать записанное этой программой (заголовок EXIF у снимка, время у видео) из выбранных файлов и файлов в выбранных папках и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files and those in the selected folders and their subfolders (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation>Убрать записанное этой программой (заголовок EXIF у снимка, время у видео) из выбранных файлов и файлов в выбранных папках и их вложенных папках и вернуть их такими, какими они были до записи?</translation>
    </message>
    <message>
        <source>Files stamped before the error: %1</source>
        <translation>Файлов обработано до ошибки: %1</translation>
    </message>
    <message>
        <source>Files given back before the error: %1</source>
        <translation>Файлов возвращено до ошибки: %1</translation>
    </message>
    <message>
        <source>A run is changing files. Stop it after the current file and close the window?</source>
        <translation>Идёт изменение файлов. Остановить после текущего файла и закрыть окно?</translation>
    </message>
</context>
<context>
    <name>TNamePattern</name>
    <message>
        <source>the pattern ends with a lone %</source>
        <translation>шаблон кончается одиночным %</translation>
    </message>
    <message>
        <source>unknown field %%1</source>
        <translation>неизвестное поле %%1</translation>
    </message>
    <message>
        <source>field %%1 given twice</source>
        <translation>поле %%1 задано дважды</translation>
    </message>
    <message>
        <source>the pattern needs a year (%Y or %y), a month (%m) and a day (%d)</source>
        <translation>шаблону нужны год (%Y или %y), месяц (%m) и день (%d)</translation>
    </message>
</context>
<context>
    <name>TRzCustomShellTree</name>
    <message>
        <source>Stopped after opening %1 folders; press * on a folder to open more below it.</source>
        <translation>Остановлено после открытия папок: %1; нажмите * на папке, чтобы открыть глубже.</translation>
    </message>
</context>
<context>
    <name>TRzShellList</name>
    <message>
        <source>Date taken, carried by the file</source>
        <translation>Дата съёмки, записанная в файле</translation>
    </message>
    <message>
        <source>will be written by %1</source>
        <translation>будет записана командой «%1»</translation>
    </message>
    <message>
        <source>Date taken, to be written by %1</source>
        <translation>Дата съёмки, которую запишет «%1»</translation>
    </message>
    <message>
        <source>No date taken</source>
        <translation>Даты съёмки нет</translation>
    </message>
    <message>
        <source>Date taken not read yet</source>
        <translation>Дата съёмки ещё не прочитана</translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation>Дата съёмки</translation>
    </message>
</context>
<context>
    <name>TStampCommand</name>
    <message>
        <source>EXIF Info добавлено в: </source>
        <translation>EXIF Info добавлено в: </translation>
    </message>
    <message numerus="yes">
        <source> файлов</source>
        <translation>
            <numerusform> файлов</numerusform>
            <numerusform> файлов</numerusform>
            <numerusform> файлов</numerusform>
        </translation>
    </message>
    <message>
        <source>Motorola Photo не найденно<byte value="xd"/>
или Exif info уже заполнено!</source>
        <translation>Motorola Photo не найденно<byte value="xd"/>
или Exif info уже заполнено!</translation>
    </message>
    <message>
        <source>Photos given back as they were before the stamp: </source>
        <translation>Фотографий возвращено в вид до записи EXIF: </translation>
    </message>
    <message>
        <source>No photo carries the EXIF header this program writes.</source>
        <translation>Ни одна фотография не несёт заголовка EXIF, который пишет эта программа.</translation>
    </message>
    <message>
        <source>Files given back as they were before the stamp: </source>
        <translation>Файлов возвращено в вид до записи: </translation>
    </message>
    <message>
        <source>No photo carries the EXIF header this program writes, and no video the times it writes.</source>
        <translation>Ни одна фотография не несёт заголовка EXIF, который пишет эта программа, и ни одно видео — времени, которое она пишет.</translation>
    </message>
</context>
<context>
    <name>TStartupOptions</name>
    <message>
        <source>Try &apos;kadrimarkexif --help&apos;.</source>
        <translation>Подробнее: «kadrimarkexif --help».</translation>
    </message>
    <message>
        <source>cannot be shown</source>
        <translation>не удаётся показать</translation>
    </message>
    <message>
        <source>%1; starting on the desktop</source>
        <translation>%1; окно открывается на рабочем столе</translation>
    </message>
    <message>
        <source>Usage: kadrimarkexif [FOLDER]

Opens the KadrimarkEXIF window: a folder tree, a file list and the command
&quot;%1&quot;, which writes an EXIF date taken from the file name into
every photo of the shown folder named DD-MM-YY_HHMM (15-06-07_1230.jpg is
15 June 2007, 12:30) that has no EXIF data yet.

FOLDER opens selected in the folder tree, its photos listed. Without it,
or when it does not exist or is no folder, the window starts on the
desktop (and says why on standard error).

  -h, --help  show this text and exit

To stamp a folder without the window, use kadrimarkexif-stamp.
</source>
        <translation>Использование: kadrimarkexif [ПАПКА]

Открывает окно KadrimarkEXIF: дерево папок, список файлов и команду
«%1», которая записывает дату EXIF, взятую из имени файла, в
каждую фотографию показанной папки с именем вида ДД-ММ-ГГ_ЧЧММ
(15-06-07_1230.jpg — это 15 июня 2007 года, 12:30), в которой ещё нет данных EXIF.

ПАПКА открывается выбранной в дереве папок, её фотографии — в списке. Без неё,
а также если её нет или это не папка, окно открывается на рабочем
столе (и сообщает причину в стандартный поток ошибок).

  -h, --help  показать этот текст и выйти

Чтобы обработать папку без окна, используйте kadrimarkexif-stamp.
</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>неизвестный ключ %1</translation>
    </message>
    <message>
        <source>one folder at most</source>
        <translation>можно указать не больше одной папки</translation>
    </message>
    <message>
        <source>an empty folder name</source>
        <translation>пустое имя папки</translation>
    </message>
</context>
<context>
    <name>TrashDropTarget</name>
    <message>
        <source>Cannot move %1 to the Trash: %2</source>
        <translation>Не удаётся переместить %1 в корзину: %2</translation>
    </message>
</context>
<context>
    <name>TreeViewWidget</name>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
</context>
</TS>
