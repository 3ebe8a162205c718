#include "framework/MemoryStream.h"

#include <algorithm>
#include <cstring>

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
    std::int64_t available = Size() - position_;
    if (count <= 0 || available <= 0)
        return 0;
    auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, available));
    std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
    if (count <= 0)
        return 0;
    std::int64_t end = position_ + count;
    if (end > Size())
        bytes_.resize(static_cast<std::size_t>(end));
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::Beginning ? 0
                        : origin == TSeekOrigin::Current ? position_
                                                         : Size();
    position_ = std::max<std::int64_t>(0, base + offset);
    return position_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, newSize)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
}
