#pragma once
// The container: children in integer layers, hover and focus among them, clipped painting, and
// insertions and deletions deferred to the per-frame update pass. Dialogs, the window, edit bars
// and scroll bars are containers.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gui/IMViewControl.h"

template <typename V> class IMDialogBase;
template <typename V> class IMStaticPictureBase;
template <typename V> class IMButtonBase;
class IMTextureView;
class IMStateView;
class IMTextView;

template <> class IMDialogBase<IMEmptyView> : public IMViewControl<IMEmptyView> {
public:
    using Layers = std::map<int, std::vector<IMControl*>>;

    // Without a rectangle the dialog covers the whole screen.
    IMDialogBase(IMContainer* parent, std::optional<RECT> rect, int layer);
    IMDialogBase(IMContainer* parent, int layer) : IMDialogBase(parent, std::nullopt, layer) {}
    ~IMDialogBase() override;

    void setChanged(bool changed) override;
    bool isChanged() const override;
    // Its children's changed areas; the whole screen when the container itself changed (children
    // came or went, it moved, showed or hid).
    bool addChangedArea(RECT& area, int originX, int originY) const override;
    bool hitTest(int x, int y) override;
    using IMViewControl<IMEmptyView>::hitTest;
    long onMouseMove(const IMMouseEvent& e) override;
    long onMouseButton(const IMMouseEvent& e) override;
    long onMouseEnter(const IMMouseEvent& e) override;
    long onMouseLeave(const IMMouseEvent& e) override;
    long onKey(const IMKeyboardEvent& e) override;
    long onPaint(const IMEvent& e) override;
    long onUpdate(const IMEvent& e) override;
    long onClose(const IMEvent& e) override;
    long onFocusLost(const IMEvent& e) override;

    void addChild(IMControl* child, int layer);
    void removeChild(IMControl* child);
    void updateHover(const IMMouseEvent& e);
    long onChildFocus(const IMEvent& e);

    // Creation of the screens' building blocks; the dialog owns what it creates.
    IMDialogBase<IMEmptyView>* createDialog(int x, int y, int width, int height, int layer);
    IMStaticPictureBase<IMTextureView>* createPicture(int x, int y, const std::wstring& name,
                                                      int layer, std::uint32_t color = 0xFFFFFFFF);
    IMButtonBase<IMStateView>* createButton(int x, int y, const std::wstring& normal,
                                            const std::wstring& disabled,
                                            const std::wstring& hovered,
                                            const std::wstring& pressed, int layer);
    // A label in the default text style, sized to its text.
    IMStaticPictureBase<IMTextView>* createLabel(int x, int y, const std::wstring& text, int layer);

    int lastMouseX() const { return lastMouseX_; }
    int lastMouseY() const { return lastMouseY_; }
    IMControl* hoveredChild() const { return hoveredChild_; }
    IMControl* focusedChild() const { return focusedChild_; }
    const Layers& children() const { return children_; }
    bool hasPendingChildren() const { return !pendingChildren_.empty(); }
    bool hasPendingDeletes() const { return !pendingDeletes_.empty(); }

protected:
    // Step one of the update pass: delete what was scheduled for deletion.
    void deletePending();
    // Gives the focus back to the most recent earlier holder that is still here and shown.
    void returnFocus();
    // Deletes every child, scheduled, committed or pending (the destructor's work; a derived
    // container whose children need its own resources calls it first).
    void deleteAllChildren();

private:
    bool isCommitted(IMControl* child) const;
    // Closed and waiting for the next update pass to delete it.
    bool isClosing(IMControl* child) const;

    Layers children_;
    Layers pendingChildren_;
    std::vector<IMControl*> pendingDeletes_;
    IMControl* hoveredChild_ = nullptr;
    IMControl* focusedChild_ = nullptr;
    // Children that had the focus before the one that has it, oldest first: when a focused
    // child goes (a dialog closed), the focus returns to the one before it, so that keys reach
    // the screen underneath again.
    std::vector<IMControl*> focusHistory_;
    IMControl* lastFocused_ = nullptr;
    int lastMouseX_ = 0;
    int lastMouseY_ = 0;
    // Whether lastMouseX_/Y_ come from a report rather than their initial values.
    bool pointerKnown_ = false;
};

using IMContainer = IMDialogBase<IMEmptyView>;

// The top of the tree `control` belongs to (the window when it is in one): it sees every mouse
// report, which is what a drag follows.
IMContainer* rootContainer(IMControl* control);
