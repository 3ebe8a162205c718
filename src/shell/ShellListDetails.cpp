#include "shell/ShellListDetails.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <array>
#include <cstring>
#include <vector>

#include "platform/ShellItemInfo.h"
#include "platform/ShellServices.h"
#include "platform/SizeText.h"
#include "shell/DisplayNames.h"
#include "shell/RzListView.h"
#include "shell/ShellListData.h"
#include "shell/ShellPaths.h"

namespace {

constexpr const char* kSystemFolder = QT_TRANSLATE_NOOP("ShellItemInfo", "System Folder");
constexpr int kPixelsPerCharacter = 7;

struct BuiltInColumn {
    const char* caption;
    TColumnAlignment alignment;
};
constexpr BuiltInColumn kBuiltInColumns[] = {
    {QT_TRANSLATE_NOOP("ShellColumns", "Name"), caLeft},
    {QT_TRANSLATE_NOOP("ShellColumns", "Size"), caRight},
    {QT_TRANSLATE_NOOP("ShellColumns", "Type"), caLeft},
    {QT_TRANSLATE_NOOP("ShellColumns", "Modified"), caLeft}};

// The eleven 16-bit default-width widthSlots (the first four used) and how many
// bytes of them the last build noted.
using WidthSlots = std::array<std::uint16_t, 11>;
constexpr WidthSlots kDefaultSlots = {200, 60, 100, 120};
constexpr int kDefaultSlotBytes = 10;

struct SavedWidths {
    std::vector<std::uint8_t> block;
    WidthSlots keptSlots{};
    int keptBytes = 0;
};

SavedWidths& Saved() {
    static SavedWidths saved;
    return saved;
}

void PutU32(std::vector<std::uint8_t>& block, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        block.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool GetU32(const std::vector<std::uint8_t>& block, std::size_t& at, std::uint32_t& value) {
    if (block.size() < at + 4)
        return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t(block[at + i]) << (8 * i);
    at += 4;
    return true;
}

// Whether the saved block fits a built-in set built from the same widthSlots.
bool SameBuiltInShape(const WidthSlots& widthSlots, int bytes) {
    const SavedWidths& saved = Saved();
    if (saved.keptBytes == 0 || saved.keptBytes != bytes || saved.block.empty())
        return false;
    return std::equal(widthSlots.begin(), widthSlots.begin() + bytes / 2, saved.keptSlots.begin());
}

// The last-write time, or the creation time when that is zero, in ns.
std::int64_t ModifiedNs(const struct stat& facts) {
    const timespec& when =
        facts.st_mtim.tv_sec != 0 || facts.st_mtim.tv_nsec != 0 ? facts.st_mtim : facts.st_ctim;
    return std::int64_t(when.tv_sec) * 1000000000 + when.tv_nsec;
}

std::string TypeText(LPCITEMIDLIST absolute, ULONG attributes) {
    if (!(attributes & SFGAO_FILESYSTEM))
        return QCoreApplication::translate("ShellItemInfo", kSystemFolder).toStdString();
    SHFILEINFOA info{};
    if (SHGetFileInfoA(reinterpret_cast<const char*>(absolute), 0, &info, sizeof info,
                       SHGFI_TYPENAME | SHGFI_PIDL) == 0)
        return {};
    return std::string(info.szTypeName, strnlen(info.szTypeName, sizeof info.szTypeName));
}

}  // namespace

// ----------------------------------------------------------------- adapter

TShellFolder2ToShellDetailsAdapter::TShellFolder2ToShellDetailsAdapter(IShellFolder2* folder)
    : folder_(folder) {
    folder_->AddRef();
}

TShellFolder2ToShellDetailsAdapter::~TShellFolder2ToShellDetailsAdapter() {
    folder_->Release();
}

HRESULT TShellFolder2ToShellDetailsAdapter::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IShellDetails) {
        *object = static_cast<IShellDetails*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TShellFolder2ToShellDetailsAdapter::AddRef() {
    return ++references_;
}

ULONG TShellFolder2ToShellDetailsAdapter::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT TShellFolder2ToShellDetailsAdapter::GetDetailsOf(LPCITEMIDLIST item, UINT column,
                                                         SHELLDETAILS* details) {
    SHCOLSTATEF state = 0;
    const HRESULT hr = folder_->GetDefaultColumnState(column, &state);
    if (SUCCEEDED(hr) && !(state & SHCOLSTATE_ONBYDEFAULT))
        return E_INVALIDARG;
    return folder_->GetDetailsOf(item, column, details);
}

// ----------------------------------------------------------------- fetch

ComPtr<IShellDetails> FetchShellDetails(IShellFolder* folder) {
    if (folder == nullptr)
        return {};
    ComPtr<IShellDetails> details;
    ComPtr<IShellFolder2> folder2;
    if (FAILED(folder->QueryInterface(IID_IShellFolder2, folder2.PutVoid()))) {
        if (FAILED(folder->CreateViewObject(0, IID_IShellDetails, details.PutVoid())))
            details.Reset();
        return details;
    }
    SHELLDETAILS probe{};
    if (SUCCEEDED(folder2->GetDetailsOf(nullptr, 0, &probe))) {
        // The probe's header text may be an allocated block.
        TakeName(probe.str, nullptr);
        auto* adapter = new TShellFolder2ToShellDetailsAdapter(folder2.Get());
        adapter->QueryInterface(IID_IShellDetails, details.PutVoid());
        adapter->Release();
        return details;
    }
    if (FAILED(folder->QueryInterface(IID_IShellDetails, details.PutVoid())) &&
        FAILED(folder->CreateViewObject(0, IID_IShellDetails, details.PutVoid())))
        details.Reset();
    return details;
}

// ----------------------------------------------------------------- columns

void BuildBuiltInColumns(TRzCustomListView& list) {
    // No registry on this platform: the defaults stand, as when the value is
    // missing.
    const WidthSlots widthSlots = kDefaultSlots;
    const int bytes = kDefaultSlotBytes;
    list.BeginColumnUpdate();
    list.ClearColumns();
    for (int i = 0; i < 4; ++i)
        list.AddColumn(
            QCoreApplication::translate("ShellColumns", kBuiltInColumns[i].caption).toStdString(),
            widthSlots[i], kBuiltInColumns[i].alignment);
    if (SameBuiltInShape(widthSlots, bytes))
        RestoreColumnWidths(list);
    Saved().keptSlots = widthSlots;
    Saved().keptBytes = bytes;
    list.EndColumnUpdate();
}

bool BuildDetailsColumns(TRzCustomListView& list, IShellDetails* details,
                         const std::string& folderPath, const std::vector<TListColumn>& extra) {
    const bool hasPath = !folderPath.empty();
    const bool restore = hasPath && HaveSavedColumnWidths();
    list.BeginColumnUpdate();
    list.ClearColumns();
    for (UINT column = 0;; ++column) {
        SHELLDETAILS header{};
        header.str.uType = STRRET_CSTR;
        if (FAILED(details->GetDetailsOf(nullptr, column, &header)))
            break;
        const int format = header.fmt & 3;
        const TColumnAlignment alignment = format == LVCFMT_RIGHT    ? caRight
                                           : format == LVCFMT_CENTER ? caCenter
                                                                     : caLeft;
        list.AddColumn(TakeName(header.str, nullptr), header.cxChar * kPixelsPerCharacter,
                       alignment);
    }
    for (const TListColumn& column : extra)
        list.AddColumn(column.Caption, column.Width, column.Alignment);
    if (restore)
        RestoreColumnWidths(list);
    list.EndColumnUpdate();
    return hasPath;
}

void SaveColumnWidths(const TRzCustomListView& list) {
    std::vector<std::uint8_t>& block = Saved().block;
    block.clear();
    PutU32(block, static_cast<std::uint32_t>(list.ColumnCount()));
    for (int i = 0; i < list.ColumnCount(); ++i)
        PutU32(block, static_cast<std::uint32_t>(list.ColumnWidth(i)));
}

void RestoreColumnWidths(TRzCustomListView& list) {
    const std::vector<std::uint8_t>& block = Saved().block;
    std::size_t at = 0;
    std::uint32_t count = 0;
    if (!GetU32(block, at, count))
        return;
    const int last =
        std::min(static_cast<int>(std::min<std::uint32_t>(count, 0x7FFFFFFF)), list.ColumnCount()) -
        1;
    std::uint32_t width = 0;
    for (int i = 0; i <= last && GetU32(block, at, width); ++i)
        list.SetColumnWidth(i, static_cast<int>(std::min<std::uint32_t>(width, 0xFFFF)));
}

bool HaveSavedColumnWidths() {
    return !Saved().block.empty();
}

void ForgetSavedColumnWidthsForTest() {
    Saved() = SavedWidths{};
}

// ----------------------------------------------------------------- texts

void FillBuiltInDetails(TRzShellListData& record, ULONG attributes) {
    if (record.DetailsFilled())
        return;
    std::string size, modified;
    const std::string path = record.PathName();
    struct stat facts;
    // Drive roots show neither size nor time.
    if (!record.FileName().empty() && lstat(path.c_str(), &facts) == 0) {
        if (!S_ISDIR(facts.st_mode))
            size = SizeText(static_cast<std::uint64_t>(facts.st_size));
        modified = ModifiedText(ModifiedNs(facts));
    }
    record.CacheDetail(1, size);
    record.CacheDetail(2, TypeText(record.AbsIdList(), attributes));
    record.CacheDetail(3, modified);
    record.SetDetailsFilled();
}

std::string DetailsText(IShellDetails* details, LPCITEMIDLIST item, UINT column) {
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    SHELLDETAILS cell{};
    cell.str.uType = STRRET_CSTR;
    std::string text;
    if (SUCCEEDED(details->GetDetailsOf(item, column, &cell)))
        text = TakeName(cell.str, item);
    SetErrorMode(previous);
    return text;
}
