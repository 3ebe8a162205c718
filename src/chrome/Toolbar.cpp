#include "chrome/Toolbar.h"

#include <algorithm>

#include "chrome/AccessibleEvents.h"
#include "chrome/Pressable.h"
#include "chrome/Spacer.h"
#include "chrome/ToolbarFollower.h"
#include "framework/Canvas.h"
#include "framework/Form.h"

TRzToolbar::TRzToolbar(TComponent* owner) : TRzCustomPanel(owner) {
    SetAlign(alTop);
    SetBounds(Left(), Top(), 32, 32);
    SetBorderOuter(fsGroove);
    SetBorderInner(fsNone);
    SetBorderSides(sdTop);
    SetBorderWidth(0);
    SetTabStop(true);
}

template <typename T>
void TRzToolbar::StoreAndLayOut(T& field, T value) {
    if (field == value)
        return;
    field = value;
    Realign();
}

void TRzToolbar::SetAutoResize(bool autoResize) {
    StoreAndLayOut(autoResize_, autoResize);
}
void TRzToolbar::SetWrapControls(bool wrap) {
    StoreAndLayOut(wrapControls_, wrap);
}
void TRzToolbar::SetMargin(int margin) {
    StoreAndLayOut(margin_, margin);
}
void TRzToolbar::SetTopMargin(int margin) {
    StoreAndLayOut(topMargin_, margin);
}
void TRzToolbar::SetRowHeight(int height) {
    StoreAndLayOut(rowHeight_, height);
}

void TRzToolbar::SetOrientation(TOrientation orientation) {
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    for (TControl* control : Controls())
        if (auto* spacer = dynamic_cast<TRzSpacer*>(control))
            spacer->SetOrientation(orientation);
    Realign();
}

void TRzToolbar::SetShowDivider(bool show) {
    if (show == showDivider_)
        return;
    showDivider_ = show;
    SetBorderOuter(show ? fsGroove : fsNone);
    Invalidate();
}

void TRzToolbar::SetButtonWidth(int width) {
    textOptions_ = ttoCustom;
    if (width == buttonWidth_)
        return;
    buttonWidth_ = width;
    NotifyButtons(ButtonChange::Size);
}

void TRzToolbar::SetButtonHeight(int height) {
    textOptions_ = ttoCustom;
    if (height == buttonHeight_)
        return;
    buttonHeight_ = height;
    NotifyButtons(ButtonChange::Size);
}

void TRzToolbar::SetButtonLayout(TButtonLayout layout) {
    textOptions_ = ttoCustom;
    if (layout == buttonLayout_)
        return;
    buttonLayout_ = layout;
    NotifyButtons(ButtonChange::Layout);
}

void TRzToolbar::SetShowButtonCaptions(bool show) {
    textOptions_ = ttoCustom;
    if (show == showButtonCaptions_)
        return;
    showButtonCaptions_ = show;
    NotifyButtons(ButtonChange::ShowCaption);
}

namespace {

struct TextPreset {
    int width;
    int height;
    TButtonLayout layout;
    bool captions;
};

// Icons only; captions under the icons; captions beside the icons.
constexpr TextPreset kTextPresets[] = {
    {25, 25, blGlyphLeft, false},
    {60, 40, blGlyphTop, true},
    {60, 25, blGlyphLeft, true},
};

}  // namespace

void TRzToolbar::SetTextOptions(TRzToolbarTextOptions options) {
    if (options != ttoCustom) {
        const TextPreset& preset = kTextPresets[options];
        SetButtonWidth(preset.width);
        SetButtonHeight(preset.height);
        SetButtonLayout(preset.layout);
        SetShowButtonCaptions(preset.captions);
    }
    textOptions_ = options;
}

void TRzToolbar::NotifyButtons(ButtonChange change) {
    for (TControl* control : Controls()) {
        auto* button = dynamic_cast<IToolbarFollower*>(control);
        if (button == nullptr)
            continue;
        if (change == ButtonChange::ShowCaption)
            button->SyncShowCaption();
        else if (change == ButtonChange::Layout)
            button->SyncLayout();
        else
            button->SyncSize();
    }
}

void TRzToolbar::SetImages(TImageList* images) {
    images_ = images;
    if (images != nullptr)
        images->FreeNotification(this);
    for (TControl* control : Controls())
        control->Invalidate();
    Invalidate();
}

void TRzToolbar::SetBackground(const TBitmap& bitmap) {
    background_ = bitmap;
    Invalidate();
}

void TRzToolbar::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == images_)
        images_ = nullptr;
}

void TRzToolbar::SetToolbarControlNames(const std::vector<std::string>& names) {
    toolbarControls_.clear();
    for (const std::string& name : names)
        toolbarControls_.push_back({nullptr, name});
    if (!Loading())
        ResolveToolbarControls();
}

std::vector<std::string> TRzToolbar::ToolbarControlNames() const {
    std::vector<std::string> names;
    for (const TRzToolbarControl& entry : toolbarControls_)
        names.push_back(entry.Control != nullptr ? entry.Control->Name() : entry.Name);
    return names;
}

// Names resolve among the form's components; a name that is not a child of
// this bar is dropped. Children the list does not name follow in child order.
void TRzToolbar::ResolveToolbarControls() {
    TComponent* root = Owner() != nullptr ? Owner() : this;
    std::vector<TRzToolbarControl> resolved;
    for (const TRzToolbarControl& entry : toolbarControls_) {
        auto* control = dynamic_cast<TControl*>(root->FindComponent(entry.Name));
        if (control != nullptr && control->Parent() == this)
            resolved.push_back({control, entry.Name});
    }
    for (TControl* child : Controls())
        if (std::none_of(resolved.begin(), resolved.end(),
                         [child](const TRzToolbarControl& e) { return e.Control == child; }))
            resolved.push_back({child, child->Name()});
    toolbarControls_ = std::move(resolved);
}

void TRzToolbar::ControlListChanged(TControl* control, bool inserted) {
    if (!inserted && control == focusedButton_)
        focusedButton_ = nullptr;
    if (Loading())
        return;
    std::erase_if(toolbarControls_,
                  [control](const TRzToolbarControl& e) { return e.Control == control; });
    if (inserted)
        toolbarControls_.push_back({control, control->Name()});
}

void TRzToolbar::Loaded() {
    ResolveToolbarControls();
    TRzCustomPanel::Loaded();
    Realign();
    if (autoStyle_)
        ApplyStyleForAlignment();
}

void TRzToolbar::ApplyStyleForAlignment() {
    SetBorderInner(fsNone);
    SetBorderOuter(showDivider_ ? fsGroove : fsNone);
    static constexpr TSides kSides[] = {sdTop, sdTop, sdBottom, sdLeft, sdRight, sdTop};
    SetBorderSides(kSides[Align()]);
}

void TRzToolbar::VisibleChanged() {
    TRzCustomPanel::VisibleChanged();
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

void TRzToolbar::AlignControls(TControl* control, TRect& rect) {
    TRzCustomPanel::AlignControls(control, rect);
    LayOut();
}

void TRzToolbar::LayOut() {
    if (Loading())
        return;
    bool horizontal = orientation_ == orHorizontal;
    Flow flow = FlowControls(horizontal);
    if (!autoResize_)
        return;
    bool sideBar = Align() == alLeft || Align() == alRight;
    if (horizontal && sideBar) {
        if (flow.longest != 0 && Width() != margin_ + flow.longest)
            ResizeTo(margin_ + flow.longest, Height());
    } else if (horizontal) {
        if (Height() != rowHeight_ * flow.lines + 2 * topMargin_)
            ResizeTo(Width(), rowHeight_ * flow.lines + 2 * topMargin_);
    } else if (sideBar) {
        if (Width() != rowHeight_ * flow.lines + 2 + topMargin_)
            ResizeTo(rowHeight_ * flow.lines + 2 + topMargin_, Height());
    } else if (flow.lines > 1 && Height() != margin_ + flow.longest) {
        ResizeTo(Width(), margin_ + flow.longest);
    }
}

// Places the controls edge to edge along the bar (left to right, or top to
// bottom), starting a new row (column) when the next one would pass the far
// margin; each is centred across its row.
TRzToolbar::Flow TRzToolbar::FlowControls(bool horizontal) {
    int limit = (horizontal ? Width() : Height()) - margin_;
    int start = horizontal ? topMargin_ : margin_;
    Flow flow{1, 0};
    int pos = margin_;
    for (size_t i = 0; i < toolbarControls_.size(); ++i) {
        TControl* c = toolbarControls_[i].Control;
        if (c == nullptr || !c->Visible())
            continue;
        int along = horizontal ? c->Width() : c->Height();
        int thickness = horizontal ? c->Height() : c->Width();
        if (wrapControls_ && i > 0 && pos + along > limit) {
            flow.longest = std::max(flow.longest, pos);
            pos = margin_;
            ++flow.lines;
        }
        if (!c->Destroying()) {
            int across = (flow.lines - 1) * rowHeight_ + start + rowHeight_ / 2 - thickness / 2;
            if (horizontal)
                c->SetBounds(c->UseRightToLeftAlignment() ? Width() - c->Width() - pos : pos,
                             across, c->Width(), c->Height());
            else
                c->SetBounds(across, pos, c->Width(), c->Height());
        }
        pos += along;
    }
    return flow;
}

// The new size, then the form re-aligns its other controls around it.
void TRzToolbar::ResizeTo(int width, int height) {
    Invalidate();
    SetBounds(Left(), Top(), width, height);
    if (TCustomForm* form = GetParentForm(this))
        form->Realign();
}

void TRzToolbar::Paint(TCanvas& canvas) {
    TRzCustomPanel::Paint(canvas);
    if (!background_.Empty())
        TileBackground(canvas);
}

void TRzToolbar::TileBackground(TCanvas& canvas) const {
    TRect inside = InsideRect();
    canvas.SetClipRect(inside);
    for (int y = inside.Top; y < inside.Bottom; y += background_.Height())
        for (int x = inside.Left; x < inside.Right; x += background_.Width())
            canvas.Draw(x, y, background_);
    canvas.ResetClip();
}

// ------------------------------------------------------------ keyboard

std::vector<TControl*> TRzToolbar::FocusableButtons() const {
    std::vector<TControl*> buttons;
    for (const TRzToolbarControl& entry : toolbarControls_) {
        TControl* control = entry.Control;
        if (dynamic_cast<IPressable*>(control) != nullptr && control->Visible() &&
            control->Enabled())
            buttons.push_back(control);
    }
    return buttons;
}

TControl* TRzToolbar::NeighbourButton(bool forward) const {
    std::vector<TControl*> buttons = FocusableButtons();
    if (!forward)
        std::reverse(buttons.begin(), buttons.end());
    auto it = std::find(buttons.begin(), buttons.end(), focusedButton_);
    if (it == buttons.end())
        return buttons.empty() ? nullptr : buttons.front();
    return ++it == buttons.end() ? nullptr : *it;
}

bool TRzToolbar::ShowsFocus(const TControl* button) const {
    return button != nullptr && button == focusedButton_ && Focused();
}

void TRzToolbar::MoveFocusTo(TControl* button) {
    if (focusedButton_ != nullptr)
        focusedButton_->Invalidate();
    focusedButton_ = button;
    if (button == nullptr)
        return;
    button->Invalidate();
    if (Focused())
        TellAccessible(*button, TAccessibleChange::Focus);
}

// Tab and Shift+Tab start at the first and the last button; coming back
// otherwise (a click, the window becoming active) keeps the button.
void TRzToolbar::DoEnter(TFocusEntry entry) {
    const std::vector<TControl*> buttons = FocusableButtons();
    if (entry != TFocusEntry::Other ||
        std::find(buttons.begin(), buttons.end(), focusedButton_) == buttons.end())
        focusedButton_ = nullptr;
    MoveFocusTo(focusedButton_ != nullptr ? focusedButton_
                                          : NeighbourButton(entry != TFocusEntry::Backtab));
}

void TRzToolbar::DoExit() {
    if (focusedButton_ != nullptr)
        focusedButton_->Invalidate();
}

bool TRzToolbar::TabWithin(bool forward) {
    TControl* next = NeighbourButton(forward);
    if (next == nullptr)
        return false;
    MoveFocusTo(next);
    return true;
}

// The press may free the bar (its form closes): nothing is touched after it.
void TRzToolbar::KeyDown(std::uint16_t& key, TShiftState) {
    switch (key) {
        case VK_SPACE:
        case VK_RETURN:
            if (auto* button = dynamic_cast<IPressable*>(focusedButton_)) {
                key = 0;
                button->Press();
            }
            break;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            TabWithin(key == VK_RIGHT || key == VK_DOWN);
            key = 0;
            break;
        default:
            break;
    }
}
