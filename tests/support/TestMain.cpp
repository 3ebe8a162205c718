// Every test executable starts here: Qt runs headless on a screen large enough
// for the 940-pixel main window, and locale, time zone, the user's cache
// folder and the shared data folders are fixed so that no test depends on the
// machine it runs on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TempDir.h"

namespace {

std::string WriteScreenConfig(const TempDir& dir) {
    std::string path = dir.File("offscreen.json");
    std::ofstream(path) << R"({"screens": [{"name": "test", "x": 0, "y": 0,
        "width": 1600, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96,
        "dpr": 1}]})";
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    TempDir configDir;
    // The user's cache (where originals may be kept) is the tests' own.
    setenv("XDG_CACHE_HOME", configDir.File("cache").c_str(), 1);
    // The machine's programs never claim the tests' files: the shared data
    // folders hold only the icon themes and the MIME database.
    const std::string shared = configDir.File("share");
    mkdir(shared.c_str(), 0700);
    for (const char* kept : {"icons", "mime"})
        symlink((std::string("/usr/share/") + kept).c_str(), (shared + "/" + kept).c_str());
    setenv("XDG_DATA_DIRS", shared.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", configDir.File("xdg").c_str(), 1);
    // Plain "offscreen" (as the test script exports it) gets the large screen too.
    const char* requested = getenv("QT_QPA_PLATFORM");
    if (requested == nullptr || std::string(requested) == "offscreen") {
        std::string platform = "offscreen:configfile=" + WriteScreenConfig(configDir);
        setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }
    setenv("TZ", "UTC", 1);
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("LANGUAGE");

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
