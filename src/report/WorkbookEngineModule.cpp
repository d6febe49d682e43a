#include "report/WorkbookEngine.h"

#include "platform/SharedModule.h"

#include <cstdio>
#include <mutex>

#ifndef TAVRELO_WORKBOOK_MODULE
#error "TAVRELO_WORKBOOK_MODULE names the workbook module's file"
#endif
#ifndef TAVRELO_INSTALLED_MODULE_FOLDER
#error "TAVRELO_INSTALLED_MODULE_FOLDER is where an installation puts it, from the program's folder"
#endif
#ifndef TAVRELO_BUILD_TREE
#error "TAVRELO_BUILD_TREE is the build tree the module is built in"
#endif

namespace report {

namespace fs = std::filesystem;

namespace {

// The module with the engine it made; ending it ends the engine before unloading the module.
struct LoadedEngine {
    std::unique_ptr<platform::SharedModule> module;
    WorkbookEngineClose close = nullptr;
    WorkbookEngine* engine = nullptr;

    LoadedEngine() = default;
    LoadedEngine(const LoadedEngine&) = delete;
    LoadedEngine& operator=(const LoadedEngine&) = delete;
    ~LoadedEngine() {
        if (engine)
            close(engine);
    }
};

bool isInside(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

std::unique_ptr<LoadedEngine> loadEngine(std::string& problem) {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    for (const fs::path& place : workbookModulePlaces(executable)) {
        if (!fs::exists(place, error))
            continue;
        auto loaded = std::make_unique<LoadedEngine>();
        loaded->module = platform::SharedModule::load(place, problem);
        if (!loaded->module)
            return nullptr;
        const auto open = reinterpret_cast<WorkbookEngineOpen>(
            loaded->module->find(kWorkbookEngineOpenSymbol, problem));
        loaded->close = reinterpret_cast<WorkbookEngineClose>(
            loaded->module->find(kWorkbookEngineCloseSymbol, problem));
        if (!open || !loaded->close)
            return nullptr;
        loaded->engine = open();
        if (!loaded->engine) {
            problem = place.string() + ": the XML library could not be initialised";
            return nullptr;
        }
        return loaded;
    }
    problem = std::string("no ") + TAVRELO_WORKBOOK_MODULE + " beside the program or where it is installed";
    return nullptr;
}

} // namespace

std::vector<fs::path> workbookModulePlaces(const fs::path& executable) {
    const fs::path folder = executable.parent_path();
    std::vector<fs::path> places{folder / TAVRELO_WORKBOOK_MODULE,
                                 (folder / TAVRELO_INSTALLED_MODULE_FOLDER / TAVRELO_WORKBOOK_MODULE)
                                     .lexically_normal()};
    // Only a program that is itself part of the build tree trusts what lies there.
    if (isInside(executable, TAVRELO_BUILD_TREE))
        places.push_back(fs::path(TAVRELO_BUILD_TREE) / TAVRELO_WORKBOOK_MODULE);
    return places;
}

std::shared_ptr<const WorkbookEngine> useWorkbookEngine() {
    static std::mutex loading;
    static std::weak_ptr<const WorkbookEngine> current;
    const std::lock_guard<std::mutex> lock(loading);
    if (std::shared_ptr<const WorkbookEngine> held = current.lock())
        return held;
    std::string problem;
    std::shared_ptr<LoadedEngine> loaded = loadEngine(problem);
    if (!loaded) {
        std::fprintf(stderr, "tavrelo: reports can be neither read nor written: %s\n", problem.c_str());
        return nullptr;
    }
    // The engine's users keep the module: the last one to let go unloads it.
    std::shared_ptr<const WorkbookEngine> engine(loaded, loaded->engine);
    current = engine;
    return engine;
}

} // namespace report
