#include "app/ExifHead.h"

#include <array>
#include <cstdint>

namespace {

constexpr int kHeadEnd = 146;  // offsets 146 and on belong to the input
constexpr int kDateLength = 19;
constexpr std::array<int, 3> kDateOffsets = {50, 100, 120};

// Offsets 0-145 of the head with the date slots left zero.
constexpr std::array<std::uint8_t, kHeadEnd> HeadTemplate() {
    std::array<std::uint8_t, kHeadEnd> head{};
    constexpr std::uint8_t kFixed[][2] = {
        {0, 0xFF},   {1, 0xD8},   {2, 0xFF},  {3, 0xE1},  {5, 0x8C},  {6, 'E'},   {7, 'x'},
        {8, 'i'},    {9, 'f'},    {12, 0x49}, {13, 0x49}, {14, 0x2A}, {16, 0x08}, {20, 0x02},
        {22, 0x32},  {23, 0x01},  {24, 0x02}, {26, 0x14}, {30, 0x26}, {34, 0x69}, {35, 0x87},
        {36, 0x04},  {38, 0x01},  {42, 0x3A}, {70, 0x02}, {72, 0x03}, {73, 0x90}, {74, 0x02},
        {76, 0x14},  {80, 0x58},  {84, 0x04}, {85, 0x90}, {86, 0x02}, {88, 0x14}, {92, 0x6C},
        {144, 0xFF}, {145, 0xE0},
    };
    for (const auto& [offset, value] : kFixed)
        head[offset] = value;
    return head;
}

constexpr auto kHead = HeadTemplate();

}  // namespace

bool WriteExifHead(IByteBuffer& buffer, const std::string& dateText) {
    if (!buffer.OpenZeroGap(4, kExifHeadGap))
        return false;
    for (int i = 0; i < kHeadEnd; ++i) {
        if (kHead[i] != 0)
            buffer.Set(i, kHead[i]);
    }
    for (int offset : kDateOffsets) {
        for (int i = 0; i < kDateLength; ++i)
            buffer.Set(offset + i, static_cast<std::uint8_t>(dateText[i]));
    }
    return true;
}
