#include "platform/LauncherDropTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "framework/FileHandle.h"
#include "platform/DataTransfer.h"
#include "platform/DroppedPaths.h"
#include "platform/PromptsInForce.h"
#include "platform/UriList.h"

namespace {

constexpr std::size_t kMaxLauncherSize = 64 * 1024;

// The Exec value of the [Desktop Entry] group, or empty.
std::string ExecLine(std::string_view text) {
    bool inEntry = false;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.starts_with('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.starts_with("Exec="))
            return std::string(line.substr(5));
    }
    return {};
}

// Words of an Exec value, quotes removed; `quoted` tells which were quoted
// (field codes inside quotes are not expanded into several words).
std::vector<std::string> Words(const std::string& exec, std::vector<bool>& quoted) {
    std::vector<std::string> words;
    std::string word;
    bool inQuotes = false, wordStarted = false, wasQuoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (inQuotes && c == '\\' && i + 1 < exec.size()) {
            word += exec[++i];
        } else if (c == '"') {
            inQuotes = !inQuotes;
            wordStarted = wasQuoted = true;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (wordStarted) {
                words.push_back(word);
                quoted.push_back(wasQuoted);
            }
            word.clear();
            wordStarted = wasQuoted = false;
        } else {
            word += c;
            wordStarted = true;
        }
    }
    if (wordStarted) {
        words.push_back(word);
        quoted.push_back(wasQuoted);
    }
    return words;
}

// Expands the codes of one word; a lone %F or %U becomes several words.
void Expand(const std::string& word, bool quoted, const std::vector<std::string>& files,
            std::vector<std::string>& command, bool& usedFiles) {
    if (!quoted && (word == "%F" || word == "%U")) {
        for (const std::string& file : files)
            command.push_back(word == "%F" ? file : FileUri(file));
        usedFiles = true;
        return;
    }
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%' || i + 1 == word.size()) {
            out += word[i];
            continue;
        }
        char code = word[++i];
        if (code == '%')
            out += '%';
        else if ((code == 'f' || code == 'u') && !files.empty())
            out += code == 'f' ? files.front() : FileUri(files.front());
        usedFiles = usedFiles || code == 'f' || code == 'u' || code == 'F' || code == 'U';
    }
    if (!out.empty() || quoted)
        command.push_back(out);
}

std::string ReadLauncher(const std::string& path) {
    TFileHandle fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat facts;
    if (!fd.Valid() || fstat(fd.Get(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return {};
    std::string text(
        std::min<std::size_t>(static_cast<std::size_t>(facts.st_size), kMaxLauncherSize), '\0');
    ssize_t got = pread(fd.Get(), text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

class TLauncherDropTarget final : public TComObject<IDropTarget, IID_IDropTarget> {
  public:
    explicit TLauncherDropTarget(std::string path) : TComObject(1), path_(std::move(path)) {}

    HRESULT DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        files_ = DroppedPaths(data);
        return DragOver(0, {}, effect);
    }
    HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
        if (effect == nullptr)
            return E_INVALIDARG;
        *effect = !files_.empty() ? *effect & DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT DragLeave() override {
        files_.clear();
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (effect == nullptr)
            return E_INVALIDARG;
        files_ = DroppedPaths(data);
        std::vector<std::string> command = LauncherCommand(ReadLauncher(path_), files_);
        bool started = !files_.empty() && (*effect & DROPEFFECT_COPY) && !command.empty() &&
                       ShellPrompts().RunProgram(command);
        *effect = started ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        files_.clear();
        return started ? S_OK : E_FAIL;
    }

  private:
    ~TLauncherDropTarget() = default;

    std::string path_;
    std::vector<std::string> files_;
};

}  // namespace

std::vector<std::string> LauncherCommand(const std::string& launcherText,
                                         const std::vector<std::string>& files) {
    std::vector<bool> quoted;
    std::vector<std::string> words = Words(ExecLine(launcherText), quoted);
    std::vector<std::string> command;
    bool usedFiles = false;
    for (std::size_t i = 0; i < words.size(); ++i)
        Expand(words[i], quoted[i], files, command, usedFiles);
    if (!command.empty() && !usedFiles)
        command.insert(command.end(), files.begin(), files.end());
    return command;
}

bool LauncherTakesManyFiles(const std::string& launcherText) {
    std::vector<bool> quoted;
    const std::vector<std::string> words = Words(ExecLine(launcherText), quoted);
    for (std::size_t i = 0; i < words.size(); ++i)
        if (!quoted[i] && (words[i] == "%F" || words[i] == "%U"))
            return true;
    return false;
}

IDropTarget* NewLauncherDropTarget(std::string launcherPath) {
    return new TLauncherDropTarget(std::move(launcherPath));
}
