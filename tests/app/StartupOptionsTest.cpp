#include "app/StartupOptions.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "support/TempDir.h"

TEST(StartupOptionsTest, CommandLines) {
    std::string cwd = std::filesystem::current_path().string();
    struct Case {
        std::vector<std::string> args;
        bool help;
        std::string folder;
        bool error;
    };
    const Case cases[] = {
        {{}, false, "", false},
        {{"--help"}, true, "", false},
        {{"-h"}, true, "", false},
        {{"/photos/2007/"}, false, "/photos/2007", false},
        {{"/photos/./a/../2007"}, false, "/photos/2007", false},
        {{"/"}, false, "/", false},
        {{"album"}, false, cwd + "/album", false},
        {{"--", "-odd name"}, false, cwd + "/-odd name", false},
        {{"--", "--help"}, false, cwd + "/--help", false},
        {{"-x"}, false, "", true},
        {{"a", "b"}, false, "", true},
        {{""}, false, "", true},
    };
    for (const Case& c : cases) {
        TStartupOptions options = ParseStartupOptions(c.args);
        std::string line = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(options.Help, c.help) << line;
        EXPECT_EQ(options.Folder, c.folder) << line;
        EXPECT_EQ(!options.Error.empty(), c.error) << line;
    }
}

TEST(StartupOptionsTest, FolderProblemNamesWhatIsWrong) {
    TempDir dir;
    WriteFileBytes(dir.File("photo.jpg"), "x");
    EXPECT_EQ(FolderProblem(dir.Path()), "");
    EXPECT_EQ(FolderProblem(dir.File("photo.jpg")), "Not a directory");
    EXPECT_EQ(FolderProblem(dir.File("gone")), "No such file or directory");
}

// The real program answers --help and a wrong command line without a display.
TEST(StartupOptionsTest, ProgramHelpAndUsageExitCodes) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* text;
    };
    const Case cases[] = {{{"--help"}, 0, "Usage: kadrimarkexif [FOLDER]"},
                          {{"--bogus"}, 2, "unknown option --bogus"}};
    for (const Case& c : cases) {
        QProcess program;
        program.start(KADRIMARK_WINDOW_EXE, c.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), c.exitCode);
        QByteArray output = program.readAllStandardOutput() + program.readAllStandardError();
        EXPECT_TRUE(output.contains(c.text)) << output.toStdString();
    }
}

// A folder that cannot be opened leaves the window on the desktop; standard
// error says which and why.
TEST(StartupOptionsTest, ProgramStartsOnTheDesktopWhenTheFolderIsMissing) {
    TempDir dir;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setReadChannel(QProcess::StandardError);
    program.start(KADRIMARK_WINDOW_EXE, {QString::fromStdString(dir.File("gone"))});
    std::string expected =
        dir.File("gone") + ": No such file or directory; starting on the desktop";
    QByteArray said;
    while (!said.contains(expected.c_str()) && program.waitForReadyRead(30000))
        said += program.readAllStandardError();
    EXPECT_TRUE(said.contains(expected.c_str())) << said.toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);  // the window is up
    program.kill();
    program.waitForFinished(30000);
}

// Without a display the window program says so in one line and exits 1:
// none set, or one that does not answer, for the desktop's usual platforms.
TEST(StartupOptionsTest, WithoutADisplayOneLineAndStatus1) {
    struct Case {
        QString platform;  // empty: the default
        QString display;   // empty: not set
        QByteArray said;
    };
    const Case cases[] = {
        {"", "", "kadrimarkexif: cannot open the display (DISPLAY is not set)\n"},
        {"xcb", ":97", "kadrimarkexif: cannot open the display \":97\"\n"},
        {"wayland", "", "kadrimarkexif: cannot open the display (DISPLAY is not set)\n"},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        if (!c.platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", c.platform);
        if (!c.display.isEmpty())
            environment.insert("DISPLAY", c.display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(KADRIMARK_WINDOW_EXE, {});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.platform.toStdString();
        EXPECT_EQ(program.exitCode(), 1) << c.platform.toStdString();
        EXPECT_EQ(program.readAllStandardOutput() + program.readAllStandardError(), c.said);
    }
}
