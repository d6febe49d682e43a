#pragma once
// The exit menu (F12): a veil over the whole screen and a small panel with Retry, Close and
// Cancel.

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"

class ScreenHost;

class ExitMenu : public IMDialogBase<IMEmptyView> {
public:
    // Above every screen of the lesson and below the credits.
    static constexpr int layer = 1099;

    ExitMenu(IMContainer* parent, ScreenHost& host);

    IMContainer* panel = nullptr;
    IMButtonBase<IMStateView>* retryButton = nullptr;
    IMButtonBase<IMStateView>* closeButton = nullptr;
    IMButtonBase<IMStateView>* cancelButton = nullptr;

private:
    long onRetry(const IMMouseEvent&);
    long onCloseClicked(const IMMouseEvent&);
    long onCancel(const IMMouseEvent&);

    ScreenHost& host_;
};
