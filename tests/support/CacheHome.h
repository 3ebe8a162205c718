#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// The user's cache folder (XDG_CACHE_HOME) is `path` while this lives.
class CacheHomeAt {
  public:
    explicit CacheHomeAt(const std::string& path) {
        if (const char* old = std::getenv("XDG_CACHE_HOME"))
            old_ = old;
        setenv("XDG_CACHE_HOME", path.c_str(), 1);
    }
    ~CacheHomeAt() {
        if (old_)
            setenv("XDG_CACHE_HOME", old_->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }
    CacheHomeAt(const CacheHomeAt&) = delete;
    CacheHomeAt& operator=(const CacheHomeAt&) = delete;

  private:
    std::optional<std::string> old_;
};
