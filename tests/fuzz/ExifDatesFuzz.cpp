// Reads one input as a photo's first bytes for the date its EXIF carries.
// Nothing may crash or read outside the input, and a date found is a real
// date text.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/ExifDates.h"

namespace {

class TInputBytes : public IByteSource {
  public:
    TInputBytes(const std::uint8_t* data, std::size_t size)
        : data_(data), size_(static_cast<int>(std::min<std::size_t>(size, 1 << 24))) {}
    int Size() const override { return size_; }
    std::uint8_t Get(int position) const override {
        if (position < 0 || position >= size_)
            std::abort();
        return data_[position];
    }

  private:
    const std::uint8_t* data_;
    int size_;
};

bool IsDateText(const std::string& text) {
    if (text.size() != 19)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (i == 4 || i == 7 || i == 13 || i == 16 ? text[i] != ':'
            : i == 10                              ? text[i] != ' '
                                                   : !digit)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> date = ExifDateTaken(TInputBytes(data, size));
    if (date && !IsDateText(*date))
        std::abort();
    return 0;
}
