#pragma once
// What a screen may ask of the application. Screens know nothing else of it: they are built
// from their own tables, hold their controls as fields, and call back only through this.

#include <string>

class IMControl;

class ScreenHost {
public:
    virtual ~ScreenHost() = default;

    // Back to a fresh start screen, ending whatever runs now.
    virtual long returnToStart() = 0;
    // Ends the program the way every other way out does (the report is saved on the way).
    virtual void exitProgram() = 0;
    // The exit menu goes away and the lesson goes on where it was.
    virtual long closeExitMenu() = 0;
    // The start screen's Start: a non-empty name opens that pupil's report; the name is recorded
    // and the exercise begins with its instruction.
    virtual long startWithName(const std::wstring& name) = 0;
    // The settings page over everything; null when the application has none. Whoever opens it
    // may follow its `closed`.
    virtual IMControl* openSettings() = 0;
};
