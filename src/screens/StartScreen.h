#pragma once
// The start screen: the exercise's number, title and scrollable description, the pupil's name,
// the keys of the exercise, and Start, Exit and Settings.

#include <string>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMEditBar.h"
#include "gui/IMScroll.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"

class ScreenHost;

class StartScreen : public IMDialogBase<IMEmptyView> {
public:
    struct Texts {
        std::wstring number;
        std::wstring title;
        std::wstring description;
        // One line for the teacher (a report set aside, say); nothing shown when empty.
        std::wstring notice;
    };

    static constexpr RECT viewportRect{119, 187, 712, 423};
    static constexpr RECT scrollRect{712, 187, 726, 427};

    StartScreen(IMContainer* parent, ScreenHost& host, const Texts& texts);

    // Start or Enter: hands the name over once and closes the screen.
    void start();

    IMEditBar* nameField = nullptr;
    IMButtonBase<IMStateView>* startButton = nullptr;
    IMButtonBase<IMStateView>* exitButton = nullptr;
    IMButtonBase<IMStateView>* settingsButton = nullptr;
    IMContainer* viewport = nullptr;
    IMContainer* page = nullptr;
    IMStaticPictureBase<IMTextView>* descriptionText = nullptr;
    IMScroll* scroll = nullptr;
    IMStaticPictureBase<IMTextView>* noticeText = nullptr;

private:
    void buildDescription(const std::wstring& description);
    long onStart(const IMMouseEvent&);
    long onKeyMessage(const IMKeyboardEvent& e);
    long onExit(const IMMouseEvent&);
    long onSettings(const IMMouseEvent&);
    long onSettingsClosed(const IMEvent&);
    long onScrolled(const IMEvent&, int position);
    long onWheel(const IMMouseEvent& e);

    ScreenHost& host_;
    IMStaticPictureBase<IMTextureView>* background_ = nullptr;
    bool started_ = false;
};
