// Entry point: one application object, one window, the main loop.

#include <cstdio>
#include <exception>

#include "exercise/App.h"
#include "platform/fonts/FontFace.h"

int main() {
    try {
        // The fonts' configuration loads while the window and the device are made.
        platform::fonts::FontFace::prepare();
        App* app = App::instance(L"00061 Упражнение «Tavrelo»");
        app->showStartScreen();
        const int status = IMWindow::run(app->window);
        App::releaseInstance();
        return status;
    } catch (const std::exception& e) {
        // The device could not be made, or the display refused us: say so and end.
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
