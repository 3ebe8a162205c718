#pragma once

// The character translation between data bytes and the characters the
// character column shows.
//
// Shown characters are single bytes in the program's ANSI character set,
// Windows code page 1251: the program's own texts are Russian and written in
// it, so that is the set its character column is drawn in. The OEM set that
// goes with it is the Russian DOS code page 866. Both are ASCII in 0..127.
//
// Every fixed table pairs two code pages byte for byte: a data byte and a
// shown byte that stand for the same character are partners; the bytes left
// over on either side (a character the other set lacks, or an unassigned
// cell) are paired in ascending order. So each table is a bijection: a byte
// shown and read back is the byte it was, and a character both sets have is
// shown as itself. Under tkDos8 the 48 box-drawing and block characters of
// 866 and its signs ∙ √ ■ have no 1251 counterpart and show as the 1251
// characters that have none in 866 (Ђ Ѓ ‚ ѓ ...), rather than collapsing to
// one substitute.
//
// Sources of the code page data (MPHTranslation.cpp): IBM code page 866 and
// Windows code page 1251 as published by their vendors; Mac OS Roman as in
// Apple's mapping table (0xDB is the euro sign, 0xF0 the Apple logo in the
// private use area); EBCDIC code page 038 ("EBCDIC-INT", the EBCDIC layout of
// the ASCII repertoire) as in IBM's 3174 Character Set Reference,
// GA27-3831-02, with its 96 unassigned cells left unassigned.

#include <array>
#include <cstdint>

// tkAsIs shows bytes unchanged. tkDos8 converts OEM (866) data to ANSI (1251)
// characters for bytes above 31. tkASCII does the same for bytes 32 to 127
// and shows every other byte as the mask character. tkMac pairs Mac OS Roman
// with 1251, tkBCD EBCDIC code page 038 with 1251. tkCustom uses the
// document's own tables, which start as the identity.
enum TMPHTranslationKind { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };

// "WIN", "DOS", "ASC", "MAC", "BCD", "Cust".
const char* TranslationShortName(TMPHTranslationKind kind);

// A translation in both directions: ToShown[data byte] is the character shown
// for it, ToData[shown character] the data byte typed for it. The fixed
// tables are each other's inverse; custom tables need not be.
struct TMPHTranslationTable {
    std::array<std::uint8_t, 256> ToShown;
    std::array<std::uint8_t, 256> ToData;
};

// Both directions unchanged: tkAsIs, and where custom tables start.
const TMPHTranslationTable& IdentityTranslation();
// The fixed tables of tkDos8 (also used by tkASCII in 32..127), tkMac and
// tkBCD.
const TMPHTranslationTable& OemAnsiTranslation();
const TMPHTranslationTable& MacTranslation();
const TMPHTranslationTable& Ebcdic038Translation();

// The character shown for `dataByte` under `kind`; `custom` serves tkCustom
// and `maskChar` the bytes tkASCII does not show.
std::uint8_t TranslateToShown(TMPHTranslationKind kind, std::uint8_t dataByte,
                              const TMPHTranslationTable& custom, std::uint8_t maskChar);
// The data byte for a shown character under `kind`. Under tkASCII characters
// outside 32..127 are taken as they are: they name no byte of their own.
std::uint8_t TranslateToData(TMPHTranslationKind kind, std::uint8_t shownChar,
                             const TMPHTranslationTable& custom);
