#include "shell/ShellTree.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ShellTreeTestSupport.h"
#include "platform/MimeTransport.h"
#include "shell/QtDropBridge.h"

namespace {

class ShellTreeDragTest : public ShellTreeTest {
  protected:
    QWidget* Viewport() const { return tree->View()->viewport(); }
    // The node's centre in control coordinates.
    POINTL PointOf(TTreeNode* node) const {
        const QPoint at =
            Viewport()->mapTo(tree->Widget(), tree->View()->visualItemRect(node).center());
        return {at.x(), at.y()};
    }
    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, Viewport()->mapToGlobal(at), button, held, {});
        QApplication::sendEvent(Viewport(), &event);
    }
    // A press on the node and a move past the drag distance with the button
    // held (the drag loop takes the release).
    void MouseDrag(TTreeNode* node, Qt::MouseButton button) {
        // On the node's picture: a row's centre lies out of sight when a long
        // name elsewhere widens the column.
        const QRect row = tree->View()->visualItemRect(node);
        const QPoint at(row.left() + 8, row.center().y());
        SendMouse(QEvent::MouseButtonPress, at, button, button);
        SendMouse(QEvent::MouseMove, at + QPoint(QApplication::startDragDistance() + 4, 0),
                  Qt::NoButton, button);
    }

    std::uint32_t now_ = 1000;
};

TEST_F(ShellTreeDragTest, DropOnANode_LandsInItsFolder_AndTheTreeShowsIt) {
    DesktopFolder place;
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    const std::string source = MakeHomeFolder("source");
    std::filesystem::create_directory(source + "/incoming");
    QMimeData mime;
    mime.setData("text/uri-list", QByteArray::fromStdString("file://" + source + "/incoming\r\n"));
    ASSERT_TRUE(tree->DropTargetRegisteredForTest());

    const QPoint at = tree->View()->visualItemRect(node).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &enter);
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Viewport(), &move);
    EXPECT_EQ(move.dropAction(), Qt::MoveAction);
    EXPECT_EQ(tree->DropTarget(), node);
    QDropEvent drop(at, actions, &mime, Qt::NoButton, {});
    QApplication::sendEvent(Viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(std::filesystem::is_directory(place.Path() + "/incoming"));
    EXPECT_NE(ChildNamed(node, "incoming"), nullptr) << "refreshed after the drop";
    EXPECT_EQ(tree->DropTarget(), nullptr);
}

// A right-button drop asks with a menu once the drag has ended, so that the
// menu answers the mouse: a click on an entry does what it says, a click
// outside the menu closes it and drops nothing.
TEST_F(ShellTreeDragTest, RightButtonDrop_MenuAfterTheDragAnswersTheMouse) {
    DesktopFolder place;
    TTreeNode* node = Navigate(place.Path());
    const std::string source = MakeHomeFolder("source");
    const QPoint at = tree->View()->visualItemRect(node).center();
    // The menu's entry `caption` clicked, or a click beside the menu.
    auto clickInMenu = [](const QString& caption) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return false;
        QPoint where(-10, -10);
        for (QAction* action : menu->actions())
            if (action->text().remove('&') == caption)
                where = menu->actionGeometry(action).center();
        QTest::mouseClick(menu, Qt::LeftButton, {}, where);
        return true;
    };
    for (const QString& answer : {QString("Copy Here"), QString()}) {
        const std::string name = answer.isEmpty() ? "kept.jpg" : "copied.jpg";
        WriteFileBytes(source + "/" + name, "x");
        QMimeData mime;
        mime.setData("text/uri-list",
                     QByteArray::fromStdString("file://" + source + "/" + name + "\r\n"));
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, actions, &mime, Qt::RightButton, {});
        QApplication::sendEvent(Viewport(), &enter);
        QDragMoveEvent move(at, actions, &mime, Qt::RightButton, {});
        QApplication::sendEvent(Viewport(), &move);
        bool answered = false, inDrop = true, menuInDrop = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!answered && clickInMenu(answer)) {
                answered = true;
                menuInDrop = inDrop;
            }
        });
        poll.start(10);
        QDropEvent drop(at, actions, &mime, Qt::NoButton, {});
        QApplication::sendEvent(Viewport(), &drop);
        inDrop = false;
        ASSERT_TRUE(PumpUntil([&] { return answered && !QApplication::activePopupWidget(); }));
        EXPECT_FALSE(menuInDrop) << "the menu waits for the drag to end";
        QApplication::processEvents();
        EXPECT_EQ(std::filesystem::exists(place.Path() + "/" + name), !answer.isEmpty()) << name;
        EXPECT_TRUE(std::filesystem::exists(source + "/" + name)) << name;
    }
}

TEST_F(ShellTreeDragTest, DragOver_OpensARestingNodeAfter400ms_AndScrollsNearTheEdgeEvery100ms) {
    DesktopFolder place;
    for (int i = 10; i < 60; ++i)
        place.Make("d" + std::to_string(i));
    place.Make("d10/inner");
    tree->SetDragClockForTest([this] { return now_; });
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    tree->View()->doItemsLayout();
    TTreeNode* closed = ChildNamed(node, "d10");
    tree->View()->scrollToItem(closed, QAbstractItemView::PositionAtCenter);
    int noWindowWhileOpening = -1;
    tree->OnExpanding = [&](TObject*, TTreeNode* opened, bool&) {
        if (opened == closed)
            noWindowWhileOpening = tree->NoWindowCountForTest();
    };
    QMimeData mime;
    mime.setData("text/uri-list", "file:///nowhere/x.jpg\r\n");
    ComPtr<IDataObject> data(NewDataObjectFromMimeData(mime));

    DWORD effect = DROPEFFECT_COPY;
    tree->DragEnter(data.Get(), MK_LBUTTON, PointOf(closed), &effect);
    effect = DROPEFFECT_COPY;
    now_ += 399;
    tree->DragOver(MK_LBUTTON, PointOf(closed), &effect);
    EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
    EXPECT_EQ(closed->childCount(), 0);
    now_ += 1;
    tree->DragStepTimerForTest().Window().Perform(WM_TIMER, TTimer::kTimerId);
    EXPECT_EQ(closed->childCount(), 1) << "held still, the step timer opens it";
    EXPECT_EQ(noWindowWhileOpening, 1);
    EXPECT_EQ(tree->NoWindowCountForTest(), 0);

    QScrollBar* bar = tree->View()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2);
    const POINTL nearBottom = {
        100, Viewport()->mapTo(tree->Widget(), QPoint(0, Viewport()->height() - 5)).y()};
    tree->DragEnter(data.Get(), MK_LBUTTON, nearBottom, &effect);
    std::vector<int> steps;
    const int top = bar->value();
    for (int step = 0; step < 4; ++step) {
        now_ += 50;
        tree->DragOver(MK_LBUTTON, nearBottom, &effect);
        steps.push_back(bar->value() - top);
    }
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 1, 2}));
    tree->DragLeave();
    EXPECT_EQ(tree->DropTarget(), nullptr);
}

TEST_F(ShellTreeDragTest, MouseDragOfANode_CarriesIt_HighlightsIt_AndLeavesTheSelection) {
    DesktopFolder place;
    place.Make("dragged");
    TTreeNode* node = Navigate(place.Path());
    tree->Expand(node);
    TTreeNode* dragged = ChildNamed(node, "dragged");
    std::vector<int> buttons;
    std::string uris;
    TTreeNode* highlighted = nullptr;
    tree->SetDragLoopForTest([&](QMimeData* mime, DWORD, int button) {
        std::unique_ptr<QMimeData> owned(mime);
        buttons.push_back(button);
        uris = mime->data("text/uri-list").toStdString();
        highlighted = tree->DropTarget();
        return DROPEFFECT_NONE;
    });
    MouseDrag(dragged, Qt::LeftButton);
    MouseDrag(dragged, Qt::RightButton);
    EXPECT_EQ(buttons, (std::vector<int>{0, 1}));
    EXPECT_EQ(uris, "file://" + place.Path() + "/dragged\r\n");
    EXPECT_EQ(highlighted, dragged);
    EXPECT_EQ(tree->DropTarget(), nullptr);
    EXPECT_EQ(tree->Selected(), node) << "a drag does not select";

    tree->View()->scrollToItem(Root());
    MouseDrag(Root(), Qt::LeftButton);
    EXPECT_EQ(buttons.size(), 2u) << "the root is not dragged";
    EXPECT_EQ(tree->Selected(), Root()) << "the press takes effect instead";
}

}  // namespace
