#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

// A folder of `files` empty files named as the phone names them, made below
// `parent` for a benchmark; returns its path. Mostly photos, with a few other
// types mixed in, as a camera folder holds.
inline std::string MakeFolder(const std::string& parent, int files) {
    std::string folder = parent + "/files-" + std::to_string(files);
    std::filesystem::create_directories(folder);
    const char* const kSuffixes[] = {"jpg", "jpg", "jpg", "mp4", "png", "txt", "tar.gz"};
    char name[40];
    for (int i = 0; i < files; ++i) {
        std::snprintf(name, sizeof name, "/%02d-06-07_%04d.%s", i % 28 + 1, i, kSuffixes[i % 7]);
        int fd = open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            close(fd);
    }
    return folder;
}
