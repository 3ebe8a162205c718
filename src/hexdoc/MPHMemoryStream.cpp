#include "hexdoc/MPHMemoryStream.h"

#include <cstring>

#include "hexdoc/MPHexEditorError.h"

void TMPHMemoryStream::Move(std::int32_t from, std::int32_t to, std::int32_t count) {
    if (count > 0)
        std::memmove(PointerAt(to), PointerAt(from), static_cast<std::size_t>(count));
}

void TMPHMemoryStream::CheckBounds(std::int64_t endPosition) const {
    if (endPosition < 0 || endPosition > MemorySize())
        throw EMPHexEditor(mphmsg::kOutOfBounds);
}
