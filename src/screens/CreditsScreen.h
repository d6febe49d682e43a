#pragma once
// Who made the program: a page over everything, opened with Ctrl+I on any screen and closed with
// its Exit button.

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"

class CreditsScreen : public IMDialogBase<IMEmptyView> {
public:
    // Above every other screen.
    static constexpr int layer = 9999;

    explicit CreditsScreen(IMContainer* parent);

    IMButtonBase<IMStateView>* exitButton = nullptr;

private:
    long onExitClicked(const IMMouseEvent&);
};
