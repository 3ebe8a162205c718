#pragma once

#include <vector>

#include "framework/Object.h"
#include "platform/DataTransfer.h"

// The format records a data object offers, in the order it offers them; owned
// by the data object.
class TRzFormatEtcList : public TObject {
  public:
    void Add(const FORMATETC& format) { formats_.push_back(format); }
    int Count() const { return static_cast<int>(formats_.size()); }
    const FORMATETC& Items(int index) const { return formats_[static_cast<std::size_t>(index)]; }

  private:
    std::vector<FORMATETC> formats_;
};

// An enumerator over a data object's TRzFormatEtcList with a current index.
// Made with no reference (the maker adds the first); it holds a reference to
// `owner`, the object that owns the list, so the list outlives it.
class TRzFormatEtcList_IEnumFormatEtc final
    : public TObject,
      public TComObject<IEnumFORMATETC, IID_IEnumFORMATETC> {
  public:
    TRzFormatEtcList_IEnumFormatEtc(const TRzFormatEtcList& list, IUnknown* owner, int index = 0);

    // Copies up to `count` records from the current index on; S_FALSE when
    // fewer were left. `fetched` may be null.
    HRESULT Next(ULONG count, FORMATETC* records, ULONG* fetched) override;
    // S_FALSE (and the index at the end) when fewer than `count` were left.
    HRESULT Skip(ULONG count) override;
    HRESULT Reset() override;
    // A new enumerator over the same list at the same index, with a reference.
    HRESULT Clone(IEnumFORMATETC** copy) override;

  private:
    ~TRzFormatEtcList_IEnumFormatEtc() override;

    const TRzFormatEtcList& list_;
    IUnknown* owner_;
    int index_;
};
