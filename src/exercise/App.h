#pragma once
// The exercise application: catalogue number, title and description, and the exercise screens.

#include "app/IMApp.h"

class App : public IMApp<App> {
public:
    App() = default;
    ~App() override = default;
};
