#include "framework/Stream.h"

#include <algorithm>
#include <vector>

#include "framework/StreamErrors.h"

std::int64_t TStream::Size() {
    std::int64_t position = Position();
    std::int64_t size = Seek(0, TSeekOrigin::End);
    SetPosition(position);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError();
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    constexpr std::int64_t kBlock = 61440;
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> block(static_cast<std::size_t>(std::min(count, kBlock)));
    for (std::int64_t left = count; left > 0;) {
        auto n = static_cast<std::int32_t>(std::min(left, kBlock));
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        left -= n;
    }
    return count;
}
