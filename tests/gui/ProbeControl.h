#pragma once
// A plain rectangle control that records what reaches it, for routing tests.

#include <string>
#include <vector>

#include "gui/IMDialogBase.h"

class ProbeControl : public IMViewControl<IMEmptyView> {
public:
    ProbeControl(IMContainer* parent, const RECT& r, int layer, std::vector<std::string>* log = nullptr,
                 std::string name = {})
        : IMViewControl<IMEmptyView>(parent, layer), log_(log), name_(std::move(name)) {
        setRect(r);
    }
    ~ProbeControl() override {
        if (log_) log_->push_back(name_ + ":deleted");
    }
    long onMouseEnter(const IMMouseEvent& e) override {
        record("enter");
        return IMViewControl<IMEmptyView>::onMouseEnter(e);
    }
    long onMouseLeave(const IMMouseEvent& e) override {
        record("leave");
        return IMViewControl<IMEmptyView>::onMouseLeave(e);
    }
    long onMouseMove(const IMMouseEvent& e) override {
        lastX = e.x;
        lastY = e.y;
        return IMViewControl<IMEmptyView>::onMouseMove(e);
    }
    long onKey(const IMKeyboardEvent& e) override {
        record("key" + std::to_string(e.message));
        return IMViewControl<IMEmptyView>::onKey(e);
    }
    long tick() override {
        ++ticks;
        return 0;
    }
    void draw() override {
        record("draw");
        IMViewControl<IMEmptyView>::draw();
    }

    int lastX = -1;
    int lastY = -1;
    int ticks = 0;

private:
    void record(const std::string& what) {
        if (log_) log_->push_back(name_ + ":" + what);
    }
    std::vector<std::string>* log_;
    std::string name_;
};

// Commits pending children of a root container (the update pass).
inline void commit(IMContainer& root) { root.onUpdate(IMEvent(&root, IM_MSG_CLOSE)); }

inline void moveMouse(IMContainer& root, int x, int y, WPARAM flags = 0) {
    root.onMouseMove(IMMouseEvent(&root, WM_MOUSEMOVE, flags, x, y));
}

inline void button(IMContainer& root, std::uint32_t message, int x, int y, WPARAM flags) {
    root.onMouseButton(IMMouseEvent(&root, message, flags, x, y));
}
