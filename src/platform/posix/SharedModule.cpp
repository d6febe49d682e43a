#include "platform/SharedModule.h"

#include <dlfcn.h>

namespace platform {

namespace {
std::string lastLoaderError() {
    const char* error = dlerror();
    return error ? error : "unknown loader error";
}
} // namespace

std::unique_ptr<SharedModule> SharedModule::load(const std::filesystem::path& path,
                                                 std::string& problem) {
    dlerror();
    // Resolved at once, so that a module that does not fit this program fails here and not in
    // the middle of a call; kept local, so that its names never stand in for the program's.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        problem = lastLoaderError();
        return nullptr;
    }
    return std::unique_ptr<SharedModule>(new SharedModule(handle));
}

SharedModule::~SharedModule() {
    dlclose(handle_);
}

void* SharedModule::find(const char* name, std::string& problem) const {
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address)
        problem = lastLoaderError();
    return address;
}

} // namespace platform
