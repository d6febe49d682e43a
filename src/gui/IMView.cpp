#include "gui/IMView.h"

void IMView::setRect(const RECT& r) {
    if (r == getRect()) return;
    rect_ = r;
    setChanged(true);
}

void IMView::setContentRect(const RECT& r) {
    if (r == contentRect_) return;
    contentRect_ = r;
    setChanged(true);
}

void IMView::moveTo(const POINT& p) {
    const RECT r = getRect();
    setRect(RECT{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)});
}

POINT IMView::getPosition() const {
    const RECT r = getRect();
    return POINT{r.left, r.top};
}

void IMView::setSize(int w, int h) {
    const RECT r = getRect();
    setRect(RECT{r.left, r.top, r.left + w, r.top + h});
}

int IMView::getHeight() const {
    const RECT r = getRect();
    return r.bottom - r.top;
}

int IMView::getWidth() const {
    const RECT r = getRect();
    return r.right - r.left;
}

bool IMView::hitTest(const POINT& p) { return ptInRect(getRect(), p.x, p.y); }
