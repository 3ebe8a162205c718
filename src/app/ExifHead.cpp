#include "app/ExifHead.h"

#include <array>
#include <cstdint>

namespace {

constexpr int kHeadEnd = kExifHeadEnd;  // offsets 146 and on belong to the input
constexpr int kDateLength = 19;
// The shortest photo the stamp command takes (see StartsWithApp0), stamped.
constexpr int kShortestStamped = 20 + kExifHeadGrowth;
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

namespace {

bool IsDateSlot(int offset) {
    for (int slot : kDateOffsets) {
        if (offset >= slot && offset < slot + kDateLength)
            return true;
    }
    return false;
}

// "DDDD:DD:DD DD:DD:DD" with digits only.
bool IsDateText(const std::string& text) {
    for (int i = 0; i < kDateLength; ++i) {
        char expected = i == 10 ? ' ' : i == 4 || i == 7 || i == 13 || i == 16 ? ':' : '0';
        bool ok = expected == '0' ? text[i] >= '0' && text[i] <= '9' : text[i] == expected;
        if (!ok)
            return false;
    }
    return true;
}

std::string TextAt(const IByteSource& bytes, int offset) {
    std::string text;
    for (int i = 0; i < kDateLength; ++i)
        text += static_cast<char>(bytes.Get(offset + i));
    return text;
}

}  // namespace

std::optional<std::string> OwnExifHeadDate(const IByteSource& bytes) {
    const int size = bytes.Size();
    if (size < kShortestStamped)
        return std::nullopt;
    for (int i = 0; i < kHeadEnd; ++i) {
        if (!IsDateSlot(i) && bytes.Get(i) != kHead[i])
            return std::nullopt;
    }
    std::string date = TextAt(bytes, kDateOffsets[0]);
    if (!IsDateText(date) || TextAt(bytes, kDateOffsets[1]) != date ||
        TextAt(bytes, kDateOffsets[2]) != date)
        return std::nullopt;
    for (int i = size - kExifHeadGap; i < size; ++i) {
        if (bytes.Get(i) != 0)
            return std::nullopt;
    }
    return date;
}

std::string ExifHead(const std::string& dateText) {
    std::string head(kHead.begin(), kHead.end());
    for (int offset : kDateOffsets)
        head.replace(static_cast<std::size_t>(offset), kDateLength, dateText, 0, kDateLength);
    return head;
}
