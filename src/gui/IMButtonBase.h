#pragma once
// A button: a state view whose texture follows the mouse (normal, hovered, pressed) and the
// enabled flag.

#include <boost/bind/bind.hpp>

#include "gui/IMTextureView.h"
#include "gui/IMViewControl.h"

template <typename V> class IMButtonBase;

template <> class IMButtonBase<IMStateView> : public IMViewControl<IMStateView> {
public:
    IMButtonBase(IMContainer* parent, int layer) : IMViewControl<IMStateView>(parent, layer) {
        using boost::placeholders::_1;
        mouseButton.connect(boost::bind(&IMButtonBase::onMouseSignal, this, _1));
        mouseEntered.connect(boost::bind(&IMButtonBase::onMouseSignal, this, _1));
        mouseLeft.connect(boost::bind(&IMButtonBase::onMouseSignal, this, _1));
        disabled.connect(boost::bind(&IMButtonBase::onStateSignal, this, _1));
        enabled.connect(boost::bind(&IMButtonBase::onStateSignal, this, _1));
        hidden.connect(boost::bind(&IMButtonBase::onStateSignal, this, _1));
        shown.connect(boost::bind(&IMButtonBase::onStateSignal, this, _1));
    }

    void disable() override {
        IMViewControl<IMStateView>::disable();
        updateState();
    }
    void enable() override {
        IMViewControl<IMStateView>::enable();
        updateState();
    }

    virtual long updateState() {
        if (isHidden()) return 0;
        int key = IMStateView::Normal;
        if (!isEnabled())
            key = IMStateView::Disabled;
        else if (!isHovered())
            key = IMStateView::Normal;
        else if (isPressed())
            key = IMStateView::Pressed;
        else
            key = IMStateView::Hovered;
        if (key != state_) showState(key);
        return 0;
    }

private:
    long onMouseSignal(const IMMouseEvent&) { return updateState(); }
    long onStateSignal(const IMEvent&) { return updateState(); }
};
