#pragma once

#include <sys/stat.h>

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "framework/Color.h"
#include "framework/Form.h"
#include "framework/Messages.h"
#include "shell/ShellTree.h"

// What the folder tree's tests share: a tree on a shown form, linked to a
// list double, and folders on the test desktop to show in it.

// The file list as the tree sees it: keeps a Folder and records every real
// change of it, as the list's refill would follow it.
class RecordingList : public TComponent, public IShellListLink {
  public:
    RecordingList() : TComponent(nullptr) {
        folder.OnChange = [this] { shown.push_back(folder.PathName()); };
    }
    TComponent* LinkComponent() override { return this; }
    void SetLinkedTree(IShellTreeLink* linked) override { tree = linked; }
    void AssignFolder(TRzShellLocator* place) override { folder.Assign(place); }
    void SetFolderIdList(LPCITEMIDLIST absolute) override { folder.SetIdList(absolute); }
    void FlushPendingAction() override { ++flushes; }
    bool HidesFolders() const override { return false; }
    bool IsLoading() const override { return false; }

    TRzShellLocator folder;
    IShellTreeLink* tree = nullptr;
    std::vector<std::string> shown;  // "" for places without a path
    int flushes = 0;
};

// A folder on the test desktop, so that it shows right under the root.
class DesktopFolder {
  public:
    DesktopFolder() {
        path_ = TestDesktop() + "/tree-XXXXXX";
        if (mkdtemp(path_.data()) == nullptr)
            ADD_FAILURE() << "cannot make " << path_;
        chmod(path_.c_str(), 0755);
    }
    ~DesktopFolder() { std::filesystem::remove_all(path_); }
    std::string Make(const std::string& relative) const {
        std::filesystem::create_directories(path_ + "/" + relative);
        return path_ + "/" + relative;
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

inline std::vector<std::string> Captions(const TTreeNode* node) {
    std::vector<std::string> captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions.push_back(node->child(i)->text(0).toStdString());
    return captions;
}

inline TTreeNode* ChildNamed(const TTreeNode* node, const std::string& caption) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0).toStdString() == caption)
            return static_cast<TTreeNode*>(node->child(i));
    return nullptr;
}

inline TColor PixelAt(const QImage& image, int x, int y) {
    QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

class ShellTreeTest : public ShellTest {
  protected:
    ShellTreeTest() {
        UseClassicColorScheme();
        Application->SetPresenterForTest(
            [this](const MessageBoxRequest& box) { boxes.push_back(box); });
        form = new TCustomForm(nullptr);
        form->SetBounds(0, 0, 420, 600);
        tree = new TRzShellTree(form);
        tree->SetBounds(0, 0, 400, 580);
        tree->SetShellList(&list);
        tree->SetParent(form);
        form->Show();
        QApplication::setActiveWindow(form->Widget());
        DeliverPostedMessages();  // the fill the new window asked for
    }
    ~ShellTreeTest() override {
        delete form;
        Application->SetPresenterForTest(nullptr);
        EXPECT_TRUE(boxes.empty()) << boxes.front().Text;
    }

    TTreeNode* Root() const { return tree->TopNode(0); }
    // Selects a place as the file list does when it navigates.
    TTreeNode* Navigate(const std::string& path) {
        OwnedIdList place(ListOf(path));
        tree->SelectedFolder()->SetIdList(place.Get());
        return tree->Selected();
    }
    void FireDelay() { tree->DelayTimerForTest().Window().Perform(WM_TIMER, TTimer::kTimerId); }
    // Waits for the watcher's message and returns the refresh delay it set.
    int AwaitChange() {
        EXPECT_TRUE(PumpUntil([&] { return tree->PendingActionForTest() == tree->daRefresh; }));
        return tree->DelayTimerForTest().Interval();
    }

    RecordingList list;
    TCustomForm* form;
    TRzShellTree* tree;
    std::vector<MessageBoxRequest> boxes;
};
