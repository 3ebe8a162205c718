#pragma once

#include <string>
#include <vector>

#include "platform/Com.h"
#include "platform/ShellInterfaces.h"

// A drop target that works on the dropped items' paths (DroppedPaths): it
// reads them when a drag enters and again at the drop, answers each move
// with its rule's effect, and carries out a drop whose effect is not none.
class TPathDropTarget : public TComObject<IDropTarget, IID_IDropTarget> {
  public:
    // Made with one reference for the maker.
    TPathDropTarget() : TComObject(1) {}

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

  protected:
    ~TPathDropTarget() override = default;

    // The effect a drop of `sources` with `keyState` gets within `allowed`.
    virtual DWORD EffectFor(const std::vector<std::string>& sources, DWORD keyState,
                            DWORD allowed) const = 0;
    // The effect shown while hovering; the drop's by default.
    virtual DWORD HoverEffectFor(const std::vector<std::string>& sources, DWORD keyState,
                                 DWORD allowed) const {
        return EffectFor(sources, keyState, allowed);
    }
    // Carries out a drop with the chosen effect (of the drop's `allowed`
    // ones); `done` gets the effect carried out, none when nothing was placed.
    virtual HRESULT Place(const std::vector<std::string>& sources, DWORD keyState, DWORD allowed,
                          DWORD chosen, DWORD& done) = 0;

  private:
    std::vector<std::string> sources_;  // of the drag in progress
};
