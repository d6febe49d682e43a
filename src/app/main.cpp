// Entry point: the command line, one application object, one window, the main loop.

#include <cstdio>
#include <cstring>
#include <exception>

#include "exercise/App.h"
#include "platform/Memory.h"
#include "platform/fonts/FontFace.h"

namespace {

constexpr const char* kUsage =
    "Использование: tavrelo [--windowed] [--version] [--help]\n"
    "Упражнение для учеников начальной школы: учимся перемещать мышь.\n"
    "\n"
    "  --windowed  окно 800 × 600 вместо полного экрана\n"
    "  --version   показать версию и выйти\n"
    "  --help      показать эту справку и выйти\n"
    "\n"
    "Клавиши: Esc — пропустить инструкцию, F1 — повторить инструкцию, F12 — выход,\n"
    "Ctrl+I — об авторах.\n"
    "Отчёты: $XDG_DATA_HOME/KVAD (обычно ~/.local/share/KVAD).\n";

struct CommandLine {
    bool windowed = false;
    bool version = false;
    bool help = false;
    const char* unknown = nullptr;
};

CommandLine parseOptions(int argc, char** argv) {
    CommandLine options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--windowed") == 0)
            options.windowed = true;
        else if (std::strcmp(argv[i], "--version") == 0)
            options.version = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            options.help = true;
        else if (!options.unknown)
            options.unknown = argv[i];
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    platform::returnLargeBlocksToTheSystem();
    const CommandLine options = parseOptions(argc, argv);
    if (options.unknown) {
        std::fprintf(stderr, "tavrelo: неизвестный параметр «%s»\n%s", options.unknown, kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tavrelo %s\n", TAVRELO_VERSION);
        return 0;
    }
    try {
        // The fonts' configuration loads while the window and the device are made.
        platform::fonts::FontFace::prepare();
        App* app = App::instance(L"00061 Упражнение «Tavrelo»", options.windowed);
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
