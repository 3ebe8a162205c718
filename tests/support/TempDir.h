#pragma once

#include <set>
#include <string>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Writes bytes to a file, replacing it; reads a whole file. Test helpers.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// The names in a folder, hidden ones included.
std::set<std::string> NamesIn(const std::string& folder);
