#include "gui/IMDialogBase.h"

#include <algorithm>
#include <utility>
#include <boost/bind/bind.hpp>

#include "gui/IMButtonBase.h"
#include "gui/IMStaticPictureBase.h"
#include "render/ClipScope.h"
#include "gui/IMTextView.h"
#include "resources/TextureRegistry.h"

IMDialogBase<IMEmptyView>::IMDialogBase(IMContainer* parent, std::optional<RECT> rect, int layer)
    : IMViewControl<IMEmptyView>(parent, layer) {
    focusable_ = true;
    setRect(rect ? *rect : RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
}

IMDialogBase<IMEmptyView>::~IMDialogBase() { deleteAllChildren(); }

void IMDialogBase<IMEmptyView>::deleteAllChildren() {
    // What was scheduled goes first and leaves the tree. The rest, committed or still pending,
    // belongs to this container alone. The lists are emptied before any child goes, so that a
    // child's destructor that reaches for a sibling through this container finds nothing to act on.
    deletePending();
    hoveredChild_ = nullptr;
    focusedChild_ = nullptr;
    const Layers committed = std::exchange(children_, {});
    const Layers pending = std::exchange(pendingChildren_, {});
    for (const Layers* layers : {&committed, &pending})
        for (const auto& [layer, vec] : *layers)
            for (IMControl* child : vec) delete child;
}

bool IMDialogBase<IMEmptyView>::isClosing(IMControl* child) const {
    return !pendingDeletes_.empty() &&
           std::find(pendingDeletes_.begin(), pendingDeletes_.end(), child) != pendingDeletes_.end();
}

bool IMDialogBase<IMEmptyView>::isCommitted(IMControl* child) const {
    for (const auto& [layer, vec] : children_) {
        if (std::find(vec.begin(), vec.end(), child) != vec.end()) return true;
    }
    return false;
}

void IMDialogBase<IMEmptyView>::addChild(IMControl* child, int layer) {
    if (isLocked() || isCommitted(child)) return;
    pendingChildren_[layer].push_back(child);
    using boost::placeholders::_1;
    child->focusGained.connect(boost::bind(&IMDialogBase::onChildFocus, this, _1));
    child->focusLost.connect(boost::bind(&IMDialogBase::onChildFocus, this, _1));
    setChanged(true);
}

void IMDialogBase<IMEmptyView>::removeChild(IMControl* child) {
    if (isCommitted(child) &&
        std::find(pendingDeletes_.begin(), pendingDeletes_.end(), child) == pendingDeletes_.end()) {
        pendingDeletes_.push_back(child);
        setChanged(true);
    }
    for (auto it = pendingChildren_.begin(); it != pendingChildren_.end(); ++it) {
        auto& vec = it->second;
        auto found = std::find(vec.begin(), vec.end(), child);
        if (found == vec.end()) continue;
        // Never committed: nothing can refer to it yet, so it goes at once.
        vec.erase(found);
        if (vec.empty()) pendingChildren_.erase(it);
        delete child;
        return;
    }
}

void IMDialogBase<IMEmptyView>::deletePending() {
    while (!pendingDeletes_.empty()) {
        IMControl* child = pendingDeletes_.back();
        for (auto it = children_.begin(); it != children_.end(); ++it) {
            auto& vec = it->second;
            auto found = std::find(vec.begin(), vec.end(), child);
            if (found == vec.end()) continue;
            if (hoveredChild_ == child) hoveredChild_ = nullptr;
            if (focusedChild_ == child) focusedChild_ = nullptr;
            vec.erase(found);
            if (vec.empty()) children_.erase(it);
            break;
        }
        std::erase(focusHistory_, child);
        const bool hadFocus = lastFocused_ == child;
        if (hadFocus) lastFocused_ = nullptr;
        delete child;
        pendingDeletes_.pop_back();
        if (hadFocus && !focusedChild_) returnFocus();
    }
}

void IMDialogBase<IMEmptyView>::returnFocus() {
    while (!focusHistory_.empty()) {
        IMControl* previous = focusHistory_.back();
        focusHistory_.pop_back();
        const bool goes =
            std::find(pendingDeletes_.begin(), pendingDeletes_.end(), previous) != pendingDeletes_.end();
        if (goes || !isCommitted(previous) || previous->isHidden()) continue;
        previous->setFocus(true);
        return;
    }
}

void IMDialogBase<IMEmptyView>::setChanged(bool isNowChanged) {
    IMViewControl<IMEmptyView>::setChanged(isNowChanged);
    if (!isNowChanged) {
        for (const auto& [layer, vec] : children_)
            for (IMControl* child : vec) child->setChanged(false);
    }
}

bool IMDialogBase<IMEmptyView>::isChanged() const {
    if (changed_) return true;
    for (const auto& [layer, vec] : children_)
        for (IMControl* child : vec)
            if (child->isChanged()) return true;
    return false;
}

bool IMDialogBase<IMEmptyView>::addChangedArea(RECT& area, int originX, int originY) const {
    if (changed_) return false;
    // Nothing under a hidden container is drawn, whatever changed there.
    if (isHidden()) return true;
    const RECT r = getRect();
    for (const auto& [layer, vec] : children_)
        for (const IMControl* child : vec)
            if (!child->addChangedArea(area, originX + r.left, originY + r.top)) return false;
    return true;
}

bool IMDialogBase<IMEmptyView>::hitTest(int x, int y) {
    if (isHidden()) return false;
    return ptInRect(getRect(), x, y);
}

long IMDialogBase<IMEmptyView>::onMouseMove(const IMMouseEvent& e) {
    mouseMoved(IMMouseEvent(this, e.message, e.wParam, e.x, e.y));
    const RECT r = getRect();
    lastMouseX_ = e.x - r.left;
    lastMouseY_ = e.y - r.top;
    pointerKnown_ = true;
    const IMMouseEvent own(this, e.message, e.wParam, lastMouseX_, lastMouseY_);
    updateHover(own);
    if (hoveredChild_) hoveredChild_->onMouseMove(own);
    return 0;
}

void IMDialogBase<IMEmptyView>::updateHover(const IMMouseEvent& e) {
    // Until a report says where the pointer is there is no hover to settle: a screen being built
    // would otherwise test each new child at (0, 0), decoding its picture for the alpha test.
    if (!pointerKnown_) return;
    if (e.source != this && e.source && !e.source->hitTest(e.x, e.y) && e.source != hoveredChild_)
        return;
    IMControl* candidate = nullptr;
    for (auto layer = children_.rbegin(); layer != children_.rend() && !candidate; ++layer) {
        const auto& vec = layer->second;
        for (auto child = vec.rbegin(); child != vec.rend(); ++child) {
            if ((*child)->hitTest(e.x, e.y)) {
                candidate = *child;
                break;
            }
        }
    }
    IMControl* old = hoveredChild_;
    if (candidate == old) return;
    hoveredChild_ = candidate;
    if (candidate) candidate->onMouseEnter(IMMouseEvent(this, IM_MSG_MOUSE_ENTER, e.wParam, e.x, e.y));
    // The enter handler may hide or move the child, which settles the hover again from inside:
    // what it decided stands, and `old` leaves unless it holds the hover once more.
    if (old && hoveredChild_ != old) old->onMouseLeave(IMMouseEvent(this, WM_MOUSELEAVE, e.wParam, e.x, e.y));
}

long IMDialogBase<IMEmptyView>::onMouseEnter(const IMMouseEvent& e) {
    IMViewControl<IMEmptyView>::onMouseEnter(e);
    // A container that appears under a resting pointer learns where it is, so that its own
    // children can take the hover before the next report.
    const RECT r = getRect();
    lastMouseX_ = e.x - r.left;
    lastMouseY_ = e.y - r.top;
    pointerKnown_ = true;
    updateHover(IMMouseEvent(this, WM_MOUSEMOVE, e.wParam, lastMouseX_, lastMouseY_));
    return 0;
}

long IMDialogBase<IMEmptyView>::onMouseButton(const IMMouseEvent& e) {
    IMViewControl<IMEmptyView>::onMouseButton(e);
    IMControl* child = hoveredChild_;
    if (!child) return 0;
    if (e.message == WM_LBUTTONDOWN && child != focusedChild_ && child->isFocusable()) {
        if (focusedChild_) focusedChild_->setFocus(false);
        child->setFocus(true);
    }
    const RECT r = getRect();
    child->onMouseButton(IMMouseEvent(this, e.message, e.wParam, e.x - r.left, e.y - r.top));
    return 0;
}

long IMDialogBase<IMEmptyView>::onMouseLeave(const IMMouseEvent& e) {
    IMViewControl<IMEmptyView>::onMouseLeave(e);
    if (IMControl* old = hoveredChild_) {
        hoveredChild_ = nullptr;
        old->onMouseLeave(e);
    }
    return 0;
}

long IMDialogBase<IMEmptyView>::onKey(const IMKeyboardEvent& e) {
    IMViewControl<IMEmptyView>::onKey(e);
    if (focusedChild_) focusedChild_->onKey(e);
    return 0;
}

long IMDialogBase<IMEmptyView>::onPaint(const IMEvent& e) {
    if (!isHidden()) {
        TextureRegistry* rm = textureRegistry();
        // Without a device (a tree under test) children still paint, unclipped.
        std::optional<ClipScope> scope;
        if (rm) scope.emplace(*rm, getRect());
        if (!scope || scope->visible()) {
            for (const auto& [layer, vec] : children_)
                for (IMControl* child : vec) child->onPaint(e);
            scope.reset();
            draw();
            setChanged(false);
            painted(IMEvent(this, IM_MSG_PAINT));
        }
    }
    setChanged(false);
    return 0;
}

long IMDialogBase<IMEmptyView>::onUpdate(const IMEvent& e) {
    const bool hoverDeleted = hoveredChild_ && isClosing(hoveredChild_);
    const bool deleting = !pendingDeletes_.empty();
    deletePending();
    const bool committing = !pendingChildren_.empty();
    for (auto& [layer, vec] : pendingChildren_) {
        auto& target = children_[layer];
        target.insert(target.end(), vec.begin(), vec.end());
    }
    pendingChildren_.clear();
    // What is drawn changes now, not when the child was added or closed: a frame drawn in
    // between (which cleared the flags) still showed the old set of children.
    if (deleting || committing) changed_ = true;
    // A child that appears under the resting pointer, or is uncovered by a deletion, is hovered
    // now, not at the next report: the pointer may have come there before the child existed.
    if ((committing || hoverDeleted) && pointerKnown_ && (isHovered() || !parent_))
        updateHover(IMMouseEvent(this, WM_MOUSEMOVE, 0, lastMouseX_, lastMouseY_));
    tick();
    if (!updated.empty()) updated(IMEvent(this, IM_MSG_CLOSE));
    for (const auto& [layer, vec] : children_)
        for (IMControl* child : vec) child->onUpdate(e);
    return 0;
}

long IMDialogBase<IMEmptyView>::onClose(const IMEvent& e) {
    for (const auto& [layer, vec] : children_)
        for (IMControl* child : vec) child->onClose(e);
    return detach();
}

long IMDialogBase<IMEmptyView>::onFocusLost(const IMEvent& e) {
    IMViewControl<IMEmptyView>::onFocusLost(e);
    focusedChild_ = nullptr;
    for (const auto& [layer, vec] : children_)
        for (IMControl* child : vec) child->onFocusLost(e);
    return 0;
}

long IMDialogBase<IMEmptyView>::onChildFocus(const IMEvent& e) {
    if (e.message == IM_MSG_FOCUS_GAINED && e.source != focusedChild_) {
        setFocus(true);
        if (focusedChild_) {
            std::erase(focusHistory_, focusedChild_);
            focusHistory_.push_back(focusedChild_);
            focusedChild_->setFocus(false);
        }
        std::erase(focusHistory_, e.source);
        focusedChild_ = e.source;
        lastFocused_ = e.source;
    } else if (e.message == IM_MSG_FOCUS_LOST && e.source == focusedChild_) {
        focusedChild_ = nullptr;
    }
    return 1;
}

IMContainer* IMDialogBase<IMEmptyView>::createDialog(int x, int y, int width, int height,
                                                     int layer) {
    return new IMDialogBase<IMEmptyView>(this, RECT{x, y, x + width, y + height}, layer);
}

IMStaticPictureBase<IMTextureView>* IMDialogBase<IMEmptyView>::createPicture(
    int x, int y, const std::wstring& name, int layer, std::uint32_t color) {
    auto* picture = new IMStaticPictureBase<IMTextureView>(this, layer);
    picture->setTexture(name);
    picture->setRect(picture->getContentRect());
    picture->moveTo(x, y);
    picture->color = color;
    picture->setChanged(true);
    return picture;
}

IMButtonBase<IMStateView>* IMDialogBase<IMEmptyView>::createButton(
    int x, int y, const std::wstring& normal, const std::wstring& disabledLook,
    const std::wstring& hoveredLook, const std::wstring& pressedLook, int layer) {
    auto* button = new IMButtonBase<IMStateView>(this, layer);
    button->setStateTextures(normal, disabledLook, hoveredLook, pressedLook);
    button->setRect(button->getContentRect());
    button->moveTo(x, y);
    return button;
}

IMStaticPictureBase<IMTextView>* IMDialogBase<IMEmptyView>::createLabel(int x, int y,
                                                                      const std::wstring& text,
                                                                      int layer) {
    auto* label = new IMStaticPictureBase<IMTextView>(this, layer);
    label->setText(text);
    label->setRect(label->getContentRect());
    label->moveTo(x, y);
    return label;
}

IMContainer* rootContainer(IMControl* control) {
    IMContainer* top = control->getParent();
    if (!top) return dynamic_cast<IMContainer*>(control);
    while (top->getParent()) top = top->getParent();
    return top;
}
