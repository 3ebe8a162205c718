#include "platform/ShellItemInfo.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstring>

#include "framework/ProgramLanguage.h"
#include "platform/Drives.h"
#include "platform/FileTypes.h"
#include "platform/Places.h"
#include "platform/ShellAllocator.h"

namespace {

constexpr ULONG kFolderAttributes = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
constexpr ULONG kInFolderChanges = SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;

// Names and type names shown in the program's language; parsing names stay
// as written.
std::string Translated(const char* text) {
    return QCoreApplication::translate("ShellItemInfo", text).toStdString();
}

const char* VirtualName(VirtualId id) {
    switch (id) {
        case VirtualId::Home:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Home");
        case VirtualId::Computer:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Computer");
        case VirtualId::Trash:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Trash");
    }
    return "";
}

std::string VirtualPath(VirtualId id) {
    switch (id) {
        case VirtualId::Home:
            return HomePath();
        case VirtualId::Trash:
            return TrashFilesPath();
        case VirtualId::Computer:
            break;
    }
    return {};
}

std::string DriveName(const DriveFacts& drive) {
    const auto& drives = Drives();
    auto known = std::find_if(drives.begin(), drives.end(), [&](const DriveInfo& info) {
        return info.MountPath == drive.MountPath;
    });
    if (known != drives.end() && !known->Label.empty())
        return known->Label;
    if (drive.MountPath == "/")
        return Translated(QT_TRANSLATE_NOOP("ShellItemInfo", "File System"));
    return std::string(drive.MountPath.substr(drive.MountPath.rfind('/') + 1));
}

const char* DriveTypeName(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Removable Disk");
        case DRIVE_REMOTE:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Network Drive");
        case DRIVE_CDROM:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "CD Drive");
        case DRIVE_RAMDISK:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "RAM Disk");
        default:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "Local Disk");
    }
}

// Checked with the effective (file-system) ids, as opening the file would be.
bool IsWritable(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

ULONG EntryAttributes(const std::string& folderPath, const EntryFacts& entry, ULONG request,
                      int& folderWritable) {
    ULONG attributes = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANLINK;
    bool isFolder = IsFolderEntry(folderPath, entry);
    if (isFolder)
        attributes |= kFolderAttributes;
    else if (S_ISREG(entry.Mode) || S_ISLNK(entry.Mode))
        attributes |= SFGAO_STREAM;
    if (S_ISLNK(entry.Mode))
        attributes |= SFGAO_LINK;
    if (!entry.Name.empty() && entry.Name[0] == '.')
        attributes |= SFGAO_HIDDEN;
    if ((request & SFGAO_READONLY) && !IsWritable(JoinPath(folderPath, entry.Name)))
        attributes |= SFGAO_READONLY;
    if (request & kInFolderChanges) {
        if (folderWritable < 0)
            folderWritable = IsWritable(folderPath) ? 1 : 0;
        if (folderWritable)
            attributes |=
                IsTrashFolder(folderPath) ? kInFolderChanges & ~SFGAO_CANRENAME : kInFolderChanges;
    }
    return attributes;
}

ULONG DriveAttributes(const DriveFacts& drive) {
    bool removable = drive.Type == DRIVE_REMOVABLE || drive.Type == DRIVE_CDROM;
    return kFolderAttributes | SFGAO_FILESYSTEM | (removable ? SFGAO_REMOVABLE : 0);
}

void SetFixedName(STRRET* name, const std::string& text) {
    name->uType = STRRET_CSTR;
    std::size_t length = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::memcpy(name->cStr, text.data(), length);
    name->cStr[length] = 0;
}

void SetAllocatedName(STRRET* name, const std::string& text) {
    auto* block = static_cast<OLECHAR*>(CoTaskMemAlloc(text.size() + 1));
    if (block != nullptr)
        std::memcpy(block, text.c_str(), text.size() + 1);
    name->uType = STRRET_WSTR;
    name->pOleStr = block;
}

bool WantsPath(DWORD flags) {
    return (flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER);
}

std::string_view TypeNameOf(const std::string& folderPath, const DecodedItem& item) {
    switch (item.Kind) {
        case ItemKind::Drive:
            return DriveTypeName(item.Drive.Type);
        case ItemKind::Entry:
            return TypeNameOfEntry(folderPath, item.Entry.Mode, item.Entry.Name);
        default:
            return QT_TRANSLATE_NOOP("ShellItemInfo", "System Folder");
    }
}

int Sign(long long value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

int AsciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Case-insensitive order: ASCII folded byte by byte, anything else through
// Unicode case folding (which agrees with the ASCII fold where both apply).
int CompareFolded(std::string_view a, std::string_view b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80)
            return Sign(QString::fromUtf8(a.data(), static_cast<int>(a.size()))
                            .compare(QString::fromUtf8(b.data(), static_cast<int>(b.size())),
                                     Qt::CaseInsensitive));
        if (int order = AsciiLower(x) - AsciiLower(y))
            return Sign(order);
    }
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The digits of the run of digits at `at`, without its leading zeros; `at`
// moves past the run.
std::string_view DigitRun(std::string_view name, std::size_t& at) {
    std::size_t end = at;
    while (end < name.size() && IsDigit(static_cast<unsigned char>(name[end])))
        ++end;
    std::size_t first = at;
    while (first < end && name[first] == '0')
        ++first;
    at = end;
    return name.substr(first, end - first);
}

// Appends a UTF-16 unit big-endian, so that bytes order as units do.
void AppendUnit(std::string& key, char16_t unit) {
    key += static_cast<char>(unit >> 8);
    key += static_cast<char>(unit & 0xFF);
}

// Appends the units of a text of `size` UTF-16 units (`unitAt(i)` gives
// each), case-folded the way a case-insensitive QString comparison folds them
// (a high surrogate as it stands, a low one from its folded pair); with
// `numericRuns`, each run of digits as "0", the count of its digits without
// leading zeros and those digits (so runs order as numbers, and a run orders
// against other units as a digit does). Ends with a zero unit, so that a
// prefix sorts first.
template <class UnitAt>
void AppendFoldedUnits(std::string& key, qsizetype size, UnitAt unitAt, bool numericRuns) {
    char16_t previous = 0;
    for (qsizetype i = 0; i < size; ++i) {
        char16_t unit = unitAt(i);
        if (numericRuns && IsDigit(unit)) {
            qsizetype end = i;
            while (end < size && IsDigit(unitAt(end)))
                ++end;
            qsizetype first = i;
            while (first < end && unitAt(first) == u'0')
                ++first;
            AppendUnit(key, u'0');
            AppendUnit(key, static_cast<char16_t>(end - first));
            for (qsizetype digit = first; digit < end; ++digit)
                AppendUnit(key, unitAt(digit));
            i = end - 1;
            previous = unitAt(i);
            continue;
        }
        char32_t code = unit;
        if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(previous))
            code = QChar::surrogateToUcs4(previous, unit);
        char32_t folded = QChar::toCaseFolded(code);
        AppendUnit(key, QChar::requiresSurrogates(code) ? QChar::lowSurrogate(folded)
                                                        : static_cast<char16_t>(folded));
        previous = unit;
    }
    AppendUnit(key, 0);
}

bool IsAscii(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c & 0x80; });
}

// AppendFoldedUnits of UTF-8 text. An ASCII text is its own UTF-16 text,
// read without converting it (most names are; a sort makes a key per item).
void AppendFoldedText(std::string& key, std::string_view text, bool numericRuns) {
    if (IsAscii(text)) {
        AppendFoldedUnits(
            key, static_cast<qsizetype>(text.size()),
            [&](qsizetype i) { return static_cast<char16_t>(text[i]); }, numericRuns);
        return;
    }
    const QString units = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    AppendFoldedUnits(
        key, units.size(), [&](qsizetype i) { return units[i].unicode(); }, numericRuns);
}

// The name as CompareNames sees it (folded, numeric runs), then the raw
// bytes for the case-sensitive tie-break.
void AppendNameKey(std::string& key, std::string_view name) {
    AppendFoldedText(key, name, true);
    key.append(name);
}

// An unsigned number's bytes, most significant first, so that bytes order as
// numbers do.
void AppendBigEndian(std::string& key, std::uint64_t value) {
    for (int shift = 56; shift >= 0; shift -= 8)
        key += static_cast<char>((value >> shift) & 0xFF);
}

// The key of the column's own part of the order (CompareColumn): a type name
// as CompareFolded orders it, an entry's size, or its time with the sign bit
// flipped so that earlier times order first.
void AppendColumnKey(std::string& key, int column, const ItemSortView& view) {
    if (column == 2) {
        AppendFoldedText(key, view.TypeName, false);
        return;
    }
    if (view.Item.Kind != ItemKind::Entry || (column != 1 && column != 3))
        return;
    const EntryFacts& entry = view.Item.Entry;
    AppendBigEndian(key, column == 1 ? entry.Size
                                     : static_cast<std::uint64_t>(entry.ModifiedNs) ^ (1ull << 63));
}

// Names in the order people expect of a file list: case folded, runs of
// digits as numbers ("file_2" before "file_10"), then by case and bytes.
// ASCII names are compared in place; others by their keys (AppendNameKey),
// which give the same order.
int CompareNames(std::string_view a, std::string_view b) {
    if (!IsAscii(a) || !IsAscii(b)) {
        std::string keyA, keyB;
        AppendNameKey(keyA, a);
        AppendNameKey(keyB, b);
        return Sign(keyA.compare(keyB));
    }
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(static_cast<unsigned char>(a[i])) &&
            IsDigit(static_cast<unsigned char>(b[j]))) {
            std::string_view x = DigitRun(a, i), y = DigitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (int order = x.compare(y))
                return Sign(order);
            continue;
        }
        if (int order = AsciiLower(a[i]) - AsciiLower(b[j]))
            return Sign(order);
        ++i;
        ++j;
    }
    if (int order = int(i < a.size()) - int(j < b.size()))
        return order;
    return Sign(a.compare(b));
}

bool SurelyOneType(const ItemSortView& a, const ItemSortView& b) {
    auto regularFile = [](const DecodedItem& item) {
        return item.Kind == ItemKind::Entry && S_ISREG(item.Entry.Mode);
    };
    return regularFile(a.Item) && regularFile(b.Item) && SameTypeByName(a.Name, b.Name);
}

// The column's own key; size and time for entries only (other items have none).
int CompareColumn(int column, const ItemSortView& a, const ItemSortView& b) {
    if (column == 2)
        return a.TypeName == b.TypeName ? 0 : CompareFolded(a.TypeName, b.TypeName);
    if (a.Item.Kind != ItemKind::Entry || b.Item.Kind != ItemKind::Entry)
        return 0;
    const EntryFacts &x = a.Item.Entry, &y = b.Item.Entry;
    if (column == 1)
        return x.Size < y.Size ? -1 : x.Size > y.Size ? 1 : 0;
    return x.ModifiedNs < y.ModifiedNs ? -1 : x.ModifiedNs > y.ModifiedNs ? 1 : 0;
}

std::string GroupedKilobytes(std::uint64_t bytes) {
    std::string digits = std::to_string((bytes + 1023) / 1024);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return ::Translated("ShellColumns", QT_TRANSLATE_NOOP("ShellColumns", "%1 KB"), {text});
}

}  // namespace

std::string ModifiedText(std::int64_t modifiedNs) {
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(modifiedNs / 1000000, Qt::LocalTime);
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return when.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    return (locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
            locale.toString(when.time(), QLocale::ShortFormat))
        .toStdString();
}

bool IsTrashFolder(const std::string& folderPath) {
    return folderPath == TrashFilesPath();
}

std::string ItemPath(const std::string& folderPath, LPCITEMIDLIST item) {
    switch (KindOf(item)) {
        case ItemKind::Virtual:
            return VirtualPath(VirtualIdOf(item));
        case ItemKind::Drive:
            return std::string(DriveFactsOf(item).MountPath);
        case ItemKind::Entry:
            return folderPath.empty() ? std::string()
                                      : JoinPath(folderPath, EntryFactsOf(item).Name);
        case ItemKind::None:
            break;
    }
    return IsEmptyList(item) ? DesktopPath() : std::string();
}

bool IsFolderEntry(const std::string& folderPath, const EntryFacts& entry) {
    if (S_ISDIR(entry.Mode))
        return true;
    struct stat target;
    return S_ISLNK(entry.Mode) && stat(JoinPath(folderPath, entry.Name).c_str(), &target) == 0 &&
           S_ISDIR(target.st_mode);
}

ULONG ItemAttributes(const std::string& folderPath, LPCITEMIDLIST item, ULONG request,
                     int& folderWritable) {
    switch (KindOf(item)) {
        case ItemKind::Virtual:
            return kFolderAttributes |
                   (VirtualIdOf(item) == VirtualId::Computer ? 0 : SFGAO_FILESYSTEM);
        case ItemKind::Drive:
            return DriveAttributes(DriveFactsOf(item));
        case ItemKind::Entry:
            return EntryAttributes(folderPath, EntryFactsOf(item), request, folderWritable);
        case ItemKind::None:
            break;
    }
    return kFolderAttributes | SFGAO_FILESYSTEM;  // the desktop itself
}

void ItemDisplayName(const std::string& folderPath, LPCITEMIDLIST item, DWORD flags, STRRET* name) {
    ItemKind kind = KindOf(item);
    if (WantsPath(flags) && kind != ItemKind::Virtual)
        return SetAllocatedName(name, ItemPath(folderPath, item));
    switch (kind) {
        case ItemKind::Virtual: {
            VirtualId id = VirtualIdOf(item);
            if (flags & SHGDN_FORPARSING) {
                std::string path = VirtualPath(id);
                bool byPath = WantsPath(flags) && !path.empty();
                return SetAllocatedName(name, byPath ? path : std::string("::") + VirtualName(id));
            }
            return SetFixedName(name, Translated(VirtualName(id)));
        }
        case ItemKind::Drive:
            if (flags & SHGDN_FORPARSING)
                return SetAllocatedName(name, std::string(DriveFactsOf(item).MountPath));
            return SetFixedName(name, DriveName(DriveFactsOf(item)));
        case ItemKind::Entry:
            name->uType = STRRET_OFFSET;
            name->uOffset = kEntryNameOffset;
            return;
        case ItemKind::None:
            break;
    }
    SetFixedName(name, Translated(QT_TRANSLATE_NOOP("ShellItemInfo", "Desktop")));
}

ItemSortView SortViewOf(const std::string& folderPath, LPCITEMIDLIST item, int column) {
    ItemSortView view;
    view.Item = DecodeItem(item);
    switch (view.Item.Kind) {
        case ItemKind::Virtual:
            view.Group = 0;
            break;
        case ItemKind::Drive:
            view.Group = 1;
            view.Name = view.Item.Drive.MountPath;
            break;
        case ItemKind::Entry:
            view.Group = IsFolderEntry(folderPath, view.Item.Entry) ? 2 : 3;
            view.Name = view.Item.Entry.Name;
            break;
        case ItemKind::None:
            return view;
    }
    if (column == 2)
        view.TypeName = TypeNameOf(folderPath, view.Item);
    return view;
}

int CompareSortViews(int column, const ItemSortView& a, const ItemSortView& b) {
    int order = Sign(a.Group - b.Group);
    if (order == 0 && a.Item.Kind == ItemKind::Virtual)
        order = Sign(static_cast<int>(a.Item.Virtual) - static_cast<int>(b.Item.Virtual));
    if (order == 0 && column > 0)
        order = CompareColumn(column, a, b);
    if (order == 0 && a.Item.Kind == ItemKind::Drive)
        order = Sign(a.Name.compare(b.Name));
    return order != 0 ? order : CompareNames(a.Name, b.Name);
}

bool CompareItems(const std::string& folderPath, int column, LPCITEMIDLIST a, LPCITEMIDLIST b,
                  int& order) {
    if (column < 0 || column >= kDetailColumns)
        return false;
    ItemSortView va = SortViewOf(folderPath, a, 0), vb = SortViewOf(folderPath, b, 0);
    if (va.Item.Kind == ItemKind::None || vb.Item.Kind == ItemKind::None)
        return false;
    // One pair needs its types only where the names leave them open; two
    // empty type names compare equal.
    if (column == 2 && !SurelyOneType(va, vb)) {
        va.TypeName = TypeNameOf(folderPath, va.Item);
        vb.TypeName = TypeNameOf(folderPath, vb.Item);
    }
    order = CompareSortViews(column, va, vb);
    return true;
}

bool AppendItemSortKey(const std::string& folderPath, LPCITEMIDLIST item, int column,
                       std::string& key) {
    ItemSortView view = SortViewOf(folderPath, item, column);
    if (view.Item.Kind == ItemKind::None || column < 0 || column >= kDetailColumns)
        return false;
    key += static_cast<char>(view.Group);
    if (view.Item.Kind == ItemKind::Virtual)
        key += static_cast<char>(view.Item.Virtual);
    AppendColumnKey(key, column, view);
    if (view.Item.Kind == ItemKind::Drive)
        key.append(view.Name);  // mount paths never hold NUL: a prefix sorts first
    else if (view.Item.Kind == ItemKind::Entry)
        AppendNameKey(key, view.Name);
    return true;
}

std::string ItemTypeName(const std::string& folderPath, LPCITEMIDLIST item) {
    DecodedItem decoded = DecodeItem(item);
    std::string name(TypeNameOf(folderPath, decoded));
    return decoded.Kind == ItemKind::Entry ? name : Translated(name.c_str());
}

std::string ItemDetailText(const std::string& folderPath, LPCITEMIDLIST item, int column) {
    bool isEntry = KindOf(item) == ItemKind::Entry;
    switch (column) {
        case 0: {
            STRRET name;
            ItemDisplayName(folderPath, item, SHGDN_INFOLDER, &name);
            if (name.uType == STRRET_OFFSET)
                return std::string(EntryFactsOf(item).Name);
            return name.cStr;
        }
        case 1:
            return isEntry && !IsFolderEntry(folderPath, EntryFactsOf(item))
                       ? GroupedKilobytes(EntryFactsOf(item).Size)
                       : std::string();
        case 2:
            return ItemTypeName(folderPath, item);
        case 3:
            return isEntry ? ModifiedText(EntryFactsOf(item).ModifiedNs) : std::string();
        default:
            return {};
    }
}

IconChoice ItemIcon(const std::string& folderPath, LPCITEMIDLIST item, bool open) {
    switch (KindOf(item)) {
        case ItemKind::Virtual:
            switch (VirtualIdOf(item)) {
                case VirtualId::Home:
                    return {{"user-home", "folder"}, "home"};
                case VirtualId::Computer:
                    return {{"computer"}, "computer"};
                case VirtualId::Trash:
                    return {{"user-trash"}, "trash"};
            }
            break;
        case ItemKind::Drive:
            switch (DriveFactsOf(item).Type) {
                case DRIVE_REMOVABLE:
                    return {{"drive-removable-media", "drive-harddisk"}, "drive"};
                case DRIVE_REMOTE:
                    return {{"folder-remote", "drive-harddisk"}, "drive"};
                case DRIVE_CDROM:
                    return {{"drive-optical", "media-optical"}, "drive"};
                default:
                    return {{"drive-harddisk"}, "drive"};
            }
        case ItemKind::Entry: {
            EntryFacts entry = EntryFactsOf(item);
            if (IsFolderEntry(folderPath, entry))
                return {{open ? "folder-open" : "folder", "folder"}, "folder"};
            auto names = IconNamesOfEntry(JoinPath(folderPath, entry.Name), entry.Mode, entry.Name);
            names.push_back("text-x-generic");
            return {names, "file"};
        }
        case ItemKind::None:
            break;
    }
    return {{"user-desktop"}, "desktop"};
}
