#pragma once

#include "platform/PromptsInForce.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "../support/TempDir.h"
#include "shell/IdLists.h"

// Shell tests run in a home of their own: HOME, the XDG folders and the Trash
// live in a temporary folder made before the first test, so the namespace never
// shows the machine's own folders. Every test checks that it leaves no item id
// list allocated.

// The temporary home and its desktop folder.
const std::string& TestHome();
const std::string& TestDesktop();

// The check runs when the fixture is destroyed, after the derived fixture's
// members have released what they hold.
// A new, empty folder in the test home whose name starts with `prefix`.
std::string MakeHomeFolder(const std::string& prefix);

class ShellTest : public ::testing::Test {
  protected:
    ShellTest();
    ~ShellTest() override;

  private:
    long liveAtStart_;
};

// Owns one id list for the length of a test scope.
class OwnedIdList {
  public:
    explicit OwnedIdList(LPITEMIDLIST list = nullptr) : list_(list) {}
    ~OwnedIdList() { FreeIdList(list_); }
    OwnedIdList(const OwnedIdList&) = delete;
    OwnedIdList& operator=(const OwnedIdList&) = delete;

    LPITEMIDLIST Get() const { return list_; }
    LPITEMIDLIST* Out() {
        FreeIdList(list_);
        list_ = nullptr;
        return &list_;
    }

  private:
    LPITEMIDLIST list_;
};

// The absolute list of a path (a test failure, and null, when it has none).
LPITEMIDLIST ListOf(const std::string& path);

// A mount table of the test's own, with "/" on /dev/sda1, that the platform
// reads instead of the system's while the object lives.
class TestMountTable {
  public:
    static constexpr const char* kRootMount =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
    TestMountTable();
    ~TestMountTable();
    // Rewrites the table: the root mount followed by `lines`.
    void Write(const std::string& lines);
    // A folder the test may mount things at.
    const std::string& Folder() const { return dir_.Path(); }

  private:
    TempDir dir_;
    std::string path_;
};

// A list built from items given by their opaque bytes.
LPITEMIDLIST MakeIdList(std::initializer_list<std::string> items);
// The list's bytes, terminator included.
std::string IdListBytes(LPCITEMIDLIST list);

// Pumps the application's messages until `done` holds or `timeoutMs` passes;
// returns whether it held. Generous time-outs keep loaded machines green.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// Whether `folder` is the desktop: only the desktop parses absolute paths into
// the lists PathToIdList gives.
bool IsDesktopFolder(IShellFolder* folder);

// Prompts that agree to everything and record what would reach the desktop.
class RecordingPrompts final : public IShellPrompts {
  public:
    bool ConfirmDelete(const std::vector<std::string>& paths, bool) override {
        confirmed.insert(confirmed.end(), paths.begin(), paths.end());
        return true;
    }
    TClashAnswer AskClash(const std::string&, bool) override { return TClashAnswer::Skip; }
    DWORD ChooseDropEffect(DWORD allowed, DWORD suggested) override {
        dropMenus.push_back({allowed, suggested});
        return suggested;
    }
    bool ConfirmOpen(std::size_t count) override {
        openCounts.push_back(count);
        return openMany;
    }
    bool OpenWithDefault(const std::string& path) override {
        opened.push_back(path);
        return openable;
    }
    void StartPrograms(const std::vector<std::vector<std::string>>& commands) override {
        ran.insert(ran.end(), commands.begin(), commands.end());
    }
    bool RunProgram(const std::vector<std::string>& command) override {
        ran.push_back(command);
        return true;
    }
    void ShowProperties(const std::vector<std::string>&) override {}
    void ReportError(const std::string& text) override {
        errors.push_back(text);
        if (onError)
            onError();
    }

    bool openable = true;  // whether the desktop has a program for what is opened
    bool openMany = true;  // the answer to opening many items
    std::vector<std::size_t> openCounts;
    std::function<void()> onError;  // while an error is shown
    std::vector<std::string> confirmed, opened, errors;
    std::vector<std::pair<DWORD, DWORD>> dropMenus;  // allowed, suggested
    std::vector<std::vector<std::string>> ran;
};
