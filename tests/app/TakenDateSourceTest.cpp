#include "app/TakenDateSource.h"

#include <QAccessible>
#include <QHeaderView>
#include <QSettings>
#include <QTreeView>
#include <ctime>

#include "../shell/ShellListTestSupport.h"
#include "MovieFiles.h"
#include "PhotoFiles.h"
#include "app/MovieBoxes.h"

namespace {

constexpr int kTaken = 4;  // Name, Size, Type, Modified, Date taken

// The file list of the window's kind: its date column read by the stamp
// engine, in a fixed time zone, the videos option as a test sets it.
class TakenDatesTest : public ShellListTest {
  protected:
    TakenDatesTest() {
        setenv("TZ", "UTC", 1);
        tzset();
        SetVideosOption(false);
        list_.SetTakenDates(MakeTakenDateSource());
        list_.SetViewStyle(vsReport);
    }
    ~TakenDatesTest() override {
        QSettings(QStringLiteral("KadrimarkEXIF"), QStringLiteral("kadrimarkexif")).clear();
        unsetenv("TZ");
        tzset();
    }

    static void SetVideosOption(bool on) {
        QSettings(QStringLiteral("KadrimarkEXIF"), QStringLiteral("kadrimarkexif"))
            .setValue(QStringLiteral("stamp/videos"), on);
    }
    void ShowAndRead() {
        Show(folder_);
        ASSERT_EQ(list_.TakenColumn(), kTaken);
        ASSERT_TRUE(PumpUntil([this] { return list_.DatesPendingForTest() == 0; }));
    }
    int Row(const std::string& name) {
        const std::vector<std::string> names = Names();
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }
    QVariant Data(const std::string& name, int role) {
        return list_.Model()->index(Row(name), kTaken).data(role);
    }
    std::string Description(const std::string& name) {
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list_.ReportView());
        QAccessibleInterface* cell = view->tableInterface()->cellAt(Row(name), kTaken);
        return cell->text(QAccessible::Description).toStdString();
    }
};

std::string Movie(std::uint64_t creation) {
    MovieLayout layout;
    layout.time = creation;
    return MakeMovie(layout).bytes;
}

// What the column says of each kind of file, with the videos option off and
// on: the date a file carries plainly, the date the stamp would write in
// italics behind an arrow, nothing for the rest.
TEST_F(TakenDatesTest, ColumnShowsCarriedDatesAndDatesToBeWritten) {
    const std::uint64_t shot = MovieTimeFromUnix(1420167845);  // 2015-01-02 03:04:05 UTC
    Make("15-06-07_1230.jpg", PlainJpeg());
    Make("16-06-07_0800.jpg", StampedJpeg(PlainJpeg(), "2007:06:16 08:00:00"));
    Make("holiday.jpg", StampedJpeg(PlainJpeg(), "2010:01:02 03:04:05"));
    Make("beach.jpg", PlainJpeg());
    Make("17-06-07_0900.jpg", JpegWithExifAfterApp0());
    Make("notes.txt", "15-06-07_1230");
    Make("23-07-19_1845.3gp", Movie(0));
    Make("clip.mp4", Movie(shot));
    const std::string kWritten = "will be written by Добавить EXIF";
    const struct {
        std::string name;
        std::string text, textWithVideos;
        bool italic;
        std::string description;
    } kRows[] = {
        {"15-06-07_1230.jpg", "\u2192 2007-06-15 12:30:00", "\u2192 2007-06-15 12:30:00", true,
         "Date taken, to be written by Добавить EXIF"},
        {"16-06-07_0800.jpg", "2007-06-16 08:00:00", "2007-06-16 08:00:00", false,
         "Date taken, carried by the file"},
        {"holiday.jpg", "2010-01-02 03:04:05", "2010-01-02 03:04:05", false,
         "Date taken, carried by the file"},
        {"beach.jpg", "", "", false, "No date taken"},
        {"17-06-07_0900.jpg", "", "", false, "No date taken"},
        {"notes.txt", "", "", false, "No date taken"},
        {"23-07-19_1845.3gp", "", "\u2192 2019-07-23 18:45:00", false, "No date taken"},
        {"clip.mp4", "2015-01-02 03:04:05", "2015-01-02 03:04:05", false,
         "Date taken, carried by the file"},
    };
    ShowAndRead();
    for (const auto& row : kRows) {
        EXPECT_EQ(Data(row.name, Qt::DisplayRole).toString().toStdString(), row.text) << row.name;
        EXPECT_EQ(Data(row.name, Qt::FontRole).value<QFont>().italic(), row.italic) << row.name;
        EXPECT_EQ(Data(row.name, Qt::ToolTipRole).toString().toStdString(),
                  row.italic ? kWritten : "")
            << row.name;
        EXPECT_EQ(Description(row.name), row.description) << row.name;
    }
    SetVideosOption(true);
    list_.RereadTakenDates();
    ASSERT_TRUE(PumpUntil([this] { return list_.DatesPendingForTest() == 0; }));
    for (const auto& row : kRows)
        EXPECT_EQ(Data(row.name, Qt::DisplayRole).toString().toStdString(), row.textWithVideos)
            << row.name;
    EXPECT_TRUE(Data("23-07-19_1845.3gp", Qt::FontRole).value<QFont>().italic());
}

// A click on the column's header sorts by date, dateless files last in
// either direction; a file rewritten under its name shows its new date.
TEST_F(TakenDatesTest, SortingByTheColumnKeepsDatelessFilesLast) {
    Make("a-none.jpg", PlainJpeg());
    Make("b.jpg", StampedJpeg(PlainJpeg(), "2010:01:01 00:00:00"));
    Make("20-06-07_1230.jpg", PlainJpeg());
    Make("c.jpg", StampedJpeg(PlainJpeg(), "2001:01:01 00:00:00"));
    ShowAndRead();
    QHeaderView* header = list_.ReportView()->header();
    const QPoint onTaken(header->sectionViewportPosition(kTaken) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onTaken);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"c.jpg", "20-06-07_1230.jpg", "b.jpg", "a-none.jpg"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onTaken);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"b.jpg", "20-06-07_1230.jpg", "c.jpg", "a-none.jpg"}));

    Make("new.tmp", StampedJpeg(PlainJpeg(), "2020:01:01 00:00:00"));
    std::filesystem::rename(folder_ + "/new.tmp", folder_ + "/a-none.jpg");
    RefreshAfterChange();
    ASSERT_TRUE(PumpUntil([this] { return Data("a-none.jpg", Qt::DisplayRole) != QString(); }));
    EXPECT_EQ(Data("a-none.jpg", Qt::DisplayRole).toString().toStdString(), "2020-01-01 00:00:00");
}

// The column's width is kept like the others' from folder to folder.
TEST_F(TakenDatesTest, ColumnWidthCarriesToAnotherFolder) {
    ShowAndRead();
    list_.SetColumnWidth(kTaken, 210);
    Show(MakeHomeFolder("other"));
    EXPECT_EQ(list_.TakenColumn(), kTaken);
    EXPECT_EQ(list_.ReportView()->header()->sectionSize(kTaken), 210);
}

}  // namespace
