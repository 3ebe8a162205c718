#pragma once

#include <QHash>
#include <QIcon>
#include <QTreeWidgetItem>
#include <functional>
#include <memory>

#include "chrome/Frame.h"
#include "chrome/FrameController.h"
#include "chrome/ViewFrame.h"
#include "framework/WinControl.h"
#include "platform/SystemImageList.h"

class QMenu;
class TCanvas;
class TRzCustomTreeView;
class TreeViewWidget;

// One node of a tree view: a Qt tree item with the node's data object, its
// image indexes, overlay and ghosted (cut) state. A node's image index of 0
// means "not looked up yet": the view asks for it when the node is first
// drawn. The view owns its nodes; each node's data is released by the view's
// Deletion step before the node goes.
class TTreeNode : public QTreeWidgetItem {
  public:
    explicit TTreeNode(int type = QTreeWidgetItem::UserType) : QTreeWidgetItem(type) {}

    void* Data = nullptr;
    int ImageIndex = 0;
    int SelectedIndex = 0;
    int OverlayIndex = -1;  // 0 shared, 1 link (overlay images 1 and 2)
    bool Cut = false;
    // The node's level was loaded once (its children, possibly none).
    bool Populated = false;

    // Whether the node shows an expand button whether or not it has children.
    bool HasChildren() const;
    void SetHasChildren(bool hasChildren);

    TTreeNode* Parent() const { return static_cast<TTreeNode*>(parent()); }
    TTreeNode* Child(int i) const { return static_cast<TTreeNode*>(child(i)); }
    int Level() const;
    // Whether `ancestor` is this node or lies above it.
    bool HasAncestor(const TTreeNode* ancestor) const;

    QVariant data(int column, int role) const override;
    // Siblings sort by the view's node compare.
    bool operator<(const QTreeWidgetItem& other) const override;

  private:
    TRzCustomTreeView* View() const;
};

// The state of a node being drawn: a set of these flags.
enum TCustomDrawStateFlag : unsigned {
    cdsSelected = 0x1,
    cdsDisabled = 0x4,
    cdsFocused = 0x10,
    cdsHot = 0x40,
};
using TCustomDrawState = unsigned;

using TTVChangedEvent = std::function<void(TObject* sender, TTreeNode* node)>;
// Asked before something happens to the node; clearing `allow` refuses it.
using TTVAllowEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVExpandingEvent = TTVAllowEvent;
using TTVEditedEvent = std::function<void(TObject* sender, TTreeNode* node, std::string& text)>;
// Drawing hooks; the handler draws on sender->Canvas(). Clearing
// `defaultDraw` skips the default drawing of the whole view / of the node.
using TTVCustomDrawEvent =
    std::function<void(TRzCustomTreeView* sender, const TRect& rect, bool& defaultDraw)>;
using TTVCustomDrawItemEvent = std::function<void(TRzCustomTreeView* sender, TTreeNode* node,
                                                  TCustomDrawState state, bool& defaultDraw)>;
using TNodeContextMenuEvent =
    std::function<void(TObject* sender, TTreeNode* node, TPoint& pos, QMenu*& menu)>;

// A tree view over a Qt tree widget, with a custom frame and colour states.
//
// The control's 2-pixel border ring belongs to the framework's window (its
// surface); the Qt tree widget fills the rest. The ring shows the platform's
// sunken edge, or with FrameVisible the frame of FrameStyle / FrameHotStyle in
// FrameColor / FrameHotColor on FrameSides, over the background colour.
// The background follows the state: DisabledColor while disabled, FocusColor
// while focused, else Color. A frame controller, when set and active, imposes
// FrameStyle, FrameColor, Color and ParentColor.
//
// Labels are never cut short: the column is as wide as its widest shown label
// and the view scrolls sideways when that is wider than the control.
class TRzCustomTreeView : public TWinControl, public TRzFrameControllerClient {
  public:
    explicit TRzCustomTreeView(TComponent* owner);
    ~TRzCustomTreeView() override;

    // -- Frame and colours.
    bool FrameVisible() const { return frame_.FrameVisible(); }
    void SetFrameVisible(bool visible) { frame_.SetFrameVisible(visible); }
    TFrameStyle FrameStyle() const { return frame_.FrameStyle(); }
    void SetFrameStyle(TFrameStyle style) { frame_.SetFrameStyle(style); }
    TColor FrameColor() const { return frame_.FrameColor(); }
    void SetFrameColor(TColor color) { frame_.SetFrameColor(color); }
    bool FrameHotTrack() const { return frame_.FrameHotTrack(); }
    void SetFrameHotTrack(bool hotTrack) { frame_.SetFrameHotTrack(hotTrack); }
    TFrameStyle FrameHotStyle() const { return frame_.FrameHotStyle(); }
    void SetFrameHotStyle(TFrameStyle style) { frame_.SetFrameHotStyle(style); }
    TColor FrameHotColor() const { return frame_.FrameHotColor(); }
    void SetFrameHotColor(TColor color) { frame_.SetFrameHotColor(color); }
    TSides FrameSides() const { return frame_.FrameSides(); }
    void SetFrameSides(TSides sides) { frame_.SetFrameSides(sides); }
    TFramingPreference FramingPreference() const { return frame_.FramingPreference(); }
    void SetFramingPreference(TFramingPreference p) { frame_.SetFramingPreference(p); }
    TColor FocusColor() const { return frame_.FocusColor(); }
    void SetFocusColor(TColor color) { frame_.SetFocusColor(color); }
    TColor DisabledColor() const { return frame_.DisabledColor(); }
    void SetDisabledColor(TColor color) { frame_.SetDisabledColor(color); }
    // The background colour of the moment (disabled, focused or normal).
    TColor StateColor() const { return frame_.StateColor(Color(), Enabled(), Focused()); }

    // -- Tree view.
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    int Indent() const;
    void SetIndent(int pixels);
    bool ShowRoot() const;
    void SetShowRoot(bool show);
    // The pictures nodes show by index; not owned.
    HIMAGELIST Images() const { return images_; }
    void SetImages(HIMAGELIST images);

    int TopCount() const;
    TTreeNode* TopNode(int i) const;
    bool HasNodes() const { return TopCount() > 0; }
    TTreeNode* Selected() const;
    // Makes the node the selected one (null clears the selection).
    void SetSelected(TTreeNode* node);
    // A new node appended under `parent` (at the top level when null).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& caption, int type);
    // Frees the node and everything below it, each after Deletion.
    void DeleteNode(TTreeNode* node);
    void ClearNodes();
    void Expand(TTreeNode* node) { SetExpanded(node, true); }
    void SetExpanded(TTreeNode* node, bool expanded);
    // Sorts the node's children (the top level when null) by CompareNodes;
    // with `recurse` every level below too.
    void SortChildren(TTreeNode* node, bool recurse);
    void MakeVisible(TTreeNode* node);
    // Starts editing the node's caption when CanEditNode allows it; the edit
    // box holds ReadableText(NodeEditText(node)).
    void EditNode(TTreeNode* node);
    bool IsEditing() const;
    // The node drawn as the target of a drag (none: null); it goes with its
    // node.
    TTreeNode* DropTarget() const { return dropTarget_; }
    void SetDropTarget(TTreeNode* node);
    // The node under a point in control coordinates, or null.
    TTreeNode* NodeAt(TPoint point) const;
    // The node's row in Canvas() coordinates (the view's client area); empty
    // when the node is not shown.
    TRect NodeRect(TTreeNode* node) const;
    // The surface of the drawing in progress, inside OnCustomDraw and
    // OnCustomDrawItem only; null otherwise.
    TCanvas* Canvas() const { return canvas_; }
    // Node updates are batched between these (counted).
    void BeginUpdate();
    void EndUpdate();

    QTreeWidget* View() const;
    // The frame ring with the Qt tree view inside it.
    QImage Grab() override;

    TTVChangedEvent OnChange;
    // Before the selection moves from one node to another.
    TTVAllowEvent OnChanging;
    TTVExpandingEvent OnExpanding;
    TTVChangedEvent OnExpanded;
    TTVAllowEvent OnCollapsing;
    TTVChangedEvent OnCollapsed;
    // Before label editing starts; after it ends with a text (which the
    // handler may change); after it was cancelled (Escape).
    TTVAllowEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVChangedEvent OnCancelEdit;
    TTVCustomDrawEvent OnCustomDraw;
    TTVCustomDrawItemEvent OnCustomDrawItem;
    TTVChangedEvent OnDeletion;
    TTVChangedEvent OnGetImageIndex;
    TTVChangedEvent OnGetSelectedIndex;
    TNodeContextMenuEvent OnNodeContextMenu;

  protected:
    // The selection is about to move from the selected node to `node`; false
    // keeps it where it is.
    virtual bool CanChange(TTreeNode* node);
    // The selected node changed (null: the selection was cleared).
    virtual void Change(TTreeNode* node);
    // The node is about to expand; false keeps it collapsed.
    virtual bool CanExpand(TTreeNode* node);
    virtual void Expanded(TTreeNode* node);
    // The node is about to collapse; false keeps it expanded.
    virtual bool CanCollapse(TTreeNode* node);
    virtual void Collapsed(TTreeNode* node);
    // The node is about to be freed.
    virtual void Deletion(TTreeNode* node);
    // Fills in the node's image indexes when it is first drawn.
    virtual void GetImageIndex(TTreeNode* node);
    virtual void GetSelectedIndex(TTreeNode* node);
    // Sibling order; 0 when equal or undecided.
    virtual int CompareNodes(TTreeNode* a, TTreeNode* b);
    // A mouse button went down on the tree's client area.
    virtual void TreeMouseDown(TMouseButton) {}
    // The left (0) or right (1) button was pressed on the node and moved with
    // it held; true when a drag of the node ran.
    virtual bool BeginNodeDrag(TTreeNode*, int) { return false; }
    // Whether label editing may start on the node (OnEditing).
    virtual bool CanEditNode(TTreeNode* node);
    // The name the edit box starts with (bytes; shown through ReadableText).
    virtual std::string NodeEditText(TTreeNode* node);
    // An edit ended with `caption` (which may be changed); false keeps the
    // old caption. Fires OnEdited.
    virtual bool NodeEdited(TTreeNode* node, std::string& caption);
    // An edit was cancelled (OnCancelEdit).
    virtual void EditCancelled(TTreeNode* node);
    // The edit box opened or closed.
    virtual void EditingChanged(bool) {}
    // A key after OnKeyDown, before the tree's own handling; true consumes it.
    virtual bool KeyDown(int, Qt::KeyboardModifiers) { return false; }
    // A context menu for `node` (may be null) at `pos` in control
    // coordinates: OnNodeContextMenu, then the menu it chose.
    virtual void NodeContextMenu(TTreeNode* node, TPoint pos);

    void TakeControllerFrame(TFrameStyle style, TColor flatColor) override;
    void Paint(TCanvas& canvas) override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void FontChanged() override;
    void BoundsChanged(const TRect& old) override;
    void MouseEnter() override;
    void MouseLeave() override;

  private:
    friend class TTreeNode;
    friend class TreeViewWidget;
    friend class TreeNodeDelegate;

    bool Allows(const TTVAllowEvent& event, TTreeNode* node);

    void ApplyColors();
    void FocusChanged();
    QIcon NodeIcon(const TTreeNode* node);
    QPixmap Picture(int index, int overlay, bool cut) const;
    void ReleaseSubtree(TTreeNode* node);
    // The edit box closed; `cancelled` when it was dismissed.
    void EditClosed(bool cancelled);
    // Dismisses the edit box when the edited node lies in the subtree (every
    // node when null), before nodes go.
    void CancelEditWithin(const TTreeNode* subtree);
    // Runs a custom-draw handler with `canvas` as Canvas().
    bool CustomDraw(TCanvas& canvas, const std::function<void(bool&)>& handler);

    std::unique_ptr<TreeViewWidget> view_;
    TViewFrame frame_;
    TColor normalColor_ = clWindow;  // the colour last assigned from outside
    bool hideSelection_ = true;
    int updateLevel_ = 0;
    HIMAGELIST images_ = nullptr;
    TTreeNode* dropTarget_ = nullptr;
    QHash<quint64, QIcon> icons_;
    TTreeNode* editingNode_ = nullptr;
    TCanvas* canvas_ = nullptr;
};
