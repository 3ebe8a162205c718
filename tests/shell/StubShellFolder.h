#pragma once

#include "platform/ShellInterfaces.h"

// A folder double that answers every call with "not implemented" and counts
// no references; tests override the calls they care about.
class StubShellFolder : public IShellFolder2 {
  public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT ParseDisplayName(HWND, IBindCtx*, const OLECHAR*, ULONG*, LPITEMIDLIST*,
                             ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT GetAttributesOf(UINT, const LPCITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetUIObjectOf(HWND, UINT, const LPCITEMIDLIST*, REFIID, UINT*, void**) override {
        return E_NOTIMPL;
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST, DWORD, STRRET*) override { return E_NOTIMPL; }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, const OLECHAR*, DWORD, LPITEMIDLIST*) override {
        return E_NOTIMPL;
    }
    HRESULT GetDefaultColumn(DWORD, ULONG*, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetDefaultColumnState(UINT, SHCOLSTATEF*) override { return E_NOTIMPL; }
    HRESULT GetDetailsOf(LPCITEMIDLIST, UINT, SHELLDETAILS*) override { return E_NOTIMPL; }
};
