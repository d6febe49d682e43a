#pragma once
// "ЗАДАНИЕ ВЫПОЛНЕНО": the screen after a run. Print and Save as work on the pupil's report and
// are greyed and inert without one; Enter starts another run for the same pupil; Retry goes back
// to the start screen; Close and Exit end the program.

#include <string>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"

class CompletionHost;

class CompletionScreen : public IMDialogBase<IMEmptyView> {
public:
    struct Texts {
        std::wstring number;
        std::wstring title;
        std::wstring pupilName;
        // Where the report is kept, or why there is none.
        std::wstring footer;
    };
    static constexpr std::uint32_t greyedColour = 0xFF808080;
    static constexpr std::uint32_t footerColour = 0xFFAEAEAE;
    static constexpr std::uint32_t enterKey = 13;

    CompletionScreen(IMContainer* parent, CompletionHost& host, const Texts& texts);

    IMButtonBase<IMStateView>* printButton = nullptr;
    IMButtonBase<IMStateView>* saveAsButton = nullptr;
    IMButtonBase<IMStateView>* retryButton = nullptr;
    IMButtonBase<IMStateView>* closeButton = nullptr;
    IMButtonBase<IMStateView>* exitButton = nullptr;

private:
    long onCompletionScreenKey(const IMKeyboardEvent& e);
    long onRetry(const IMMouseEvent&);
    long onCloseClicked(const IMMouseEvent&);

    CompletionHost& host_;
    bool leaving_ = false;
};
