#include "platform/ItemContextMenu.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "framework/ProgramLanguage.h"
#include "platform/DefaultApplications.h"
#include "platform/FileOperations.h"
#include "platform/FileWork.h"
#include "platform/Places.h"
#include "platform/PromptsInForce.h"
#include "platform/ShellClipboard.h"
#include "platform/ShellItems.h"
#include "platform/Trash.h"

namespace {

enum Offset : UINT {
    kOpen = 0,
    kCut = 1,
    kCopy = 2,
    kPaste = 3,
    kDelete = 4,
    kRestore = 5,
    kRename = kRenameCommandOffset,
    kProperties = 19,
};
constexpr UINT kOffsetCount = kProperties + 1;

// More items than this are opened only after asking.
constexpr std::size_t kOpenWithoutAsking = 10;

struct TVerb {
    UINT Offset;
    const char* Verb;
    const char* Caption;
    const char* Help;
};

constexpr TVerb kVerbs[] = {
    {kOpen, "open", QT_TRANSLATE_NOOP("ItemContextMenu", "&Open"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Opens the selected items with their programs.")},
    {kCut, "cut", QT_TRANSLATE_NOOP("ItemContextMenu", "Cu&t"),
     QT_TRANSLATE_NOOP("ItemContextMenu",
                       "Removes the selected items and puts them on the Clipboard.")},
    {kCopy, "copy", QT_TRANSLATE_NOOP("ItemContextMenu", "&Copy"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Copies the selected items to the Clipboard.")},
    {kPaste, "paste", QT_TRANSLATE_NOOP("ItemContextMenu", "&Paste"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Puts the items you copied or cut into this folder.")},
    {kDelete, "delete", QT_TRANSLATE_NOOP("ItemContextMenu", "&Delete"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Moves the selected items to the Trash.")},
    {kRestore, "restore", QT_TRANSLATE_NOOP("ItemContextMenu", "&Restore"),
     QT_TRANSLATE_NOOP("ItemContextMenu",
                       "Puts the selected items back where they were deleted from.")},
    {kRename, "rename", QT_TRANSLATE_NOOP("ItemContextMenu", "Rena&me"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Gives the selected item a new name.")},
    {kProperties, "properties", QT_TRANSLATE_NOOP("ItemContextMenu", "P&roperties"),
     QT_TRANSLATE_NOOP("ItemContextMenu", "Shows the properties of the selected items.")},
};

const TVerb* VerbAt(UINT offset) {
    for (const TVerb& verb : kVerbs)
        if (verb.Offset == offset)
            return &verb;
    return nullptr;
}

const TVerb* VerbNamed(const char* name) {
    for (const TVerb& verb : kVerbs)
        if (std::strcmp(verb.Verb, name) == 0)
            return &verb;
    return nullptr;
}

std::string Translated(const char* text) {
    return QCoreApplication::translate("ItemContextMenu", text).toStdString();
}

// Copies text into a caller's buffer, cut to fit between two UTF-8
// characters, always terminated.
HRESULT CopyOut(const std::string& text, char* buffer, UINT size) {
    if (buffer == nullptr || size == 0)
        return E_INVALIDARG;
    std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    while (length < text.size() && length > 0 && (text[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = 0;
    return S_OK;
}

class TItemContextMenu final : public TComObject<IContextMenu, IID_IContextMenu> {
  public:
    TItemContextMenu(std::string folderPath, std::vector<TContextMenuItem> items)
        : TComObject(1), folderPath_(std::move(folderPath)), items_(std::move(items)) {}

    HRESULT QueryContextMenu(void* menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT flags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(std::uintptr_t idCmd, UINT type, UINT* reserved, char* name,
                             UINT size) override;

  private:
    ~TItemContextMenu() override = default;

    bool AllHave(ULONG attributes) const;
    bool AllHavePaths() const;
    bool Offers(UINT offset, UINT flags) const;
    std::vector<std::string> Paths() const;
    bool InTrash() const { return IsTrashPath(folderPath_); }
    // The verbs' work; each returns what InvokeCommand returns.
    HRESULT Open();
    HRESULT ReportUnopenable(const QString& text) const;
    HRESULT Paste();
    HRESULT Delete();
    HRESULT Restore();
    HRESULT Run(UINT offset);
    // Reports a failure, with what was done before it, or a cancel after
    // part of the work was done, to the person; passes the result on.
    // `message` holds %1 for the system's reason and %2 for `name`.
    HRESULT Report(HRESULT hr, const TOperationProgress& progress, const char* message,
                   const std::string& name = "") const;

    std::string folderPath_;
    std::vector<TContextMenuItem> items_;
};

bool TItemContextMenu::AllHave(ULONG attributes) const {
    return std::all_of(items_.begin(), items_.end(), [&](const TContextMenuItem& item) {
        return (item.Attributes & attributes) == attributes;
    });
}

bool TItemContextMenu::AllHavePaths() const {
    return std::none_of(items_.begin(), items_.end(),
                        [](const TContextMenuItem& item) { return item.Path.empty(); });
}

bool TItemContextMenu::Offers(UINT offset, UINT flags) const {
    bool one = items_.size() == 1;
    switch (offset) {
        case kOpen:
        case kProperties:
            return true;
        case kCut:
            return AllHavePaths() && AllHave(SFGAO_CANMOVE);
        case kCopy:
            return AllHavePaths() && AllHave(SFGAO_CANCOPY);
        case kPaste:
            return one && AllHavePaths() && AllHave(SFGAO_FOLDER) &&
                   !IsTrashPath(items_.front().Path);
        case kDelete:
            return AllHavePaths() && AllHave(SFGAO_CANDELETE);
        case kRestore:
            return folderPath_ == TrashFilesPath() && AllHavePaths();
        case kRename:
            return one && (flags & CMF_CANRENAME) && AllHave(SFGAO_CANRENAME);
        default:
            return false;
    }
}

std::vector<std::string> TItemContextMenu::Paths() const {
    std::vector<std::string> paths;
    for (const TContextMenuItem& item : items_)
        paths.push_back(item.Path);
    return paths;
}

HRESULT TItemContextMenu::QueryContextMenu(void* menu, UINT indexMenu, UINT idCmdFirst,
                                           UINT idCmdLast, UINT flags) {
    auto* target = static_cast<TShellMenu*>(menu);
    if (target == nullptr)
        return E_INVALIDARG;
    std::vector<TShellMenuItem> entries;
    auto separate = [&] {
        if (!entries.empty() && !entries.back().Separator)
            entries.push_back(MenuSeparator());
    };
    auto add = [&](UINT offset) {
        const TVerb* verb = VerbAt(offset);
        if (!Offers(offset, flags) || idCmdFirst + offset > idCmdLast)
            return;
        entries.push_back(
            MenuCommand(idCmdFirst + offset, Translated(verb->Caption), offset == kOpen));
        if (offset == kPaste)
            entries.back().Enabled = !FilesOnClipboard().Paths.empty();
    };
    add(kOpen);
    if (!(flags & CMF_DEFAULTONLY)) {
        add(kRestore);
        if (AllHavePaths()) {
            separate();
            auto sendTo = std::make_shared<TShellMenu>();
            TShellMenuItem placeholder =
                MenuCommand(0, Translated(QT_TRANSLATE_NOOP("ItemContextMenu", "(empty)")));
            placeholder.Enabled = false;
            placeholder.SendToPlaceholder = true;
            sendTo->Items.push_back(placeholder);
            entries.push_back(
                MenuPopup(Translated(QT_TRANSLATE_NOOP("ItemContextMenu", "Se&nd To")), sendTo));
        }
        separate();
        for (UINT offset : {kCut, kCopy, kPaste})
            add(offset);
        separate();
        for (UINT offset : {kDelete, kRename})
            add(offset);
        separate();
        add(kProperties);
    }
    UINT at = std::min<UINT>(indexMenu, static_cast<UINT>(target->Items.size()));
    target->Items.insert(target->Items.begin() + at, entries.begin(), entries.end());
    return MakeCountResult(kOffsetCount);
}

HRESULT TItemContextMenu::GetCommandString(std::uintptr_t idCmd, UINT type, UINT*, char* name,
                                           UINT size) {
    const TVerb* verb = idCmd < kOffsetCount ? VerbAt(static_cast<UINT>(idCmd)) : nullptr;
    if (verb == nullptr)
        return E_INVALIDARG;
    switch (type) {
        case GCS_VERBA:
        case GCS_VERBW:
            return CopyOut(verb->Verb, name, size);
        case GCS_HELPTEXTA:
        case GCS_HELPTEXTW:
            return CopyOut(
                Translated(verb->Offset == kDelete && InTrash()
                               ? QT_TRANSLATE_NOOP("ItemContextMenu", "Deletes the selected items.")
                               : verb->Help),
                name, size);
        case GCS_VALIDATEA:
        case GCS_VALIDATEW:
            return Offers(verb->Offset, CMF_CANRENAME) ? S_OK : S_FALSE;
        default:
            return E_INVALIDARG;
    }
}

HRESULT TItemContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (info == nullptr)
        return E_INVALIDARG;
    const TVerb* verb =
        IsIntVerb(info->lpVerb) ? VerbAt(IntVerbOffset(info->lpVerb)) : VerbNamed(info->lpVerb);
    if (verb == nullptr || !Offers(verb->Offset, CMF_CANRENAME))
        return E_INVALIDARG;
    return Run(verb->Offset);
}

HRESULT TItemContextMenu::Run(UINT offset) {
    switch (offset) {
        case kOpen:
            return Open();
        case kCut:
        case kCopy:
            PutFilesOnClipboard({Paths(), offset == kCut});
            return S_OK;
        case kPaste:
            return Paste();
        case kDelete:
            return Delete();
        case kRestore:
            return Restore();
        case kProperties:
            ShellPrompts().ShowProperties(Paths());
            return S_OK;
        default:
            return E_NOTIMPL;  // rename: the control edits the name
    }
}

// Many items are opened only when the person agrees. The programs start off
// the UI thread, each once with all its files where its entry takes several.
// A place without a path, or a file no program is set to open, is reported
// as such: the system has no reason text for it.
HRESULT TItemContextMenu::Open() {
    for (const TContextMenuItem& item : items_)
        if (item.Path.empty())
            return ReportUnopenable(
                QCoreApplication::translate("ItemContextMenu", "This place cannot be opened."));
    if (items_.size() > kOpenWithoutAsking && !ShellPrompts().ConfirmOpen(items_.size()))
        return E_ABORT;
    const TOpenPlan plan = PlanOpening(Paths());
    if (!plan.Commands.empty())
        ShellPrompts().StartPrograms(plan.Commands);
    for (const std::string& path : plan.Unclaimed)
        if (!ShellPrompts().OpenWithDefault(path))
            return ReportUnopenable(
                QCoreApplication::translate("ItemContextMenu",
                                            "Cannot open \"%1\": no program is set to open it.")
                    .arg(QString::fromStdString(ItemNameOf(path))));
    return S_OK;
}

HRESULT TItemContextMenu::ReportUnopenable(const QString& text) const {
    ShellPrompts().ReportError(text.toStdString());
    return E_FAIL;
}

HRESULT TItemContextMenu::Paste() {
    TClipboardFiles files = FilesOnClipboard();
    if (files.Paths.empty())
        return S_FALSE;
    TFileOperation operation = files.Cut ? TFileOperation::Move : TFileOperation::Copy;
    TOperationProgress progress;
    HRESULT hr = S_OK;
    RunFileWork(
        files.Cut ? QT_TRANSLATE_NOOP("FileWork", "Moving")
                  : QT_TRANSLATE_NOOP("FileWork", "Copying"),
        ShellPrompts(), progress, [&](IShellPrompts& asker) {
            hr = TransferItems(operation, files.Paths, items_.front().Path, asker, progress).Code;
        });
    if (files.Cut && hr == S_OK)
        ClearClipboard();
    return Report(hr, progress,
                  files.Cut
                      ? QT_TRANSLATE_NOOP("ItemContextMenu", "Cannot move the items here: %1")
                      : QT_TRANSLATE_NOOP("ItemContextMenu", "Cannot copy the items here: %1"));
}

HRESULT TItemContextMenu::Delete() {
    bool permanently = InTrash();
    if (!ShellPrompts().ConfirmDelete(Paths(), permanently))
        return E_ABORT;
    HRESULT result = S_OK;
    std::string failed;
    TOperationProgress progress;
    const bool ownRecords = folderPath_ == TrashFilesPath();
    RunFileWork(
        QT_TRANSLATE_NOOP("FileWork", "Deleting"), ShellPrompts(), progress, [&](IShellPrompts&) {
            for (const std::string& path : Paths()) {
                if (progress.Cancelled()) {
                    result = E_ABORT;
                    break;
                }
                HRESULT hr = permanently ? RemoveItem(path, progress) : TrashItem(path, progress);
                if (ownRecords && SUCCEEDED(hr))
                    unlink((DataHomePath() + "/Trash/info/" + ItemNameOf(path) + ".trashinfo")
                               .c_str());
                if (FAILED(hr) && SUCCEEDED(result)) {
                    result = hr;
                    failed = ItemNameOf(path);
                }
            }
        });
    return Report(result, progress, QT_TRANSLATE_NOOP("ItemContextMenu", "Cannot delete %2: %1"),
                  failed);
}

// Each item goes back to its place; one that cannot is reported by its name,
// and the others are still tried.
HRESULT TItemContextMenu::Restore() {
    HRESULT result = S_OK;
    for (const std::string& path : Paths()) {
        std::string original;
        const HRESULT hr = RestoreFromTrash(path, original);
        if (SUCCEEDED(hr))
            continue;
        const QString reason =
            hr == HResultFromErrno(EEXIST)
                ? QCoreApplication::translate("ItemContextMenu", "\"%1\" is in its place")
                      .arg(QString::fromStdString(original))
                : QString::fromStdString(SysErrorMessage(hr));
        ShellPrompts().ReportError(
            QCoreApplication::translate("ItemContextMenu", "Cannot restore \"%1\": %2.")
                .arg(QString::fromStdString(ItemNameOf(path)), reason)
                .toStdString());
        if (SUCCEEDED(result))
            result = hr;
    }
    return result;
}

HRESULT TItemContextMenu::Report(HRESULT hr, const TOperationProgress& progress,
                                 const char* message, const std::string& name) const {
    const std::string done = DoneText(progress);
    if (FAILED(hr) && hr != E_ABORT)
        ShellPrompts().ReportError(
            ::Translated("ItemContextMenu", message, {SysErrorMessage(hr), name}) +
            (done.empty() ? "" : " " + done));
    else if (hr == E_ABORT && !done.empty())
        ShellPrompts().ReportError(CancelledText(progress));
    return hr;
}

}  // namespace

IContextMenu* NewItemContextMenu(std::string folderPath, std::vector<TContextMenuItem> items) {
    return new TItemContextMenu(std::move(folderPath), std::move(items));
}
