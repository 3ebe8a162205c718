#include "platform/FileTypes.h"

#include <sys/stat.h>

#include <QMimeDatabase>

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

QMimeType MimeOfEntry(const std::string& path, std::uint32_t mode, std::string_view name) {
    static const QMimeDatabase database;
    if (S_ISLNK(mode)) {
        struct stat target;
        if (stat(path.c_str(), &target) == 0 && !S_ISLNK(target.st_mode))
            return MimeOfEntry(path, target.st_mode, name);
    }
    if (const char* inode = InodeMimeName(mode))
        return database.mimeTypeForName(QString::fromLatin1(inode));
    return database.mimeTypeForFile(QString::fromUtf8(name.data(), static_cast<int>(name.size())),
                                    QMimeDatabase::MatchExtension);
}

}  // namespace

FileTypeInfo TypeOfEntry(const std::string& path, std::uint32_t mode, std::string_view name) {
    QMimeType mime = MimeOfEntry(path, mode, name);
    FileTypeInfo info;
    info.TypeName = mime.comment().toStdString();
    info.IconNames = {mime.iconName().toStdString(), mime.genericIconName().toStdString()};
    return info;
}
