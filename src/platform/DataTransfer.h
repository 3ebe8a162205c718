#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ShellInterfaces.h"

// Data exchange between a drag source (or the clipboard) and a drop target:
// movable memory blocks, clipboard format ids, and the data-object, format
// enumerator and drop-source interfaces.

// Result codes of data transfer and of the drag loop.
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003);
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
constexpr DWORD DROPEFFECT_SCROLL = 0x80000000;

// Key state of a drag: mouse buttons and modifier keys held.
constexpr DWORD MK_LBUTTON = 0x0001;
constexpr DWORD MK_RBUTTON = 0x0002;
constexpr DWORD MK_SHIFT = 0x0004;
constexpr DWORD MK_CONTROL = 0x0008;
constexpr DWORD MK_MBUTTON = 0x0010;
constexpr DWORD MK_ALT = 0x0020;

// Movable memory: a block that knows its size. GlobalLock gives the bytes
// (never moves them here); GlobalFree releases a block and ignores null.
using HGLOBAL = void*;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
HGLOBAL GlobalAlloc(UINT flags, std::size_t size);  // null when memory runs out
std::size_t GlobalSize(HGLOBAL block);              // 0 for null
void* GlobalLock(HGLOBAL block);                    // null for null
bool GlobalUnlock(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);  // always null
// A new block holding a copy of `size` bytes; null when memory runs out.
HGLOBAL GlobalFromBytes(const void* bytes, std::size_t size);

// Clipboard formats: the predefined file-drop format, and formats registered
// by name (ids from 0xC000, the same id for the same name, process-wide).
using CLIPFORMAT = std::uint16_t;
constexpr CLIPFORMAT CF_HDROP = 15;
UINT RegisterClipboardFormatA(const char* name);  // 0 for a null or empty name
// The name a format travels under between programs: "CF_HDROP" for the
// file-drop format, the registered name otherwise; empty for an unknown id.
std::string ClipboardFormatName(UINT format);

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

struct DVTARGETDEVICE;
struct FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    std::int32_t lindex;
    DWORD tymed;
};

// The one format description data objects here offer: content as a block.
constexpr FORMATETC HGlobalFormat(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// Data handed out by GetData. The receiver owns hGlobal (ReleaseStgMedium)
// unless pUnkForRelease is set.
struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown* pUnkForRelease;
};
void ReleaseStgMedium(STGMEDIUM* medium);

inline constexpr IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IEnumFORMATETC = {
    0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDropSource = {0x00000121, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IEnumFORMATETC : public IUnknown {
  public:
    virtual HRESULT Next(ULONG count, FORMATETC* records, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** copy) = 0;
};

// Change notification of data objects is not offered by anything here.
class IAdviseSink;
class IEnumSTATDATA;

class IDataObject : public IUnknown {
  public:
    virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, bool release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) = 0;
    virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                            DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) = 0;
};

class IDropSource : public IUnknown {
  public:
    virtual HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// The bytes of one format of a data object (asked as a block). False, and
// `bytes` empty, when the object does not offer it.
bool ReadFormatBytes(IDataObject* data, CLIPFORMAT format, std::string& bytes);
