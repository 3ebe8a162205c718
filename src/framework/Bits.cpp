#include "framework/Bits.h"

namespace {

constexpr int kWordBits = 64;

}  // namespace

EBitsError::EBitsError() : Exception("Bits index out of range") {}

void TBits::SetSize(int size) {
    if (size < 0)
        throw EBitsError();
    words_.resize(static_cast<std::size_t>((size + kWordBits - 1) / kWordBits));
    // Bits cut off now must read clear should the array grow again.
    if (size % kWordBits != 0)
        words_.back() &= (std::uint64_t{1} << (size % kWordBits)) - 1;
    size_ = size;
}

bool TBits::Bit(int index) const {
    if (index < 0)
        throw EBitsError();
    if (index >= size_)
        return false;
    return (words_[static_cast<std::size_t>(index / kWordBits)] >> (index % kWordBits)) & 1;
}

void TBits::SetBit(int index, bool value) {
    if (index < 0)
        throw EBitsError();
    if (index >= size_)
        SetSize(index + 1);
    std::uint64_t mask = std::uint64_t{1} << (index % kWordBits);
    std::uint64_t& word = words_[static_cast<std::size_t>(index / kWordBits)];
    word = value ? word | mask : word & ~mask;
}
