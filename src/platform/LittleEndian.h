#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Little-endian integers in byte blocks, at any alignment.

template <class T>
T ReadLittle(const std::uint8_t* at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= std::uint64_t{at[i]} << (8 * i);
    return static_cast<T>(value);
}

// Writes over the bytes of `block` that start at `at`.
template <class T>
void PutLittle(std::string& block, std::size_t at, T value) {
    auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        block[at + i] = static_cast<char>(bits >> (8 * i));
}
