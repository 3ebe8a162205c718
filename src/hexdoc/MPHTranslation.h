#pragma once

// The character translation between data bytes and the characters the
// character column shows.
enum TMPHTranslationKind { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };

// "Windows", "Dos 8 Bit", "ASCII 7 Bit", "Macintosh", "EBCDIC Codepage 38",
// "Custom Translation".
const char* TranslationLongName(TMPHTranslationKind kind);
// "WIN", "DOS", "ASC", "MAC", "BCD", "Cust".
const char* TranslationShortName(TMPHTranslationKind kind);
