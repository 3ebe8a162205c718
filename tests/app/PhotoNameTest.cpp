#include "app/PhotoName.h"

#include <gtest/gtest.h>

TEST(PhotoName, AcceptsRealMomentsInTheCameraForm) {
    EXPECT_TRUE(IsPhotoName("15-06-07_1230.jpg"));
    EXPECT_TRUE(IsPhotoName("15-06-07_1230"));  // exactly 13 characters
    EXPECT_TRUE(IsPhotoName("29-02-24_2359.JPG"));
    EXPECT_TRUE(IsPhotoName("29-02-00_0000.jpg"));  // 2000 is a leap year
    EXPECT_TRUE(IsPhotoName("31-12-99_2359.mp4"));  // the name alone decides here
}

TEST(PhotoName, PassesOverNamesThatAreNoMoment) {
    for (const char* name : {
             "ab-cd-ef_ghij.jpg",  // separators alone are not enough
             "29-02-23_1200.jpg",  // no 29 February in 2023
             "31-04-07_1200.jpg",  // April has 30 days
             "00-01-07_1200.jpg",  // day 0
             "15-13-07_1200.jpg",  // month 13
             "15-00-07_1200.jpg",  // month 0
             "15-06-07_2400.jpg",  // hour 24
             "15-06-07_1260.jpg",  // minute 60
             "15-06-07_123.jpg",   // c13 is '.'
             "15-06-07_123",       // 12 characters
             "15-06-07",           // fewer than 9
             "",                   // item without a file-system path
             "15_06-07_1230.jpg",  // c3 not '-'
             "15-06_07_1230.jpg",  // c6 not '-'
             "15-06-07-1230.jpg",  // c9 not '_'
             "1 -06-07_1230.jpg",  // blank in a date position
         }) {
        EXPECT_FALSE(IsPhotoName(name)) << name;
    }
}

TEST(PhotoName, DateTextTakesBothYearDigits) {
    EXPECT_EQ(PhotoDateText("15-06-07_1230.jpg"), "2007:06:15 12:30:00");
    EXPECT_EQ(PhotoDateText("31-12-99_2359.jpg"), "2099:12:31 23:59:00");
    EXPECT_EQ(PhotoDateText("01-01-13_0000.jpg"), "2013:01:01 00:00:00");
}
