<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DialogPrompts</name>
    <message>
        <source>
… (%1 more)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete these items for good?

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move these items to the Trash?

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 already exists in this folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Keep Both</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1
%2, %3, modified %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1 files?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot start &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DropMenu</name>
    <message>
        <source>&amp;Copy Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Move Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create &amp;Link Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileOperations</name>
    <message>
        <source>Cannot find %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileWork</name>
    <message>
        <source>%1 &quot;%2&quot;
Files done: %3 (%4)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) done.</source>
        <translation>
            <numerusform>%Ln file done.</numerusform>
            <numerusform>%Ln files done.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) done (%1).</source>
        <translation>
            <numerusform>%Ln file done (%1).</numerusform>
            <numerusform>%Ln files done (%1).</numerusform>
        </translation>
    </message>
    <message>
        <source>Cancelled. %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Moving</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copying</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FolderDropTarget</name>
    <message>
        <source>Cannot put the items into %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ItemContextMenu</name>
    <message>
        <source>&amp;Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the selected items with their programs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Removes the selected items and puts them on the Clipboard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copies the selected items to the Clipboard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Puts the items you copied or cut into this folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Moves the selected items to the Trash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Puts the selected items back where they were deleted from.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rena&amp;me</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gives the selected item a new name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the properties of the selected items.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(empty)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Se&amp;nd To</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deletes the selected items.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This place cannot be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: no program is set to open it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot move the items here: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot copy the items here: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot delete %2: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is in its place</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot restore &quot;%1&quot;: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>All name schemes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Also read the names today&apos;s phones and messengers give photos (IMG_20190723_184512, PXL_..., signal-..., Screenshot_..., WhatsApp and others), not only DD-MM-YY_HHMM.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subfolders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Also work in every subfolder of the folder; hidden folders, links to folders and other drives are left out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File time = shot time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give each stamped photo the shot&apos;s time as its modification time, for programs that sort by file time. Otherwise the file keeps its own.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Видео тоже</source>
        <translation>Videos too</translation>
    </message>
    <message>
        <source>Also date MP4, 3GP and MOV videos named in these schemes whose header holds no creation time. Only the header&apos;s times are written, in place: a video is never copied.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShellColumns</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Modified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1KB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShellFolder</name>
    <message>
        <source>a name cannot be empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a name cannot contain &quot;/&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot be names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot; to &quot;%2&quot;: %3.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShellItemInfo</name>
    <message>
        <source>Home</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File System</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Removable Disk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network Drive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CD Drive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RAM Disk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Local Disk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>System Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShellList</name>
    <message>
        <source>This folder cannot be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StampCli</name>
    <message>
        <source>day first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>month first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>day first and month first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no such date or time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>before 1990</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>after now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>day and month cannot be told apart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stamping: item %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed over (changed or in use during the run): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>waiting for another run on %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Original copy left alone, its photo not stamped (not the file that was being rewritten, or not ours to put back): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Modification time not kept: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed over (%1): %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera-phone names read %1 in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder name is empty</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>option &apos;--pattern&apos; needs a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no folder given</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>one folder only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-0 goes with --dry-run only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--undo takes no --all-names or --set-mtime</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left out (more than %1 folders down): %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not stamped, may be left half-rewritten by an interrupted run (it changed since, so it was not put back): %1; its original, to copy back over it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 holds a time %2 h from its name&apos;s in this time zone; not given back - run with the time zone of the stamp run (TZ=...)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Videos not given back (time zone): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Original copy left by an interrupted run, for no photo in the folder: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>May be left half-rewritten by an interrupted run (a run puts its original back first if it has not changed since, else leaves it alone): %1; its original: %2</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a video this program can date</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StreamErrors</name>
    <message>
        <source>Cannot open %1.<byte value="xd"/>
(%2.)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot save readonly file %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot create file in folder &quot;%1&quot;. %2. The original cannot be kept in &quot;%3&quot; either: %4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SysErrorMessage</name>
    <message>
        <source>The operation completed successfully</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not implemented</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No such interface supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid pointer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operation aborted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unspecified error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Catastrophic failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid FORMATETC structure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The parameter is incorrect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown error %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Добавить EXIF</source>
        <translation>Add EXIF</translation>
    </message>
    <message>
        <source>Автор: </source>
        <translation>Author: </translation>
    </message>
    <message>
        <source>the KadrimarkEXIF team</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Large icons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Автор</source>
        <translation>Author</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Параметры</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Names read %1 in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed over, day and month cannot be told apart:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run options: name schemes, subfolders, file time, videos</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Убрать EXIF…</source>
        <translation>Remove EXIF…</translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos, giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos and those in the selected folders and their subfolders, giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the EXIF header this program wrote out of the selected photos and those in the selected folders, giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A run is changing photos. Stop it after the current photo and close the window?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left out, more than %1 folders down:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Photos given back before the error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Photos stamped before the error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files and those in the selected folders (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take what this program wrote out of the selected files and those in the selected folders and their subfolders (a photo&apos;s EXIF header, a video&apos;s times), giving them back as they were before the stamp?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files stamped before the error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files given back before the error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A run is changing files. Stop it after the current file and close the window?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TNamePattern</name>
    <message>
        <source>the pattern ends with a lone %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown field %%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>field %%1 given twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the pattern needs a year (%Y or %y), a month (%m) and a day (%d)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TRzCustomShellTree</name>
    <message>
        <source>Stopped after opening %1 folders; press * on a folder to open more below it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TRzShellList</name>
    <message>
        <source>Date taken, carried by the file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>will be written by %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date taken, to be written by %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No date taken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date taken not read yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TStampCommand</name>
    <message>
        <source>EXIF Info добавлено в: </source>
        <translation>EXIF info added to: </translation>
    </message>
    <message numerus="yes">
        <source> файлов</source>
        <translation>
            <numerusform> file</numerusform>
            <numerusform> files</numerusform>
        </translation>
    </message>
    <message>
        <source>Motorola Photo не найденно<byte value="xd"/>
или Exif info уже заполнено!</source>
        <translation>No Motorola photo found<byte value="xd"/>
or EXIF info already filled in!</translation>
    </message>
    <message>
        <source>Photos given back as they were before the stamp: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No photo carries the EXIF header this program writes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files given back as they were before the stamp: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No photo carries the EXIF header this program writes, and no video the times it writes.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TStartupOptions</name>
    <message>
        <source>Try &apos;kadrimarkexif --help&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot be shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; starting on the desktop</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>one folder at most</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an empty folder name</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrashDropTarget</name>
    <message>
        <source>Cannot move %1 to the Trash: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TreeViewWidget</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
