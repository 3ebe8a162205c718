#include "app/Unit1.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <vector>

#include "PhotoFiles.h"
#include "framework/Application.h"
#include "support/TempDir.h"

namespace {

class Form1Test : public ::testing::Test {
  protected:
    Form1Test() {
        Application->Title = "KadrimarkExif";
        Application->SetPresenter([this](const MessageBoxRequest& box) { boxes.push_back(box); });
        form.ChooseFolder = [this] {
            ++folderQuestions;
            return folder;
        };
        form.show();
    }
    ~Form1Test() override { Application->SetPresenter({}); }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Makes `action` happen during the stamp run's first pump step.
    void DuringTheRun(std::function<void()> action) { QTimer::singleShot(0, &form, action); }

    TempDir dir;
    std::string folder = dir.Path();
    int folderQuestions = 0;
    std::vector<MessageBoxRequest> boxes;
    TForm1 form;
};

}  // namespace

TEST_F(Form1Test, OpensWithItsCaptionPlaceSizeAndIcon) {
    EXPECT_EQ(Form1, &form);
    EXPECT_EQ(form.windowTitle().toStdString(), "KadrimarkEXIF");
    EXPECT_EQ(form.pos(), QPoint(208, 211));
    EXPECT_EQ(form.size(), QSize(940, 606));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_FALSE(form.KvtXPProgressBar1->isVisible());
    EXPECT_EQ(form.Hex2.DataSize(), 0);
}

TEST_F(Form1Test, AuthorShowsAPlainBoxAndChangesNothing) {
    Click(form.RzToolButton2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Автор: команда KadrimarkEXIF");
    EXPECT_EQ(boxes[0].Caption, "KadrimarkExif");
    EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::None);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(Form1Test, ExitClosesTheWindow) {
    Click(form.RzToolButton3);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Form1Test, StampStampsTheChosenFolder) {
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 1 файлов");
    EXPECT_EQ(ReadFileBytes(dir.File("15-06-07_1230.jpg")).size(), PlainJpeg().size() + 284);
    EXPECT_FALSE(form.KvtXPProgressBar1->isVisible());
    EXPECT_EQ(form.KvtXPProgressBar1->value(), 0);

    folder.clear();  // the dialog cancelled
    Click(form.RzToolButton1);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Form1Test, ErrorEndsTheRunInTheStopBox) {
    WriteFileBytes(dir.File("15-06-07_1230.jpg"), PlainJpeg());
    ASSERT_EQ(chmod(dir.File("15-06-07_1230.jpg").c_str(), 0444), 0);
    Click(form.RzToolButton1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Cannot save readonly file " + dir.File("15-06-07_1230.jpg") + ".");
    EXPECT_EQ(boxes[0].Icon, MessageBoxIcon::Stop);
    EXPECT_TRUE(form.KvtXPProgressBar1->isVisible());
}

TEST_F(Form1Test, StampClickedDuringARunDoesNothing) {
    WriteFileBytes(dir.File("01-01-07_0000.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("02-01-07_0000.jpg"), PlainJpeg());
    DuringTheRun([this] { Click(form.RzToolButton1); });
    Click(form.RzToolButton1);
    EXPECT_EQ(folderQuestions, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "EXIF Info добавлено в: 2 файлов");
}

TEST_F(Form1Test, ClosingDuringARunEndsItAfterTheCurrentFileThenCloses) {
    WriteFileBytes(dir.File("01-01-07_0000.jpg"), PlainJpeg());
    WriteFileBytes(dir.File("02-01-07_0000.jpg"), PlainJpeg());
    DuringTheRun([this] { Click(form.RzToolButton3); });
    Click(form.RzToolButton1);
    EXPECT_TRUE(form.isVisible());  // not closed under the running command
    QApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ReadFileBytes(dir.File("01-01-07_0000.jpg")).size(), PlainJpeg().size() + 284);
    EXPECT_EQ(ReadFileBytes(dir.File("02-01-07_0000.jpg")), PlainJpeg());
}
