#pragma once

#include <vector>

#include "framework/Object.h"
#include "platform/DataTransfer.h"
#include "shell/FormatEtcList.h"

// The data object of a drag from the file list or the folder tree. It offers,
// in this order and each only when its block could be made:
//   "Shell IDList Array"  the parent folder and the items (ShellIdListArray.h)
//   the file-drop block   the items' parsing names (FileDropBlock.h), sized
//                         from the names, so long paths are neither cut nor
//                         written past the block
// each as {format, no target device, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}.
//
// Made with no reference (the maker adds the first); freed, with its blocks
// and format list, on its last Release.
class TShellDataObject : public TObject, public TComObject<IDataObject, IID_IDataObject> {
  public:
    // `folder` is the items' folder (for their names), `parent` its absolute
    // list (null for the desktop), `items` one-item lists relative to it.
    TShellDataObject(IShellFolder* folder, LPCITEMIDLIST parent,
                     const std::vector<LPCITEMIDLIST>& items);

    // A fresh copy of the format's block, which the caller owns.
    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    // DV_E_FORMATETC for another aspect or format, DV_E_TYMED when the format
    // is offered only on other media.
    HRESULT QueryGetData(FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT SetData(FORMATETC*, STGMEDIUM*, bool) override { return E_NOTIMPL; }
    // DATADIR_GET only.
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  protected:
    ~TShellDataObject() override;

  private:
    HGLOBAL BlockOf(CLIPFORMAT format) const;

    HGLOBAL dropFiles_ = nullptr;
    HGLOBAL idLists_ = nullptr;
    TRzFormatEtcList formats_;
};

// The file list's data object: the selected items of the shown folder.
class TDataObject_shlv final : public TShellDataObject {
  public:
    using TShellDataObject::TShellDataObject;
};

// The folder tree's data object: one node, its parent node as the parent.
class TDataObject_shtv final : public TShellDataObject {
  public:
    using TShellDataObject::TShellDataObject;
};
