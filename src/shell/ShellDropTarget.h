#pragma once

#include "platform/DataTransfer.h"

// What a control does with a drag over it: the drag-enter, drag-over,
// drag-leave and drop operations of the file list and the folder tree. Points
// are in the control's coordinates.
class IDropSite {
  public:
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

  protected:
    ~IDropSite() = default;
};

// A control's drop target: every call goes to the control. Made with one
// reference for the maker.
//
// REQUIRES: the control revokes the target before it goes (the target keeps
// a plain reference to it).
class TShellDropTarget : public TComObject<IDropTarget, IID_IDropTarget> {
  public:
    explicit TShellDropTarget(IDropSite& site) : TComObject(1), site_(site) {}

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override {
        return site_.DragEnter(data, keyState, point, effect);
    }
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override {
        return site_.DragOver(keyState, point, effect);
    }
    HRESULT DragLeave() override { return site_.DragLeave(); }
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override {
        return site_.Drop(data, keyState, point, effect);
    }

  protected:
    ~TShellDropTarget() override = default;

  private:
    IDropSite& site_;
};

// The file list's drop target.
class TDropTarget_shlv final : public TShellDropTarget {
  public:
    using TShellDropTarget::TShellDropTarget;

  private:
    ~TDropTarget_shlv() override = default;
};

// The folder tree's drop target.
class TDropTarget_shtv final : public TShellDropTarget {
  public:
    using TShellDropTarget::TShellDropTarget;

  private:
    ~TDropTarget_shtv() override = default;
};
