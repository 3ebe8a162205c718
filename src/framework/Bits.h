#pragma once

#include <cstdint>
#include <vector>

#include "framework/Exception.h"

// A bit index below 0: "Bits index out of range".
class EBitsError : public Exception {
  public:
    EBitsError();
};

// A growable array of bits, all clear when added. Reading beyond the size
// gives false; setting a bit beyond it grows the array to hold it.
class TBits {
  public:
    int Size() const { return size_; }
    // Cuts or grows the array (new bits clear). Throws EBitsError below 0.
    void SetSize(int size);
    // Throws EBitsError for a negative index.
    bool Bit(int index) const;
    void SetBit(int index, bool value);

  private:
    std::vector<std::uint64_t> words_;
    int size_ = 0;
};
