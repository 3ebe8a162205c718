#include "app/StampCli.h"

#include <unistd.h>

#include <exception>
#include <string>
#include <vector>

#include "app/FolderItems.h"
#include "app/StampCommand.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "hexdoc/MPHexEditor.h"

namespace {

constexpr const char* kUsage =
    "Usage: kadrimarkexif-stamp [--dry-run] FOLDER\n"
    "\n"
    "Writes an EXIF header with the date and time taken from the name into every\n"
    "photo in FOLDER named DD-MM-YY_HHMM... (for example 15-06-07_1230.jpg, taken\n"
    "2007-06-15 12:30) that is a plain JPEG without EXIF data yet. Other files are\n"
    "left alone. Each photo is rewritten safely: a new copy is written beside it\n"
    "and on disk before it replaces the photo, which keeps its permissions, owner\n"
    "and modification time.\n"
    "\n"
    "Entries are taken folders first, then by name (case-insensitive), hidden\n"
    "ones included; the folder's subfolders are not entered.\n"
    "\n"
    "  --dry-run  list each photo that would be stamped with its date text,\n"
    "             one per line, and change nothing\n"
    "  --help     show this text\n"
    "\n"
    "Prints how many photos were stamped and exits 0. An error ends the run: the\n"
    "photos stamped before it stay stamped, the message goes to standard error\n"
    "and the exit status is 1 (2 for wrong arguments). Progress is shown on\n"
    "standard error when it is a terminal.\n";

struct Arguments {
    bool help = false;
    bool dryRun = false;
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
        else
            args.unknownOption = true;
    }
    return args;
}

// A folder path as the tree gives it: no trailing slash except for the root.
std::string FolderPath(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

class TFixedFolder : public IStampFolder {
  public:
    explicit TFixedFolder(std::string path) : path_(std::move(path)) {}
    std::string PathName() const override { return path_; }

  private:
    std::string path_;
};

class TNameList : public IStampItems {
  public:
    explicit TNameList(std::vector<std::string> names) : names_(std::move(names)) {}
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string FileName(int index) const override { return names_[index]; }

  private:
    std::vector<std::string> names_;
};

// "file 12 of 300" on one line of a terminal, cleared when hidden.
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

class TConsoleHost : public IStampHost {
  public:
    explicit TConsoleHost(std::FILE* out) : out_(out) {}
    void ProcessMessages() override { Application->ProcessMessages(); }
    void ShowMessage(const std::string& text) override { std::fprintf(out_, "%s\n", text.c_str()); }

  private:
    std::FILE* out_;
};

int Stamp(const Arguments& args, std::FILE* out, std::FILE* err) {
    std::string folderPath = FolderPath(args.folders.front());
    TFixedFolder folder(folderPath);
    TNameList items(ListFolderItems(folderPath));
    TTerminalProgress progress(err);
    TConsoleHost host(out);
    TMPHexEditor document;
    document.Loaded();
    TStampCommand command({folder, items, progress, host, document});
    if (!args.dryRun) {
        command.Run();
        return 0;
    }
    command.DryRun([out](const std::string& name, const std::string& date) {
        std::fprintf(out, "%s\t%s\n", name.c_str(), date.c_str());
    });
    return 0;
}

}  // namespace

int RunStampCli(int argc, char** argv, std::FILE* out, std::FILE* err) {
    Arguments args = ParseArguments(argc, argv);
    if (args.help) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (args.unknownOption || args.folders.size() != 1) {
        std::fputs(kUsage, err);
        return 2;
    }
    try {
        return Stamp(args, out, err);
    } catch (const std::exception& error) {
        std::fflush(out);
        std::fprintf(err, "%s\n", ExceptionBoxText(error.what()).c_str());
        return 1;
    }
}
