#pragma once
// What the completion screen may ask of the application.

#include <string>

class CompletionHost {
public:
    virtual ~CompletionHost() = default;

    // Whether there is a pupil's report to print or save.
    virtual bool hasReport() const = 0;
    virtual long showPrintDialog() = 0;
    virtual long showSaveAsDialog() = 0;
    // Another run for the same pupil into the same report, without the opening instruction.
    virtual long startAnotherRun() = 0;
    // A fresh start screen for the next pupil.
    virtual void showStartScreen() = 0;
    virtual void exitProgram() = 0;
};
