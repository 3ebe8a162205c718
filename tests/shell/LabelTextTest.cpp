#include "shell/LabelText.h"

#include <gtest/gtest.h>

namespace {

// What a label edit hands back, from the name it started with and the text
// left in the box.
TEST(LabelTextTest, EditedName_KeepsEscapedBytesOnlyOfNamesShownWithEscapes) {
    const struct {
        std::string name;
        QString text;
        std::string renamed;
    } cases[] = {
        {"caf\xE9.txt", "caf\\xE9.txt", "caf\xE9.txt"},      // untouched
        {"caf\xE9.txt", "caf\\xE9-2.txt", "caf\xE9-2.txt"},  // edited elsewhere
        {"caf\xE9.txt", "cafe.txt", "cafe.txt"},             // typed over
        {"a\\xC3b.txt", "a\\xC3b.txt2", "a\\xC3b.txt2"},     // valid: "\x" is text
        {"photo.jpg", QString::fromUtf8("фото.jpg"), "фото.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EditedName(c.name, c.text), c.renamed) << c.name;
}

}  // namespace
