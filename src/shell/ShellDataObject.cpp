#include "shell/ShellDataObject.h"

#include "platform/FileDropBlock.h"
#include "platform/MimeTransport.h"
#include "shell/DisplayNames.h"
#include "shell/ShellIdListArray.h"

namespace {

constexpr int kNameForParsing = 2;

// A block from the bytes, and its format record when it could be made.
HGLOBAL Offer(const std::string& bytes, UINT format, TRzFormatEtcList& formats) {
    HGLOBAL block = GlobalAlloc(GHND, bytes.size());
    if (block != nullptr) {
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(GlobalLock(block)));
        GlobalUnlock(block);
        formats.Add(HGlobalFormat(static_cast<CLIPFORMAT>(format)));
    }
    return block;
}

}  // namespace

TShellDataObject::TShellDataObject(IShellFolder* folder, LPCITEMIDLIST parent,
                                   const std::vector<LPCITEMIDLIST>& items)
    : TComObject(0) {
    std::vector<std::string> names;
    for (LPCITEMIDLIST item : items)
        names.push_back(GetDisplayName(folder, item, kNameForParsing));
    idLists_ = Offer(WriteShellIdListArray(parent, items), ShellIdListFormat(), formats_);
    dropFiles_ = Offer(WriteFileDropBlock(names), CF_HDROP, formats_);
}

TShellDataObject::~TShellDataObject() {
    GlobalFree(dropFiles_);
    GlobalFree(idLists_);
}

HGLOBAL TShellDataObject::BlockOf(CLIPFORMAT format) const {
    if (format == CF_HDROP)
        return dropFiles_;
    return format == ShellIdListFormat() ? idLists_ : nullptr;
}

HRESULT TShellDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    HRESULT hr = QueryGetData(format);
    if (FAILED(hr))
        return hr;
    if (medium == nullptr)
        return E_POINTER;
    HGLOBAL block = BlockOf(format->cfFormat);
    if (block == nullptr)
        return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    medium->hGlobal = GlobalFromBytes(GlobalLock(block), GlobalSize(block));
    GlobalUnlock(block);
    return medium->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TShellDataObject::QueryGetData(FORMATETC* format) {
    if (format == nullptr)
        return E_POINTER;
    if (format->dwAspect != DVASPECT_CONTENT)
        return DV_E_FORMATETC;
    bool formatFound = false;
    for (int i = 0; i < formats_.Count(); ++i) {
        const FORMATETC& offered = formats_.Items(i);
        if (offered.cfFormat != format->cfFormat)
            continue;
        if (offered.tymed & format->tymed)
            return S_OK;
        formatFound = true;
    }
    return formatFound ? DV_E_TYMED : DV_E_FORMATETC;
}

HRESULT TShellDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TShellDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    *enumerator = new TRzFormatEtcList_IEnumFormatEtc(formats_, this);
    (*enumerator)->AddRef();
    return S_OK;
}
