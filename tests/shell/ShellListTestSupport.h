#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "framework/Application.h"
#include "platform/ShellClipboard.h"
#include "shell/ListItemModel.h"
#include "shell/ShellLinks.h"
#include "shell/ShellList.h"

// What the file list's tests share: a list over a folder of the test's own,
// a folder tree double, and, for the commands, a clean clipboard and
// prompts that agree to everything.

// A folder tree double that records what the list asks of it.
class RecordingTree : public TComponent, public IShellTreeLink {
  public:
    RecordingTree() : TComponent(nullptr) {}
    TComponent* LinkComponent() override { return this; }
    TRzShellLocator* SelectedFolder() override { return &selected; }
    void SelectAncestor(int levels) override { ancestorRequests.push_back(levels); }
    void FlushPending(bool flushLinkedList) override {
        flushes.push_back(flushLinkedList);
        if (onFlush)
            onFlush();
    }

    TRzShellLocator selected;
    // The tree's pending action, carried out by a flush.
    std::function<void()> onFlush;
    std::vector<int> ancestorRequests;
    std::vector<bool> flushes;
};

class ShellListTest : public ShellTest {
  protected:
    ShellListTest() : folder_(MakeHomeFolder("list")) {
        list_.SetBounds(0, 0, 640, 480);
        list_.Widget()->show();
        list_.OnFillComplete = [this](TObject*) { ++fills_; };
        Application->SetPresenterForTest(
            [this](const MessageBoxRequest& box) { boxes_.push_back(box.Text); });
    }
    ~ShellListTest() override {
        Application->SetPresenterForTest({});
        std::filesystem::remove_all(folder_);
    }

    void Make(const std::string& name, const std::string& bytes = "x") {
        WriteFileBytes(folder_ + "/" + name, bytes);
    }
    void Show(const std::string& path) {
        OwnedIdList place(ListOf(path));
        list_.SetFolderIdList(place.Get());
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < list_.ItemCount(); ++i)
            names.push_back(list_.ShellListData(i)->FileName());
        return names;
    }
    std::string Cell(int row, int column) {
        return list_.Model()->index(row, column).data().toString().toStdString();
    }
    // Waits for the watcher's message, then runs the refresh timer as if it
    // had expired.
    void RefreshAfterChange() {
        ASSERT_TRUE(
            PumpUntil([this] { return list_.Window().HasTimer(TRzShellList::kRefreshTimer); }));
        list_.Perform(WM_TIMER, TRzShellList::kRefreshTimer);
    }

    std::string folder_;
    TRzShellList list_{nullptr};
    int fills_ = 0;
    std::vector<std::string> boxes_;
};

class ShellListCommandTest : public ShellListTest {
  protected:
    ShellListCommandTest() { ClearClipboard(); }
    ~ShellListCommandTest() override { ClearClipboard(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(list_.ActiveView(), static_cast<Qt::Key>(key), modifiers);
    }
    void SelectOnly(const std::string& name) {
        list_.ClearSelection();
        const std::vector<std::string> names = Names();
        const int index =
            static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        ASSERT_LT(index, list_.ItemCount()) << name;
        list_.SetSelected(index, true);
        list_.SetFocusedIndex(index);
    }

    RecordingPrompts prompts_;
    TShellPromptsScope scope_{prompts_};
};
