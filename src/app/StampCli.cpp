#include "app/StampCli.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/FolderItems.h"
#include "app/PhotoName.h"
#include "app/StampCommand.h"
#include "app/StopSignals.h"
#include "framework/Exception.h"
#include "framework/Messages.h"
#include "framework/ProgramLanguage.h"
#include "framework/StreamErrors.h"

namespace {

// The help's two halves around the table of name schemes, in the program's
// language when shown.
constexpr const char* kUsageHead = QT_TRANSLATE_NOOP(
    "StampCli",
    "Usage: kadrimarkexif-stamp [--dry-run [-0]] [--all-names] [--pattern PATTERN]\n"
    "                           [--recursive] [--set-mtime] [--videos] FOLDER\n"
    "       kadrimarkexif-stamp --undo [--dry-run [-0]] [--recursive] [--videos]\n"
    "                           [--pattern PATTERN] FOLDER\n"
    "\n"
    "Writes an EXIF header with the date and time taken from the name into every\n"
    "photo in FOLDER named DD-MM-YY_HHMM... (for example 15-06-07_1230.jpg, taken\n"
    "2007-06-15 12:30) that is a plain JPEG without EXIF data yet. Other files are\n"
    "left alone. A two-digit year is 20YY, or 19YY when 20YY would give a day\n"
    "after today. Old phones wrote the same names month first (08-21-07_1547.jpg\n"
    "is 21 August 2007): each folder is read month first when some of its names\n"
    "are real dates only that way and none only day first, else day first; when\n"
    "it holds names of both kinds, a name that is a date both ways is passed over\n"
    "(\"day and month cannot be told apart\"). A name whose date or time does not\n"
    "exist, whose year is before 1990 or whose moment lies after now is passed\n"
    "over and named on standard error: a wrong date is worse than none.\n"
    "\n"
    "Each photo is rewritten safely: a new copy is written beside it and on disk\n"
    "before it replaces the photo, which keeps its permissions, owner and\n"
    "modification time (new copies are made durable in batches, a batch at a\n"
    "time). A photo of another owner, whose owner a new copy could not keep, and\n"
    "a photo with more than one name (hard links: every name sees the stamp) are\n"
    "overwritten in place after the original is saved beside them; a photo you\n"
    "may write in a folder you may not is overwritten in place after its original\n"
    "is saved in $XDG_CACHE_HOME/kadrimarkexif/originals (~/.cache/...). A later\n"
    "run puts back an original that an interrupted run left, when the photo is\n"
    "still as that run left it; otherwise it names the original's copy, leaves\n"
    "the photo alone and exits 1.\n"
    "\n"
    "Entries are taken folders first, then by name (case-insensitive), hidden\n"
    "ones included. One run works in a folder at a time; another waits for it. A\n"
    "photo that is being written, or that changes or is moved or replaced during\n"
    "the run, is left alone and named on standard error.\n"
    "\n"
    "  --all-names   also read the names of today's phones and messengers, each\n"
    "                ending in .jpg or .jpeg with anything after the date part\n"
    "                that does not start with a digit (_1, \" (2)\", ~2, -edited):\n");

constexpr const char* kUsageTail = QT_TRANSLATE_NOOP(
    "StampCli",
    "                WhatsApp names hold the day only: the time is the file's\n"
    "                modification time when that falls on the same day, else\n"
    "                12:00:00; Pixel names are in UTC and written as local time\n"
    "  --pattern PATTERN\n"
    "                also read names of your own scheme: strftime fields %Y, %y,\n"
    "                %m, %d, %H, %M, %S and %% (a year, month and day needed;\n"
    "                missing time fields read 0), matched at the name's start\n"
    "                after any letters, the name ending as with --all-names; a\n"
    "                name of its form is read by it alone, before any scheme;\n"
    "                with --undo --videos, give the pattern the videos were dated\n"
    "                by, so that their names are read as then\n"
    "  -r, --recursive\n"
    "                subfolders too, depth first after each folder's own photos,\n"
    "                each waited for and worked in as FOLDER is; hidden folders,\n"
    "                symbolic links (to folders and to photos alike) and other\n"
    "                mounted file systems are left out, and so are folders more\n"
    "                than 64 levels down (each named on standard error); the\n"
    "                count covers every folder\n"
    "  --set-mtime   give each stamped photo the shot's moment as its\n"
    "                modification time (without it the file keeps its own);\n"
    "                --undo gives back the bytes, not the time it replaced\n"
    "  --videos      also date the videos named in the schemes in force, ending\n"
    "                in .3gp, .3g2, .mp4, .m4v or .mov (Android's and WhatsApp's\n"
    "                begin VID where their photos begin IMG): a video whose movie\n"
    "                header has no creation time gets the name's moment, in UTC,\n"
    "                as the creation and modification time of its movie, track\n"
    "                and media headers that have none. Only those bytes are\n"
    "                written, in place: the video is never copied and keeps its\n"
    "                size; a video cut off while being dated is finished by the\n"
    "                next run. With --undo, the header times that hold the\n"
    "                moment the name gives (read in every scheme) are set back\n"
    "                to none; a camera that wrote the same moment itself cannot\n"
    "                be told apart. The moment is read in the time zone in\n"
    "                force: undo in the stamp run's (TZ=...); a video whose\n"
    "                times lie a time zone's offset from it is named on\n"
    "                standard error, left alone, and the run exits 1\n"
    "  --undo        take the header this program wrote out of every photo that\n"
    "                starts with exactly that header (any name, any date), giving\n"
    "                the photo back byte for byte as it was before the stamp, as\n"
    "                safely as a stamp; any other EXIF header is left alone; the\n"
    "                count says how many photos were given back\n"
    "  -n, --dry-run list each photo that would be stamped, one per line: its name\n"
    "                (with --recursive its path below FOLDER), a tab, the date, a\n"
    "                tab, the name scheme; with --undo, the name and the date its\n"
    "                header carries; change nothing. The order each folder's\n"
    "                camera-phone names are read in, and each original an\n"
    "                interrupted run left (a run puts it back first), are said\n"
    "                on standard error.\n"
    "                Control characters (bidirectional ones too), bytes that are\n"
    "                not UTF-8 and backslashes in names are written as \\t, \\n,\n"
    "                \\\\ and \\xHH\n"
    "  -0, --null    with --dry-run: write names unchanged and end each record\n"
    "                with a NUL character instead of a line end\n"
    "  -h, --help    show this text\n"
    "\n"
    "Prints how many photos were stamped and exits 0; the count is the line's one\n"
    "number, in plain digits whatever the language (LC_ALL=C prints the line\n"
    "as \"EXIF Info добавлено в: N файлов\"). An error ends the run: the\n"
    "photos stamped before it stay stamped, the message goes to standard error\n"
    "and the exit status is 1 (2 for wrong arguments; 1 too when standard output\n"
    "cannot be written). Ctrl-C, SIGTERM and SIGHUP end the run after the current\n"
    "photo, without the count, with status 130, 143 and 129. Progress is shown on\n"
    "standard error when it is a terminal.\n");

// The command line's texts in the program's language.
std::string Said(const char* text, std::initializer_list<std::string_view> args = {}) {
    return Translated("StampCli", text, args);
}

// The usage text, with the table of name schemes.
std::string Usage() {
    std::string usage = Said(kUsageHead);
    for (const TNameSchemeInfo& scheme : NameSchemes()) {
        if (scheme.byDefault)
            continue;
        std::string line = std::string("                  ") + scheme.name;
        line.resize(std::max<std::size_t>(line.size() + 1, 38), ' ');
        usage += line + scheme.example + "\n";
    }
    return usage + Said(kUsageTail);
}

struct Arguments {
    bool help = false;
    bool dryRun = false;
    bool null = false;
    TStampOptions options;
    std::vector<std::string> folders;
    std::string wrong;         // why the arguments are wrong: an unknown option, a missing value
    std::string patternError;  // why the pattern is none
};

void ReadPattern(const std::string& text, Arguments& args) {
    TNamePattern pattern;
    if (TNamePattern::Parse(text, false, pattern, args.patternError))
        args.options.names.own = pattern;
}

Arguments ParseArguments(int argc, char** argv) {
    Arguments args;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnd || arg.empty() || arg[0] != '-')
            args.folders.push_back(arg);
        else if (arg == "--")
            optionsEnd = true;
        else if (arg == "--help" || arg == "-h")
            args.help = true;
        else if (arg == "--dry-run" || arg == "-n")
            args.dryRun = true;
        else if (arg == "--null" || arg == "-0")
            args.null = true;
        else if (arg == "--all-names")
            args.options.names.all = true;
        else if (arg == "--recursive" || arg == "-r")
            args.options.recursive = true;
        else if (arg == "--set-mtime")
            args.options.setModificationTime = true;
        else if (arg == "--undo")
            args.options.undo = true;
        else if (arg == "--videos")
            args.options.videos = true;
        else if (arg == "--pattern" && i + 1 < argc)
            ReadPattern(argv[++i], args);
        else if (arg.starts_with("--pattern="))
            ReadPattern(arg.substr(10), args);
        else if (args.wrong.empty())
            args.wrong =
                arg == "--pattern"
                    ? Said(QT_TRANSLATE_NOOP("StampCli", "option '--pattern' needs a value"))
                    : Said(QT_TRANSLATE_NOOP("StampCli", "unknown option '%1'"),
                           {EscapedName(arg)});
    }
    return args;
}

// Why the arguments are wrong, or "". Undoing takes out every header this
// program wrote, whatever the name: name schemes and file times have no part
// in it. A video's times are known as ours only by its name's moment, so the
// pattern a video was dated by is needed to give it back.
std::string WrongArguments(const Arguments& args) {
    const TStampOptions& options = args.options;
    if (!args.wrong.empty())
        return args.wrong;
    if (args.folders.size() != 1)
        return args.folders.empty() ? Said(QT_TRANSLATE_NOOP("StampCli", "no folder given"))
                                    : Said(QT_TRANSLATE_NOOP("StampCli", "one folder only"));
    if (args.null && !args.dryRun)
        return Said(QT_TRANSLATE_NOOP("StampCli", "-0 goes with --dry-run only"));
    if (options.undo && (options.names.all || options.setModificationTime))
        return Said(QT_TRANSLATE_NOOP("StampCli", "--undo takes no --all-names or --set-mtime"));
    return "";
}

// A folder path as the tree gives it: no trailing slash except for the root.
std::string FolderPath(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The program's messages end their lines with CR LF, as its window shows them;
// a terminal and scripts want LF.
std::string WithLineFeeds(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

// Writes to a stream and remembers the first failure with its reason.
class TCheckedOutput {
  public:
    explicit TCheckedOutput(std::FILE* file) : file_(file) {}
    void Write(const std::string& text) {
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
            Fail();
    }
    // Flushes; true when every write so far reached the stream.
    bool Flush() {
        if (std::fflush(file_) != 0)
            Fail();
        return error_ == 0;
    }
    int Error() const { return error_; }

  private:
    void Fail() {
        if (error_ == 0)
            error_ = errno != 0 ? errno : EIO;
    }
    std::FILE* file_;
    int error_ = 0;
};

class TFixedFolder : public IStampFolder {
  public:
    explicit TFixedFolder(std::string path) : path_(std::move(path)) {}
    std::string PathName() const override { return path_; }

  private:
    std::string path_;
};

// The folder's entries, listed when first asked for: a run asks once it holds
// the folder's lock, so that it sees what a run it waited for left.
class TFolderList : public IStampItems {
  public:
    explicit TFolderList(std::string folder) : folder_(std::move(folder)) {}
    int Count() const override { return static_cast<int>(Entries().size()); }
    std::string FileName(int index) const override { return Entries()[index].Name; }
    bool MayBeFolder(int index) const override {
        return Entries()[index].Type == EntryType::Folder;
    }

  private:
    const std::vector<FolderEntry>& Entries() const {
        if (!entries_)
            entries_ = ListFolderEntries(AT_FDCWD, folder_);
        return *entries_;
    }
    std::string folder_;
    mutable std::optional<std::vector<FolderEntry>> entries_;
};

// "item 12 of 300" on one line of a terminal, cleared when hidden.
class TTerminalProgress : public IStampProgress {
  public:
    explicit TTerminalProgress(std::FILE* err) : err_(isatty(fileno(err)) ? err : nullptr) {}
    // A run that ends by an error leaves the bar shown: clear the line so the
    // error's text starts on a clean one.
    ~TTerminalProgress() override { SetVisible(false); }
    void SetMax(int max) override { max_ = max; }
    void SetPosition(int position) override {
        if (err_ != nullptr && visible_)
            std::fprintf(err_, "\r%s",
                         Said(QT_TRANSLATE_NOOP("StampCli", "stamping: item %1 of %2"),
                              {std::to_string(position + 1), std::to_string(max_ + 1)})
                             .c_str());
    }
    void SetVisible(bool visible) override {
        if (err_ != nullptr && visible_ && !visible)
            std::fprintf(err_, "\r\033[K");
        visible_ = visible;
    }

  private:
    std::FILE* err_;
    int max_ = 0;
    bool visible_ = false;
};

// A time zone's offset in hours: "+2", "-5.5", "+5.75".
std::string HoursText(std::int64_t seconds) {
    static constexpr const char* kQuarters[] = {"", ".25", ".5", ".75"};
    const std::int64_t quarters = std::abs(seconds) / 900;
    return (seconds < 0 ? "-" : "+") + std::to_string(quarters / 4) + kQuarters[quarters % 4];
}

// Keeps the count message until the run is over: a run stopped by a signal
// prints none.
class TConsoleHost : public IStampHost {
  public:
    TConsoleHost(TCheckedOutput& err, bool dryRun) : err_(err), dryRun_(dryRun) {}
    void ProcessMessages() override { ProcessPendingMessages(); }
    void ShowMessage(const std::string& text) override { message_ = text; }
    void PassedOver(const std::string& path) override {
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli",
                                          "Passed over (changed or in use during the run): %1"),
                        {EscapedName(path)}) +
                   "\n");
    }
    void WaitingForFolder(const std::string& path) override {
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli", "waiting for another run on %1"),
                        {EscapedName(path)}) +
                   "\n");
        err_.Flush();
    }
    void OriginalLeft(const std::string& copyPath, const std::string& photoPath) override {
        originalsLeft_ = originalsLeft_ || !dryRun_;
        // A dry run's words: a run would first put the copy back, or else
        // leave its photo alone.
        const char* alone =
            dryRun_ ? QT_TRANSLATE_NOOP("StampCli",
                                        "Original copy left by an interrupted run, for no photo "
                                        "in the folder: %1")
                    : QT_TRANSLATE_NOOP("StampCli",
                                        "Original copy left alone, its photo not stamped (not the "
                                        "file that was being rewritten, or not ours to put back): "
                                        "%1");
        const char* withPhoto =
            dryRun_ ? QT_TRANSLATE_NOOP("StampCli",
                                        "May be left half-rewritten by an interrupted run (a run "
                                        "puts its original back first if it has not changed "
                                        "since, else leaves it alone): %1; its original: %2")
                    : QT_TRANSLATE_NOOP("StampCli",
                                        "Not stamped, may be left half-rewritten by an "
                                        "interrupted run (it changed since, so it was not put "
                                        "back): %1; its original, to copy back over it: %2");
        err_.Write((photoPath.empty()
                        ? Said(alone, {EscapedName(copyPath)})
                        : Said(withPhoto, {EscapedName(photoPath), EscapedName(copyPath)})) +
                   "\n");
    }
    void VideoInOtherZone(const std::string& path, std::int64_t shift) override {
        ++videosInOtherZone_;
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli",
                                          "%1 holds a time %2 h from its name's in this time "
                                          "zone; not given back - run with the time zone of "
                                          "the stamp run (TZ=...)"),
                        {EscapedName(path), HoursText(shift)}) +
                   "\n");
    }
    void TimeNotKept(const std::string& path) override {
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli", "Modification time not kept: %1"),
                        {EscapedName(path)}) +
                   "\n");
    }
    void NameGivesNoDate(const std::string& path, const std::string& reason) override {
        PassedOverFor(reason.c_str(), path);
    }
    void NotAMovie(const std::string& path) override {
        PassedOverFor(QT_TRANSLATE_NOOP("StampCli", "not a video this program can date"), path);
    }
    void FolderTooDeep(const std::string& path) override {
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli", "Left out (more than %1 folders down): %2"),
                        {std::to_string(kDeepestFolder), EscapedName(path)}) +
                   "\n");
    }
    void FolderOrder(const std::string& path, TDayOrder order) override {
        if (dryRun_) {
            err_.Write(Said(QT_TRANSLATE_NOOP("StampCli", "Camera-phone names read %1 in %2"),
                            {Said(DayOrderText(order)), EscapedName(path)}) +
                       "\n");
        }
    }
    bool Interrupted() override { return TStopSignals::Caught() != 0; }
    const std::string& Message() const { return message_; }
    bool OriginalsLeft() const { return originalsLeft_; }
    int VideosInOtherZone() const { return videosInOtherZone_; }

  private:
    void PassedOverFor(const char* reason, const std::string& path) {
        err_.Write(Said(QT_TRANSLATE_NOOP("StampCli", "Passed over (%1): %2"),
                        {Said(reason), EscapedName(path)}) +
                   "\n");
    }

    TCheckedOutput& err_;
    bool dryRun_;
    std::string message_;
    bool originalsLeft_ = false;
    int videosInOtherZone_ = 0;
};

// Returns the exit status of a run that was not interrupted: 1 when a photo
// was left alone beside an original that could not be put back, or a video
// was not given back because its times lie in another time zone; then the
// count is not printed.
int Stamp(const Arguments& args, TCheckedOutput& out, TCheckedOutput& err, std::FILE* errFile) {
    std::string folderPath = FolderPath(args.folders.front());
    TFixedFolder folder(folderPath);
    TFolderList items(folderPath);
    TTerminalProgress progress(errFile);
    TConsoleHost host(err, args.dryRun);
    TStampCommand command({folder, items, progress, host});
    if (!args.dryRun) {
        command.Run(args.options);
        const int status = host.OriginalsLeft() || host.VideosInOtherZone() > 0 ? 1 : 0;
        if (host.VideosInOtherZone() > 0)
            err.Write(Said(QT_TRANSLATE_NOOP("StampCli", "Videos not given back (time zone): %1"),
                           {std::to_string(host.VideosInOtherZone())}) +
                      "\n");
        if (status == 0 && !host.Interrupted() && !host.Message().empty())
            out.Write(WithLineFeeds(host.Message()) + "\n");
        return status;
    }
    // A name, and a scheme that shows the user's pattern, can hold any byte:
    // escaped unless records end with NUL, so neither can forge a record.
    auto field = [&](const std::string& text) { return args.null ? text : EscapedName(text); };
    command.DryRun(
        [&](const TDryRunEntry& entry) {
            std::string record = field(entry.name) + "\t" + entry.date +
                                 (args.options.undo ? "" : "\t" + field(entry.scheme));
            out.Write(record + (args.null ? std::string(1, '\0') : "\n"));
        },
        args.options);
    return 0;
}

// The exit status once everything is written: a failed write to standard
// output makes a successful run fail.
int Finish(int status, TCheckedOutput& out, TCheckedOutput& err) {
    if (!out.Flush()) {
        err.Write("kadrimarkexif-stamp: " +
                  Said(QT_TRANSLATE_NOOP("StampCli", "cannot write to standard output: %1"),
                       {SystemErrorText(out.Error())}) +
                  "\n");
        status = status == 0 ? 1 : status;
    }
    if (!err.Flush() && status == 0)
        status = 1;
    return status;
}

// An error's text with the file name it shows escaped, as every name printed.
std::string MessageWithEscapedName(const std::exception& error) {
    std::string text = error.what();
    const auto* streamError = dynamic_cast<const EStreamError*>(&error);
    if (streamError == nullptr || streamError->ShownName().empty())
        return text;
    const std::string& name = streamError->ShownName();
    std::size_t at = text.find(name);
    return at == std::string::npos ? text : text.replace(at, name.size(), EscapedName(name));
}

int Run(const Arguments& args, TCheckedOutput& out, TCheckedOutput& err, std::FILE* errFile) {
    TStopSignals stopSignals;
    int status = 0;
    try {
        status = Stamp(args, out, err, errFile);
    } catch (const std::exception& error) {
        out.Flush();
        err.Write(WithLineFeeds(ExceptionBoxText(MessageWithEscapedName(error))) + "\n");
        return 1;
    }
    return TStopSignals::Caught() != 0 ? TStopSignals::ExitStatus() : status;
}

// The characters that reorder text on a terminal (embeddings, overrides,
// isolates, marks): a name could make itself read as another.
bool IsBidiControl(char32_t code) {
    return code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

// Whether the UTF-8 sequence at `at` is one printable character; sets its length.
bool PrintableSequence(const std::string& text, std::size_t at, std::size_t& length) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    length = 1;
    if (lead < 0x80)
        return lead >= 0x20 && lead != 0x7F && lead != '\\';
    int extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || at + extra >= text.size())
        return false;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = code << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
        (code >= 0x80 && code < 0xA0) || IsBidiControl(code))  // C1 controls, reordering
        return false;
    length = static_cast<std::size_t>(extra) + 1;
    return true;
}

}  // namespace

std::string EscapedName(const std::string& name) {
    std::string escaped;
    for (std::size_t at = 0, length = 1; at < name.size(); at += length) {
        if (PrintableSequence(name, at, length)) {
            escaped.append(name, at, length);
            continue;
        }
        char c = name[at];
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            escaped += hex;
        }
    }
    return escaped;
}

int RunStampCli(int argc, char** argv, std::FILE* outFile, std::FILE* errFile) {
    TCheckedOutput out(outFile);
    TCheckedOutput err(errFile);
    Arguments args = ParseArguments(argc, argv);
    if (args.help) {
        out.Write(Usage());
        return Finish(0, out, err);
    }
    if (!args.patternError.empty()) {
        err.Write("kadrimarkexif-stamp: --pattern: " + args.patternError + "\n");
        return Finish(2, out, err);
    }
    if (std::string wrong = WrongArguments(args); !wrong.empty()) {
        err.Write("kadrimarkexif-stamp: " + wrong + "\n" + Usage());
        return Finish(2, out, err);
    }
    if (args.folders.front().empty()) {
        err.Write("kadrimarkexif-stamp: " +
                  Said(QT_TRANSLATE_NOOP("StampCli", "the folder name is empty")) + "\n");
        return Finish(2, out, err);
    }
    // A file-size limit then fails the write (EFBIG) with the photo's name,
    // and its temporary file goes, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    return Finish(Run(args, out, err, errFile), out, err);
}
