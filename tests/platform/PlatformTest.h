#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../support/TempDir.h"
#include "../support/Unprivileged.h"
#include "platform/ShellInterfaces.h"

// Base of the platform tests: a private home, desktop and data folder and a
// mount table of the test's own, set before each test. (Every test of the
// folder is also checked for id lists it did not give back.)
class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override;

    std::string Home() const { return root_.File("home"); }
    std::string Desktop() const { return root_.File("home/Desktop"); }
    std::string DataHome() const { return root_.File("data"); }
    std::string MountTable() const { return root_.File("mountinfo"); }
    // Writes the test's mount table (mountinfo lines) and points the layer at it.
    void UseMountTable(const std::string& lines);

    TempDir root_;

  private:
    long liveBlocksAtStart_ = 0;
};

// An owned id list, freed to the shell allocator at scope end.
class IdList {
  public:
    IdList() = default;
    explicit IdList(LPITEMIDLIST list) : list_(list) {}
    ~IdList();
    IdList(IdList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
    IdList(const IdList&) = delete;
    IdList& operator=(const IdList&) = delete;
    LPITEMIDLIST* Put();
    LPITEMIDLIST Get() const { return list_; }

  private:
    LPITEMIDLIST list_ = nullptr;
};

// A display name as text, whatever STRRET type the folder returned; the
// name block, if any, is released. "<failed>" when the call fails.
std::string NameOf(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags);

// The in-folder names of a folder's items, in the order enumeration gives.
std::vector<std::string> ListNames(IShellFolder* folder, DWORD flags);

// Makes a file (with the bytes) or a folder, creating parents.
void MakeFile(const std::string& path, const std::string& bytes = "");
void MakeFolder(const std::string& path);
