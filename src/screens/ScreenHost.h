#pragma once
// What a screen may ask of the application. Screens know nothing else of it: they are built
// from their own tables, hold their controls as fields, and call back only through this.

class ScreenHost {
public:
    virtual ~ScreenHost() = default;

    // Back to a fresh start screen, ending whatever runs now.
    virtual long returnToStart() = 0;
    // Ends the program the way every other way out does (the report is saved on the way).
    virtual void exitProgram() = 0;
    // The exit menu goes away and the lesson goes on where it was.
    virtual long closeExitMenu() = 0;
};
