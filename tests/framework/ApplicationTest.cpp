#include "framework/Application.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <vector>

#include "framework/Exception.h"

TEST(ExceptionBoxText, AddsFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ExceptionBoxText("Stream read error"), "Stream read error.");
    EXPECT_EQ(ExceptionBoxText("Done."), "Done.");
    EXPECT_EQ(ExceptionBoxText("(Permission denied)"), "(Permission denied)");
    EXPECT_EQ(ExceptionBoxText(""), "");
    EXPECT_EQ(ExceptionBoxText("a-"), "a-");
    EXPECT_EQ(ExceptionBoxText("файлов"), "файлов.");
}

TEST(Application, BoxesCarryTitleAndIcon) {
    std::vector<MessageBoxRequest> shown;
    Application->Title = "KadrimarkExif";
    Application->SetPresenterForTest([&](const MessageBoxRequest& r) { shown.push_back(r); });
    Application->ShowMessage("hello");
    Application->ShowException(Exception("Cannot save readonly file /x/y.jpg"));
    Application->SetPresenterForTest({});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Text, "hello");
    EXPECT_EQ(shown[0].Caption, "KadrimarkExif");
    EXPECT_EQ(shown[0].Icon, MessageBoxIcon::None);
    EXPECT_EQ(shown[1].Text, "Cannot save readonly file /x/y.jpg.");
    EXPECT_EQ(shown[1].Icon, MessageBoxIcon::Stop);
}

TEST(Application, HandleExceptionsShowsFailuresButNotSilentAborts) {
    std::vector<MessageBoxRequest> shown;
    Application->SetPresenterForTest([&](const MessageBoxRequest& r) { shown.push_back(r); });
    int ran = 0;
    Application->HandleExceptions([&] { ++ran; });
    Application->HandleExceptions([] { throw EAbort(); });
    Application->HandleExceptions([] { throw Exception("Cannot open x"); });
    Application->SetPresenterForTest({});
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Cannot open x.");
    EXPECT_EQ(shown[0].Icon, MessageBoxIcon::Stop);
}

TEST(TestScreen, FitsTheMainWindow) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_GE(screen->geometry().width(), 1280);
    EXPECT_GE(screen->geometry().height(), 1000);
}

TEST(ApplicationHints, ListenersHearEveryHintAndMayLeaveWhileCalled) {
    TApplication application;
    EXPECT_TRUE(application.ShowHint);
    int first = 0, second = 0;
    const int keyA = 0, keyB = 0;
    application.AddHintListener(&keyA, [&](const std::string&) {
        ++first;
        application.RemoveHintListener(&keyA);
        application.RemoveHintListener(&keyB);
    });
    application.AddHintListener(&keyB, [&](const std::string&) { ++second; });
    application.SetHint("Rename");
    EXPECT_EQ(application.Hint(), "Rename");
    application.SetHint("Delete");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}
