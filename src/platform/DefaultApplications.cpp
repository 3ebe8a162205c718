#include "platform/DefaultApplications.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMimeDatabase>
#include <algorithm>
#include <map>
#include <string_view>

#include "framework/FileHandle.h"
#include "platform/LauncherDropTarget.h"
#include "platform/Places.h"

namespace {

constexpr std::size_t kMaxListSize = 4 << 20;  // mimeinfo.cache of a full desktop: ~100 KB

std::string Environment(const char* name, const std::string& fallback) {
    const char* value = getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        if (end != 0)
            parts.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return parts;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders{DataHomePath()};
    for (const std::string& folder :
         SplitAt(Environment("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':'))
        folders.push_back(folder);
    return folders;
}

std::vector<std::string> ListFiles() {
    std::vector<std::string> files{Environment("XDG_CONFIG_HOME", HomePath() + "/.config") +
                                   "/mimeapps.list"};
    for (const std::string& folder : SplitAt(Environment("XDG_CONFIG_DIRS", "/etc/xdg"), ':'))
        files.push_back(folder + "/mimeapps.list");
    for (const std::string& folder : DataFolders())
        files.push_back(folder + "/applications/mimeapps.list");
    return files;
}

// A regular file's text, read through one descriptor; empty when it cannot be.
std::string ReadText(const std::string& path) {
    TFileHandle fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat facts;
    if (!fd.Valid() || fstat(fd.Get(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return {};
    std::string text(std::min<std::size_t>(static_cast<std::size_t>(facts.st_size), kMaxListSize),
                     '\0');
    const ssize_t got = pread(fd.Get(), text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// The desktop ids the `group` of an ini-style text names for `type`.
std::vector<std::string> IdsFor(std::string_view text, std::string_view group,
                                const std::string& type) {
    bool inGroup = false;
    for (const std::string& line : SplitAt(text, '\n')) {
        if (line.starts_with('['))
            inGroup = line == "[" + std::string(group) + "]";
        else if (inGroup && line.starts_with(type + "="))
            return SplitAt(std::string_view(line).substr(type.size() + 1), ';');
    }
    return {};
}

// The associations of every list, read once for a whole plan.
class TAssociations {
  public:
    TAssociations() : folders_(DataFolders()) {
        for (const std::string& file : ListFiles())
            lists_.push_back(ReadText(file));
        for (const std::string& folder : folders_)
            caches_.push_back(ReadText(folder + "/applications/mimeinfo.cache"));
    }

    // The desktop id of the program for the type, or empty; its entry's text
    // is kept for Entry().
    std::string ProgramFor(const QMimeType& type) {
        const std::string name = type.name().toStdString();
        if (auto known = programs_.find(name); known != programs_.end())
            return known->second;
        std::string id = NamedFor(name);
        for (const QString& kind : type.allAncestors())
            if (id.empty())
                id = NamedFor(kind.toStdString());
        return programs_[name] = id;
    }
    const std::string& Entry(const std::string& id) { return entries_[id]; }

  private:
    std::string NamedFor(const std::string& type) {
        for (const char* group : {"Default Applications", "Added Associations"})
            for (const std::string& list : lists_)
                if (std::string id = FirstInstalled(IdsFor(list, group, type)); !id.empty())
                    return id;
        for (const std::string& cache : caches_)
            if (std::string id = FirstInstalled(IdsFor(cache, "MIME Cache", type)); !id.empty())
                return id;
        return {};
    }
    std::string FirstInstalled(const std::vector<std::string>& ids) {
        for (const std::string& id : ids)
            if (Installed(id))
                return id;
        return {};
    }
    bool Installed(const std::string& id) {
        if (auto known = entries_.find(id); known != entries_.end())
            return !known->second.empty();
        std::string& entry = entries_[id];
        if (!id.ends_with(".desktop") || id.find('/') != std::string::npos)
            return false;
        for (const std::string& folder : folders_) {
            std::string text = ReadText(folder + "/applications/" + id);
            if (!LauncherCommand(text, {}).empty()) {
                entry = std::move(text);
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> folders_, lists_, caches_;
    std::map<std::string, std::string> entries_;   // by desktop id; empty: not installed
    std::map<std::string, std::string> programs_;  // desktop ids by MIME type
};

}  // namespace

TOpenPlan PlanOpening(const std::vector<std::string>& paths) {
    TAssociations associations;
    const QMimeDatabase types;
    std::vector<std::pair<std::string, std::vector<std::string>>> programs;  // id, files
    TOpenPlan plan;
    for (const std::string& path : paths) {
        const std::string id = associations.ProgramFor(
            types.mimeTypeForFile(QString::fromStdString(path), QMimeDatabase::MatchExtension));
        if (id.empty()) {
            plan.Unclaimed.push_back(path);
            continue;
        }
        auto program = std::find_if(programs.begin(), programs.end(),
                                    [&](const auto& known) { return known.first == id; });
        if (program == programs.end())
            program = programs.insert(programs.end(), {id, {}});
        program->second.push_back(path);
    }
    for (const auto& [id, files] : programs) {
        const std::string& entry = associations.Entry(id);
        if (LauncherTakesManyFiles(entry))
            plan.Commands.push_back(LauncherCommand(entry, files));
        else
            for (const std::string& file : files)
                plan.Commands.push_back(LauncherCommand(entry, {file}));
    }
    return plan;
}
