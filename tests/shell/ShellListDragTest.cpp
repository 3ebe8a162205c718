#include "shell/ShellList.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>
#include <filesystem>

#include "ShellListTestSupport.h"
#include "shell/QtDropBridge.h"
#include "shell/ShellPaths.h"

namespace {

QMimeData* UriMime(const std::string& uris) {
    auto* mime = new QMimeData;
    mime->setData("text/uri-list", QByteArray(uris.data(), static_cast<qsizetype>(uris.size())));
    return mime;
}

class ShellListDragTest : public ShellListCommandTest {
  protected:
    struct DragSeen {
        DWORD hover = DROPEFFECT_NONE;
        int highlighted = -1;
        DWORD dropped = DROPEFFECT_NONE;
    };

    // A refresh appends what came, so the order is the fill's no more.
    std::vector<std::string> SortedNames() {
        std::vector<std::string> names = Names();
        std::sort(names.begin(), names.end());
        return names;
    }
    QWidget* Viewport() const { return list_.ActiveView()->viewport(); }
    QPoint ItemPoint(int index) const {
        QAbstractItemView* view = list_.ActiveView();
        return Viewport()->mapTo(list_.Widget(),
                                 view->visualRect(list_.Model()->index(index, 0)).center());
    }
    QPoint EmptySpace() const { return QPoint(list_.Width() - 20, list_.Height() - 20); }

    // A drag over the list to `at` (list coordinates) and its drop, delivered
    // as Qt delivers a drag from anywhere.
    DragSeen DragTo(const QMimeData& mime, QPoint at, Qt::MouseButtons buttons,
                    Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
        const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
        DragSeen seen;
        QDragEnterEvent enter(p, actions, &mime, buttons, {});
        QApplication::sendEvent(Viewport(), &enter);
        QDragMoveEvent move(p, actions, &mime, buttons, {});
        QApplication::sendEvent(Viewport(), &move);
        seen.hover = move.isAccepted() ? EffectsOf(move.dropAction()) : DROPEFFECT_NONE;
        seen.highlighted = list_.DropHighlighted();
        QDropEvent drop(p, actions, &mime, Qt::NoButton, {});
        QApplication::sendEvent(Viewport(), &drop);
        seen.dropped = drop.isAccepted() ? EffectsOf(drop.dropAction()) : DROPEFFECT_NONE;
        return seen;
    }
    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
        QMouseEvent event(type, p, Viewport()->mapToGlobal(p), button, held, {});
        QApplication::sendEvent(Viewport(), &event);
    }
    // A press on `at` and a move past the drag distance with the button held;
    // with `menu` the desktop asks for a context menu after the press.
    void MouseDrag(Qt::MouseButton button, QPoint at, bool menu = false) {
        SendMouse(QEvent::MouseButtonPress, at, button, button);
        if (menu) {
            const QPoint p = Viewport()->mapFrom(list_.Widget(), at);
            QContextMenuEvent request(QContextMenuEvent::Mouse, p, Viewport()->mapToGlobal(p));
            QApplication::sendEvent(Viewport(), &request);
        }
        SendMouse(QEvent::MouseMove, at + QPoint(QApplication::startDragDistance() + 4, 0),
                  Qt::NoButton, button);
    }
};

TEST_F(ShellListDragTest, DropsFromAnotherProgram_LandOnTheFolderItemOrTheShownFolder) {
    std::filesystem::create_directory(folder_ + "/sub");
    Make("keep.txt");
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    WriteFileBytes(source + "/q.jpg", "q");
    Show(folder_);
    ASSERT_TRUE(list_.DropTargetRegisteredForTest());
    const int before = fills_;

    std::unique_ptr<QMimeData> onItem(UriMime("file://" + source + "/p.jpg\r\n"));
    const DragSeen item = DragTo(*onItem, ItemPoint(0), Qt::LeftButton, Qt::CopyAction);
    EXPECT_EQ(item.hover, DROPEFFECT_COPY);
    EXPECT_EQ(item.highlighted, 0);
    EXPECT_EQ(item.dropped, DROPEFFECT_COPY);
    EXPECT_EQ(ReadFileBytes(folder_ + "/sub/p.jpg"), "p");

    std::unique_ptr<QMimeData> onSpace(UriMime("file://" + source + "/q.jpg\r\n"));
    const DragSeen space = DragTo(*onSpace, EmptySpace(), Qt::LeftButton);
    EXPECT_EQ(space.highlighted, -1);
    EXPECT_EQ(space.dropped, DROPEFFECT_MOVE) << "a plain drop moves on one file system";
    EXPECT_EQ(ReadFileBytes(folder_ + "/q.jpg"), "q");
    EXPECT_FALSE(std::filesystem::exists(source + "/q.jpg"));
    EXPECT_EQ(SortedNames(), (std::vector<std::string>{"keep.txt", "q.jpg", "sub"}));
    EXPECT_EQ(fills_, before + 2) << "each drop refreshes";
    EXPECT_EQ(list_.DropHighlighted(), -1);

    list_.SetViewStyle(vsList);
    list_.SetViewStyle(vsIcon);
    EXPECT_TRUE(Viewport()->acceptDrops()) << "after the view changed its shape";
    list_.SetOptions(kDefaultShellListOptions & ~OptionBit(sloOleDrop));
    EXPECT_FALSE(list_.DropTargetRegisteredForTest());
    EXPECT_FALSE(Viewport()->acceptDrops());
}

// In large icons the folder under a drag keeps its caption, drawn
// highlighted as the target.
TEST_F(ShellListDragTest, IconView_FolderUnderADragKeepsItsCaptionHighlighted) {
    std::filesystem::create_directory(folder_ + "/album");
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    Show(folder_);
    ASSERT_EQ(list_.ViewStyle(), vsIcon);
    std::unique_ptr<QMimeData> mime(UriMime("file://" + source + "/p.jpg\r\n"));
    const QPoint at = Viewport()->mapFrom(list_.Widget(), ItemPoint(0));
    QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &move);
    ASSERT_EQ(list_.DropHighlighted(), 0);

    // The caption lies below the picture, in the lower half of the cell: a
    // box of the highlight with the text in another colour inside it.
    const QRect cell = list_.ActiveView()->visualRect(list_.Model()->index(0, 0));
    const QImage picture = Viewport()->grab().toImage();
    const QColor highlight = Viewport()->palette().color(QPalette::Active, QPalette::Highlight);
    QRect box;
    for (int y = cell.center().y(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (picture.pixelColor(x, y) == highlight)
                box |= QRect(x, y, 1, 1);
    int written = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            written += picture.pixelColor(x, y) != highlight;
    EXPECT_GT(box.width() * box.height(), 100);
    EXPECT_GT(written, 10) << "the caption shows on the highlight";
    QDragLeaveEvent leave;
    QApplication::sendEvent(Viewport(), &leave);
    EXPECT_EQ(list_.DropHighlighted(), -1);
}

TEST_F(ShellListDragTest, OwnDragOntoItsEmptySpace_LeftDoesNothing_RightOffersACopy) {
    Make("a.jpg", "a");
    Show(folder_);
    SelectOnly("a.jpg");
    DragSeen seen;
    list_.SetDragLoopForTest([&](QMimeData* mime, DWORD allowed, int button) {
        std::unique_ptr<QMimeData> owned(mime);
        EXPECT_TRUE(list_.OwnDragRunningForTest());
        seen = DragTo(*mime, EmptySpace(), button == 1 ? Qt::RightButton : Qt::LeftButton,
                      ActionsOf(allowed));
        return seen.dropped;
    });
    list_.StartOutgoingDrag(0);
    EXPECT_EQ(seen.hover, DROPEFFECT_NONE);
    EXPECT_EQ(seen.dropped, DROPEFFECT_NONE);
    EXPECT_TRUE(prompts_.dropMenus.empty());

    list_.StartOutgoingDrag(1);
    EXPECT_EQ(seen.hover, DROPEFFECT_COPY);
    // The drop that asks with a menu waits for the drag to end; the drag is
    // told of no effect.
    EXPECT_EQ(seen.dropped, DROPEFFECT_NONE);
    EXPECT_TRUE(prompts_.dropMenus.empty());
    ASSERT_TRUE(PumpUntil([&] { return !prompts_.dropMenus.empty(); }));
    using Menu = std::pair<DWORD, DWORD>;
    EXPECT_EQ(prompts_.dropMenus,
              (std::vector<Menu>{{DROPEFFECT_COPY | DROPEFFECT_LINK, DROPEFFECT_COPY}}))
        << "the menu offers no move onto the items' own folder";
    EXPECT_EQ(SortedNames(), (std::vector<std::string>{"a (2).jpg", "a.jpg"}))
        << "refreshed once the drag ended";
    EXPECT_FALSE(list_.OwnDragRunningForTest());
}

TEST_F(ShellListDragTest, MouseDragsCarryTheSelection_RefreshesWaitForTheEnd_NoMenuAfterADrag) {
    Make("a.jpg");
    Make("b c.jpg");
    Show(folder_);
    list_.SetOptions(kDefaultShellListOptions & ~OptionBit(sloContextMenus));
    int menus = 0;
    list_.OnItemContextMenu = [&](TObject*, TListItem*, TPoint&, QMenu*&) { ++menus; };
    list_.SetSelected(0, true);
    list_.SetSelected(1, true);
    list_.SetFocusedIndex(1);
    std::vector<int> buttons;
    DWORD allowed = 0;
    std::unique_ptr<QMimeData> carried;
    list_.SetDragLoopForTest([&](QMimeData* mime, DWORD effects, int button) {
        carried.reset(mime);
        buttons.push_back(button);
        allowed = effects;
        const int shown = list_.ItemCount();
        Make("late.txt");
        list_.RefreshItems();
        EXPECT_EQ(list_.ItemCount(), shown) << "no refresh during the drag";
        return DROPEFFECT_NONE;
    });
    const int before = fills_;
    MouseDrag(Qt::LeftButton, ItemPoint(1));
    ASSERT_EQ(buttons, std::vector<int>{0});
    EXPECT_EQ(allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    for (const char* format : {"Shell IDList Array", "CF_HDROP", "text/uri-list"})
        EXPECT_TRUE(carried->hasFormat(format)) << format;
    EXPECT_EQ(carried->data("text/uri-list").toStdString(),
              "file://" + folder_ + "/a.jpg\r\nfile://" + folder_ + "/b%20c.jpg\r\n");
    EXPECT_EQ(fills_, before + 1) << "the waiting refresh ran once";
    EXPECT_EQ(list_.ItemCount(), 3);

    list_.SetSelected(0, true);
    MouseDrag(Qt::RightButton, ItemPoint(0), true);
    EXPECT_EQ(buttons, (std::vector<int>{0, 1}));
    SendMouse(QEvent::MouseButtonRelease, ItemPoint(0), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(menus, 0) << "a right-button drag shows no menu";

    SendMouse(QEvent::MouseButtonPress, ItemPoint(0), Qt::RightButton, Qt::RightButton);
    const QPoint p = Viewport()->mapFrom(list_.Widget(), ItemPoint(0));
    QContextMenuEvent request(QContextMenuEvent::Mouse, p, Viewport()->mapToGlobal(p));
    QApplication::sendEvent(Viewport(), &request);
    EXPECT_EQ(menus, 0) << "the menu waits for the release";
    SendMouse(QEvent::MouseButtonRelease, ItemPoint(0), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(menus, 1);
}

TEST_F(ShellListDragTest, DropOnTheTrashItem_DeletesTheFileAndLeavesTheShownFolderAlone) {
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    OwnedIdList desktop;
    ASSERT_EQ(GetSpecialFolderLocation(0, CSIDL_DESKTOP, desktop.Out()), S_OK);
    Show(folder_);  // the desktop is where the list starts: leave and come back
    list_.SetFolderIdList(desktop.Get());
    int trashItem = 0;
    while (trashItem < list_.ItemCount() && Cell(trashItem, 0) != "Trash")
        ++trashItem;
    ASSERT_LT(trashItem, list_.ItemCount());

    std::unique_ptr<QMimeData> mime(UriMime("file://" + source + "/p.jpg\r\n"));
    const DragSeen seen = DragTo(*mime, ItemPoint(trashItem), Qt::LeftButton);
    EXPECT_EQ(seen.hover, DROPEFFECT_MOVE);
    EXPECT_EQ(seen.highlighted, trashItem);
    EXPECT_EQ(seen.dropped, DROPEFFECT_MOVE);
    const std::string trash = std::string(getenv("XDG_DATA_HOME")) + "/Trash";
    EXPECT_EQ(ReadFileBytes(trash + "/files/p.jpg"), "p");
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/p.jpg.trashinfo"));
    EXPECT_FALSE(std::filesystem::exists(source + "/p.jpg"));
    EXPECT_FALSE(std::filesystem::exists(TestDesktop() + "/p.jpg"));
    EXPECT_TRUE(prompts_.errors.empty());
    std::filesystem::remove_all(trash);
    std::filesystem::remove_all(source);
}

TEST_F(ShellListDragTest, MalformedDroppedData_PlacesNothing) {
    Make("keep.txt");
    const std::string source = MakeHomeFolder("source");
    WriteFileBytes(source + "/p.jpg", "p");
    Show(folder_);
    const QByteArray goodUris = QByteArray::fromStdString("file://" + source + "/p.jpg\r\n");
    const struct {
        const char* what;
        std::vector<std::pair<const char*, QByteArray>> formats;
    } cases[] = {
        {"forged id list beside good URIs",
         {{"Shell IDList Array", QByteArray("\xFF\xFF\xFF\x7F", 4)}, {"text/uri-list", goodUris}}},
        {"cut file-drop block beside good URIs",
         {{"CF_HDROP", QByteArray("\x14\0\0", 3)}, {"text/uri-list", goodUris}}},
        {"URIs naming no file",
         {{"text/uri-list", QByteArray("file://\r\nhttp://h/x\r\n..\r\n\xFF")}}},
    };
    for (const auto& c : cases) {
        QMimeData mime;
        for (const auto& [name, bytes] : c.formats)
            mime.setData(name, bytes);
        const DragSeen seen = DragTo(mime, EmptySpace(), Qt::LeftButton);
        EXPECT_EQ(seen.hover, DROPEFFECT_NONE) << c.what << ": no promise the drop breaks";
        EXPECT_EQ(seen.dropped, DROPEFFECT_NONE) << c.what;
        EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"}) << c.what;
    }
}

}  // namespace
