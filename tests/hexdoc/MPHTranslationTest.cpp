#include "hexdoc/MPHTranslation.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "hexdoc/MPHDocument.h"
#include "hexdoc/MPHexEditorError.h"
#include "support/MessageOf.h"

namespace {

using BytePairs = std::vector<std::pair<int, int>>;

// Checks data byte -> shown character and back for each pair under `kind`.
void ExpectPairs(TMPHTranslationKind kind, const BytePairs& pairs) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetTranslation(kind);
    for (auto [data, shown] : pairs) {
        EXPECT_EQ(view.TranslateToShown(data), shown) << TranslationShortName(kind) << " " << data;
        EXPECT_EQ(view.TranslateToData(shown), data) << TranslationShortName(kind) << " " << shown;
    }
}

}  // namespace

TEST(Translation, FixedTablesAreBijectionsBothWays) {
    for (const TMPHTranslationTable* table :
         {&OemAnsiTranslation(), &MacTranslation(), &Ebcdic038Translation()}) {
        for (int b = 0; b < 256; ++b) {
            EXPECT_EQ(table->ToData[table->ToShown[b]], b);
            EXPECT_EQ(table->ToShown[table->ToData[b]], b);
        }
    }
}

TEST(Translation, AsIsAndDos8KeepControlsAndAsciiUnchanged) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    for (TMPHTranslationKind kind : {tkAsIs, tkDos8}) {
        view.SetTranslation(kind);
        for (int b = 0; b < 128; ++b) {
            EXPECT_EQ(view.TranslateToShown(b), b);
            EXPECT_EQ(view.TranslateToData(b), b);
        }
    }
    view.SetTranslation(tkAsIs);
    EXPECT_EQ(view.TranslateToShown(0xB0), 0xB0);
}

TEST(Translation, Dos8ShowsOemLettersAsTheirAnsiLetters) {
    // А п р я Ё ё Ї ° № nbsp.
    ExpectPairs(tkDos8, {{0x80, 0xC0},
                         {0xAF, 0xEF},
                         {0xE0, 0xF0},
                         {0xEF, 0xFF},
                         {0xF0, 0xA8},
                         {0xF1, 0xB8},
                         {0xF4, 0xAF},
                         {0xF8, 0xB0},
                         {0xFC, 0xB9},
                         {0xFF, 0xA0}});
}

TEST(Translation, Dos8BoxDrawingNeverShowsAsALetter) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetTranslation(tkDos8);
    for (int b = 0xB0; b <= 0xDF; ++b) {
        EXPECT_GE(view.TranslateToShown(b), 0x80) << b;
        EXPECT_LT(view.TranslateToShown(b), 0xC0) << b;
    }
}

TEST(Translation, MacRomanSignsShowAsTheSameAnsiSigns) {
    // † ° • © ™ « … nbsp – — “ € ‰.
    ExpectPairs(tkMac, {{0xA0, 0x86},
                        {0xA1, 0xB0},
                        {0xA5, 0x95},
                        {0xA9, 0xA9},
                        {0xAA, 0x99},
                        {0xC7, 0xAB},
                        {0xC9, 0x85},
                        {0xCA, 0xA0},
                        {0xD0, 0x96},
                        {0xD1, 0x97},
                        {0xD2, 0x93},
                        {0xDB, 0x88},
                        {0xE4, 0x89},
                        {'A', 'A'}});
}

TEST(Translation, Ebcdic038LettersDigitsAndControls) {
    ExpectPairs(tkBCD, {{0xC1, 'A'},
                        {0xE9, 'Z'},
                        {0x81, 'a'},
                        {0xA9, 'z'},
                        {0xF0, '0'},
                        {0xF9, '9'},
                        {0x40, ' '},
                        {0x4B, '.'},
                        {0x4A, '['},
                        {0xC0, '{'},
                        {0x6A, 0xA6},
                        {0x00, 0x00},
                        {0x05, '\t'},
                        {0x25, '\n'},
                        {0x0D, '\r'}});
}

TEST(Translation, AsciiMasksBytesOutsideSevenBitRange) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetTranslation(tkASCII);
    for (int b = 0; b < 256; ++b) {
        const bool shown = b >= 32 && b <= 127;
        EXPECT_EQ(view.TranslateToShown(b), shown ? b : '.') << b;
    }
    view.SetMaskChar('?');
    EXPECT_EQ(view.TranslateToShown(0x1F), '?');
    EXPECT_EQ(view.TranslateToShown(0x80), '?');
    EXPECT_EQ(view.TranslateToShown('?'), '?');
    EXPECT_EQ(view.TranslateToData('A'), 'A');
    EXPECT_EQ(view.TranslateToData(0xC0), 0xC0);
}

TEST(Translation, CustomTablesStartAsIdentityAndServeOnlyCustom) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetTranslation(tkCustom);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(view.TranslateToShown(b), b);
        EXPECT_EQ(view.TranslateToData(b), b);
    }
    // Upper-case shown for lower-case data, typed either way as lower case.
    TMPHTranslationTable tables = IdentityTranslation();
    for (int b = 'a'; b <= 'z'; ++b) {
        tables.ToShown[b] = static_cast<std::uint8_t>(b - 32);
        tables.ToData[b - 32] = static_cast<std::uint8_t>(b);
    }
    view.SetCustomTranslation(tables);
    EXPECT_EQ(view.TranslateToShown('q'), 'Q');
    EXPECT_EQ(view.TranslateToData('Q'), 'q');
    EXPECT_EQ(view.TranslateToData('q'), 'q');
    EXPECT_EQ(view.CustomTranslation().ToShown['z'], 'Z');
    view.SetTranslation(tkAsIs);
    EXPECT_EQ(view.TranslateToShown('q'), 'q');
}

TEST(Translation, UnicodeDisplayRefusesEveryTranslation) {
    TCustomMPHexEditor doc;
    TMPHPresentation& view = doc.Presentation();
    view.SetBytesPerUnit(2);
    view.SetUnicodeChars(true);
    for (TMPHTranslationKind kind : {tkDos8, tkASCII, tkMac, tkBCD, tkCustom}) {
        EXPECT_EQ(MessageOf<EMPHexEditor>([&] { view.SetTranslation(kind); }),
                  "Translations cannot be used in unicode mode");
        EXPECT_EQ(view.Translation(), tkAsIs);
    }
    EXPECT_EQ(view.TranslateToShown(0x80), 0x80);
}
