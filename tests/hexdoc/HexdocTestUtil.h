#pragma once

#include <string>

#include "framework/MemoryStream.h"
#include "hexdoc/MPHDocument.h"

// Fills a document from bytes, as a load from a stream does.
inline void LoadBytes(TCustomMPHexEditor& doc, const std::string& bytes) {
    TMemoryStream source;
    source.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    doc.LoadFromStream(source);
}

// The document's bytes.
inline std::string Bytes(const TCustomMPHexEditor& doc) {
    return std::string(reinterpret_cast<const char*>(doc.Store().Memory()),
                       static_cast<std::size_t>(doc.DataSize()));
}

// n bytes that differ from their neighbours and from zero.
inline std::string Pattern(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(0x11 + (i * 37) % 0xEE);
    return bytes;
}
