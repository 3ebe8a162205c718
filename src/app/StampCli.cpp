#include "app/StampCli.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/FolderItems.h"
#include "app/StampCommand.h"
#include "app/StopSignals.h"
#include "framework/Exception.h"
#include "framework/Messages.h"
#include "framework/StreamErrors.h"
#include "hexdoc/MPHDocument.h"

namespace {

constexpr const char* kUsage =
    "Usage: kadrimarkexif-stamp [--dry-run [-0]] FOLDER\n"
    "\n"
    "Writes an EXIF header with the date and time taken from the name into every\n"
    "photo in FOLDER named DD-MM-YY_HHMM... (for example 15-06-07_1230.jpg, taken\n"
    "2007-06-15 12:30) that is a plain JPEG without EXIF data yet. Other files are\n"
    "left alone. Each photo is rewritten safely: a new copy is written beside it\n"
    "and on disk before it replaces the photo, which keeps its permissions, owner\n"
    "and modification time. A photo of another owner, whose owner a new copy could\n"
    "not keep, is overwritten in place after its original is saved beside it; a\n"
    "later run puts back an original that an interrupted run left, when the photo\n"
    "is still as that run left it; otherwise it names the original's copy, leaves\n"
    "the photo alone and exits 1.\n"
    "\n"
    "Entries are taken folders first, then by name (case-insensitive), hidden\n"
    "ones included; the folder's subfolders are not entered. One run works in a\n"
    "folder at a time; another waits for it. A photo that is being written, or\n"
    "that changes or is moved or replaced during the run, is left alone and named\n"
    "on standard error.\n"
    "\n"
    "  --dry-run  list each photo that would be stamped with its date text,\n"
    "             one per line (NAME, a tab, the date), and change nothing;\n"
    "             control characters (bidirectional ones too), bytes that are\n"
    "             not UTF-8 and backslashes in names are written as \\t, \\n,\n"
    "             \\\\ and \\xHH\n"
    "  -0, --null with --dry-run: write names unchanged and end each record\n"
    "             with a NUL character instead of a line end\n"
    "  --help     show this text\n"
    "\n"
    "Prints how many photos were stamped and exits 0. An error ends the run: the\n"
    "photos stamped before it stay stamped, the message goes to standard error\n"
    "and the exit status is 1 (2 for wrong arguments; 1 too when standard output\n"
    "cannot be written). Ctrl-C, SIGTERM and SIGHUP end the run after the current\n"
    "photo, without the count, with status 130, 143 and 129. Progress is shown on\n"
    "standard error when it is a terminal.\n";

struct Arguments {
    bool help = false;
    bool dryRun = false;
    bool null = false;
    std::vector<std::string> folders;
    bool unknownOption = false;
};

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
        else
            args.unknownOption = true;
    }
    return args;
}

bool Wrong(const Arguments& args) {
    return args.unknownOption || args.folders.size() != 1 || (args.null && !args.dryRun);
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
    int Count() const override { return static_cast<int>(Names().size()); }
    std::string FileName(int index) const override { return Names()[index]; }

  private:
    const std::vector<std::string>& Names() const {
        if (!names_)
            names_ = ListFolderItems(folder_);
        return *names_;
    }
    std::string folder_;
    mutable std::optional<std::vector<std::string>> names_;
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
            std::fprintf(err_, "\rstamping: item %d of %d", position + 1, max_ + 1);
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

// Keeps the count message until the run is over: a run stopped by a signal
// prints none.
class TConsoleHost : public IStampHost {
  public:
    explicit TConsoleHost(TCheckedOutput& err) : err_(err) {}
    void ProcessMessages() override { ProcessPendingMessages(); }
    void ShowMessage(const std::string& text) override { message_ = text; }
    void PassedOver(const std::string& path) override {
        err_.Write("Passed over (changed or in use during the run): " + EscapedName(path) + "\n");
    }
    void WaitingForFolder(const std::string& path) override {
        err_.Write("waiting for another run on " + EscapedName(path) + "\n");
        err_.Flush();
    }
    void OriginalLeft(const std::string& copyPath) override {
        originalsLeft_ = true;
        err_.Write(
            "Original copy left alone, its photo not stamped (not the file that was "
            "being rewritten, or not ours to put back): " +
            EscapedName(copyPath) + "\n");
    }
    void TimeNotKept(const std::string& path) override {
        err_.Write("Modification time not kept: " + EscapedName(path) + "\n");
    }
    bool Interrupted() override { return TStopSignals::Caught() != 0; }
    const std::string& Message() const { return message_; }
    bool OriginalsLeft() const { return originalsLeft_; }

  private:
    TCheckedOutput& err_;
    std::string message_;
    bool originalsLeft_ = false;
};

// Returns the exit status of a run that was not interrupted: 1 when a photo
// was left alone beside an original that could not be put back.
int Stamp(const Arguments& args, TCheckedOutput& out, TCheckedOutput& err, std::FILE* errFile) {
    std::string folderPath = FolderPath(args.folders.front());
    TFixedFolder folder(folderPath);
    TFolderList items(folderPath);
    TTerminalProgress progress(errFile);
    TConsoleHost host(err);
    TCustomMPHexEditor document;
    document.Loaded();
    TStampCommand command({folder, items, progress, host, document});
    if (!args.dryRun) {
        command.Run();
        if (!host.Interrupted() && !host.Message().empty())
            out.Write(WithLineFeeds(host.Message()) + "\n");
        return host.OriginalsLeft() ? 1 : 0;
    }
    command.DryRun([&](const std::string& name, const std::string& date) {
        if (args.null)
            out.Write(name + "\t" + date + std::string(1, '\0'));
        else
            out.Write(EscapedName(name) + "\t" + date + "\n");
    });
    return 0;
}

// The exit status once everything is written: a failed write to standard
// output makes a successful run fail.
int Finish(int status, TCheckedOutput& out, TCheckedOutput& err) {
    if (!out.Flush()) {
        err.Write("kadrimarkexif-stamp: cannot write to standard output: " +
                  SystemErrorText(out.Error()) + "\n");
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
        out.Write(kUsage);
        return Finish(0, out, err);
    }
    if (Wrong(args)) {
        err.Write(kUsage);
        return Finish(2, out, err);
    }
    if (args.folders.front().empty()) {
        err.Write("kadrimarkexif-stamp: the folder name is empty\n");
        return Finish(2, out, err);
    }
    // A file-size limit then fails the write (EFBIG) with the photo's name,
    // and its temporary file goes, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    return Finish(Run(args, out, err, errFile), out, err);
}
