#include "hexdoc/MPHTranslation.h"

namespace {

struct Names {
    const char* Long;
    const char* Short;
};

constexpr Names kNames[] = {
    {"Windows", "WIN"},   {"Dos 8 Bit", "DOS"},          {"ASCII 7 Bit", "ASC"},
    {"Macintosh", "MAC"}, {"EBCDIC Codepage 38", "BCD"}, {"Custom Translation", "Cust"},
};

}  // namespace

const char* TranslationLongName(TMPHTranslationKind kind) {
    return kNames[kind].Long;
}

const char* TranslationShortName(TMPHTranslationKind kind) {
    return kNames[kind].Short;
}
