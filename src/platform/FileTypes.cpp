#include "platform/FileTypes.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <QMimeDatabase>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/ShellItems.h"

namespace {

const char* InodeMimeName(std::uint32_t mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return "inode/directory";
        case S_IFCHR:
            return "inode/chardevice";
        case S_IFBLK:
            return "inode/blockdevice";
        case S_IFIFO:
            return "inode/fifo";
        case S_IFSOCK:
            return "inode/socket";
        case S_IFLNK:
            return "inode/symlink";
        default:
            return nullptr;
    }
}

const QMimeDatabase& Database() {
    static const QMimeDatabase database;
    return database;
}

QMimeType MimeOfName(std::string_view name) {
    return Database().mimeTypeForFile(QString::fromUtf8(name.data(), static_cast<int>(name.size())),
                                      QMimeDatabase::MatchExtension);
}

// A link that resolves is typed by its target's kind (and its own name).
std::uint32_t ModeBehindLink(const std::string& path, std::uint32_t mode) {
    struct stat target;
    return S_ISLNK(mode) && stat(path.c_str(), &target) == 0 ? target.st_mode : mode;
}

QMimeType MimeOfEntry(const std::string& path, std::uint32_t mode, std::string_view name) {
    if (const char* inode = InodeMimeName(ModeBehindLink(path, mode)))
        return Database().mimeTypeForName(QString::fromLatin1(inode));
    return MimeOfName(name);
}

// The database's name patterns that look at more than a name's suffix. Each
// keeps its literal head and tail (before the first and after the last
// wildcard), which every name it matches starts and ends with; only names
// that pass that test go through the full match.
class StemPatterns {
  public:
    StemPatterns() {
        for (const QString& file :
             QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "mime/globs2"))
            Read(file.toStdString());
    }

    bool MayMatch(std::string_view name) const {
        if (name.empty())
            return false;
        auto matches = [&](int index) { return Matches(patterns_[index], name); };
        const auto& first = byFirst_[Folded(name.front())];
        const auto& last = byLast_[Folded(name.back())];
        return std::any_of(first.begin(), first.end(), matches) ||
               std::any_of(last.begin(), last.end(), matches) ||
               std::any_of(anyName_.begin(), anyName_.end(), matches);
    }

  private:
    struct Pattern {
        std::string glob, head, tail;  // head and tail in lower case
    };

    static unsigned char Folded(char c) {
        return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static std::string Lower(std::string_view text) {
        std::string lower(text);
        for (char& c : lower)
            c = static_cast<char>(Folded(c));
        return lower;
    }
    static bool EqualFolded(std::string_view text, std::string_view lower) {
        return text.size() == lower.size() &&
               std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) {
                   return Folded(a) == static_cast<unsigned char>(b);
               });
    }

    // Lines read "weight:type:pattern[:flags]".
    void Read(const std::string& file) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#')
                continue;
            std::size_t first = line.find(':'), second = line.find(':', first + 1);
            if (first == std::string::npos || second == std::string::npos)
                continue;
            std::string glob = line.substr(second + 1, line.find(':', second + 1) - second - 1);
            if (!glob.empty() && !glob.starts_with("*."))
                Add(glob);
        }
    }

    void Add(const std::string& glob) {
        std::size_t firstWild = glob.find_first_of("*?[");
        std::size_t lastWild = glob.find_last_of("*?]");
        Pattern pattern{
            glob, Lower(glob.substr(0, firstWild)),
            lastWild == std::string::npos ? Lower(glob) : Lower(glob.substr(lastWild + 1))};
        int index = static_cast<int>(patterns_.size());
        if (!pattern.head.empty())
            byFirst_[Folded(pattern.head.front())].push_back(index);
        else if (!pattern.tail.empty())
            byLast_[Folded(pattern.tail.back())].push_back(index);
        else
            anyName_.push_back(index);
        patterns_.push_back(std::move(pattern));
    }

    // Case is ignored, so that a pattern the database reads either way is
    // never missed.
    static bool Matches(const Pattern& pattern, std::string_view name) {
        if (name.size() < pattern.head.size() || name.size() < pattern.tail.size() ||
            !EqualFolded(name.substr(0, pattern.head.size()), pattern.head) ||
            !EqualFolded(name.substr(name.size() - pattern.tail.size()), pattern.tail))
            return false;
        std::string text(name);
        return fnmatch(pattern.glob.c_str(), text.c_str(), FNM_CASEFOLD) == 0;
    }

    std::vector<Pattern> patterns_;
    std::array<std::vector<int>, 256> byFirst_, byLast_;
    std::vector<int> anyName_;
};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

const StemPatterns& Stems() {
    static const StemPatterns stems;
    return stems;
}

// What decides a name's type when no stem pattern may match it: the name from
// its first dot after the first character ("*.jpg" does not type ".jpg"), or
// the whole name when it has none.
std::string_view SuffixOf(std::string_view name) {
    std::size_t dot = name.empty() ? std::string_view::npos : name.find('.', 1);
    return dot == std::string_view::npos ? name : name.substr(dot);
}

// The table's key: a whole name is marked so that it never reads as a suffix.
std::string KeyOf(std::string_view name) {
    std::string_view suffix = SuffixOf(name);
    if (suffix.size() < name.size())
        return std::string(suffix);
    std::string whole(1, '/');
    return whole.append(name);
}

// Type names by the suffix that decides them, and every type name handed out
// (kept for good, so that the views given to callers stay valid).
class TypeNames {
  public:
    std::string_view OfName(std::string_view name) {
        bool byName = Stems().MayMatch(name);
        std::string key = KeyOf(name);
        std::lock_guard<std::mutex> hold(lock_);
        if (byName)
            return Intern(MimeOfName(name).comment());
        auto known = bySuffix_.find(key);
        if (known != bySuffix_.end())
            return known->second;
        // Names are the user's: the table stays within bounds whatever the folder.
        if (bySuffix_.size() >= kMostSuffixes)
            bySuffix_.clear();
        std::string_view type = Intern(MimeOfName(name).comment());
        bySuffix_.emplace(std::move(key), type);
        return type;
    }

    std::string_view OfMime(const QMimeType& mime) {
        std::lock_guard<std::mutex> hold(lock_);
        return Intern(mime.comment());
    }

  private:
    static constexpr std::size_t kMostSuffixes = 4096;

    std::string_view Intern(const QString& comment) {
        return *names_.insert(comment.toStdString()).first;
    }

    std::mutex lock_;
    std::unordered_map<std::string, std::string_view, TextHash, std::equal_to<>> bySuffix_;
    std::unordered_set<std::string> names_;
};

TypeNames& Types() {
    static TypeNames types;
    return types;
}

}  // namespace

std::string_view TypeNameOfEntry(const std::string& folderPath, std::uint32_t mode,
                                 std::string_view name) {
    if (S_ISLNK(mode))
        mode = ModeBehindLink(JoinPath(folderPath, name), mode);
    if (const char* inode = InodeMimeName(mode))
        return Types().OfMime(Database().mimeTypeForName(QString::fromLatin1(inode)));
    return Types().OfName(name);
}

bool SameTypeByName(std::string_view a, std::string_view b) {
    std::string_view suffixA = SuffixOf(a), suffixB = SuffixOf(b);
    bool sameKey = suffixA == suffixB && (suffixA.size() < a.size()) == (suffixB.size() < b.size());
    return sameKey && !Stems().MayMatch(a) && !Stems().MayMatch(b);
}

std::vector<std::string> IconNamesOfEntry(const std::string& path, std::uint32_t mode,
                                          std::string_view name) {
    QMimeType mime = MimeOfEntry(path, mode, name);
    return {mime.iconName().toStdString(), mime.genericIconName().toStdString()};
}
