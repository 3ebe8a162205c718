#include "platform/FileTypes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QMimeDatabase>

namespace {

std::string DatabaseTypeOf(const std::string& name) {
    return QMimeDatabase()
        .mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension)
        .comment()
        .toStdString();
}

// Types are kept per suffix; a name whose type depends on more than its suffix
// must still get its own. Each pair asks the plain name first, so that its
// suffix is already known when the other name comes.
TEST(FileTypesTest, TypeNames_AreTheDatabasesEvenWhenMoreThanTheSuffixDecides) {
    const std::pair<std::string, std::string> kPairs[] = {
        {"a.xml", "pom.xml"},      {"a.am", "Makefile.am"},
        {"a.gz", "photos.tar.gz"}, {"a.vdr", "001.vdr"},
        {"notes", "Makefile"},     {"a.txt", "CMakeLists.txt"},
        {"a.txt", "notes.txt~"},   {"IMG.JPG", "01-06-07_1200.jpg"},
        {".jpg", "x.jpg"}};
    for (const auto& [plain, other] : kPairs)
        for (const std::string& name : {plain, other})
            EXPECT_EQ(TypeNameOfEntry("/", S_IFREG | 0644, name), DatabaseTypeOf(name)) << name;
    EXPECT_FALSE(SameTypeByName("a.xml", "pom.xml"));
    EXPECT_TRUE(SameTypeByName("a.jpg", "b.jpg"));
}

}  // namespace
