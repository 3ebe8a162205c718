#include "shell/FormatEtcList.h"

#include <algorithm>

TRzFormatEtcList_IEnumFormatEtc::TRzFormatEtcList_IEnumFormatEtc(const TRzFormatEtcList& list,
                                                                 IUnknown* owner, int index)
    : TComObject(0), list_(list), owner_(owner), index_(index) {
    if (owner_ != nullptr)
        owner_->AddRef();
}

TRzFormatEtcList_IEnumFormatEtc::~TRzFormatEtcList_IEnumFormatEtc() {
    if (owner_ != nullptr)
        owner_->Release();
}

HRESULT TRzFormatEtcList_IEnumFormatEtc::Next(ULONG count, FORMATETC* records, ULONG* fetched) {
    if (records == nullptr && count > 0)
        return E_POINTER;
    ULONG copied = 0;
    for (; copied < count && index_ < list_.Count(); ++copied)
        records[copied] = list_.Items(index_++);
    if (fetched != nullptr)
        *fetched = copied;
    return copied < count ? S_FALSE : S_OK;
}

HRESULT TRzFormatEtcList_IEnumFormatEtc::Skip(ULONG count) {
    ULONG left = static_cast<ULONG>(list_.Count() - index_);
    index_ += static_cast<int>(std::min(count, left));
    return count > left ? S_FALSE : S_OK;
}

HRESULT TRzFormatEtcList_IEnumFormatEtc::Reset() {
    index_ = 0;
    return S_OK;
}

HRESULT TRzFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC** copy) {
    if (copy == nullptr)
        return E_POINTER;
    *copy = new TRzFormatEtcList_IEnumFormatEtc(list_, owner_, index_);
    (*copy)->AddRef();
    return S_OK;
}
