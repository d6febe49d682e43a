#pragma once
// A vertical scroll bar: two arrow buttons, the track above and below the slider, and the slider.
// It keeps a position within minValue ... maxValue - pageSize and announces every change through
// `scrolled`. Held arrows and tracks repeat on window timers; the slider is dragged through the
// window's own mouse signals.

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"

class IMScroll : public IMDialogBase<IMEmptyView> {
public:
    using ScrollSignal = boost::signals2::signal<long(const IMEvent&, int), LastValueCombiner>;
    using Button = IMButtonBase<IMStateView>;

    static constexpr int kDefaultWidth = 16;
    static constexpr std::uint32_t kFirstRepeatMs = 500;
    static constexpr std::uint32_t kRepeatMs = 50;

    // Without a rectangle the bar is 16 pixels wide along the right edge of the parent.
    IMScroll(IMContainer* parent, const RECT* r);
    ~IMScroll() override;

    void setRect(const RECT& r) override;
    virtual long onSliderMouse(const IMMouseEvent& e);
    virtual void layout();

    void setPosition(int p);
    int position() const { return position_; }

    int minValue = 0;
    int maxValue = 100;
    int pageSize = 10;
    ScrollSignal scrolled;

    Button* upButton() const { return upButton_; }
    Button* downButton() const { return downButton_; }
    Button* trackUp() const { return trackUp_; }
    Button* trackDown() const { return trackDown_; }
    Button* slider() const { return slider_; }
    bool isRepeatingOrDragging() const { return activeConnection_.connected(); }
    int repeatTimer() const { return repeatTimer_; }

private:
    long onPartMouse(const IMMouseEvent& e);
    long onRepeat(IMControl* part, const IMEvent&);
    int stepOf(const IMControl* part) const;
    void startRepeat(IMControl* part, std::uint32_t intervalMs);
    void stopRepeat();

    int position_ = 0;
    IMStaticPictureBase<IMTextureView>* backgroundPicture_ = nullptr;
    Button* upButton_ = nullptr;
    Button* downButton_ = nullptr;
    Button* trackUp_ = nullptr;
    Button* trackDown_ = nullptr;
    Button* slider_ = nullptr;
    IMConnection activeConnection_;
    int repeatTimer_ = 0;
    int dragLastX_ = 0;
    int dragLastY_ = 0;
};
