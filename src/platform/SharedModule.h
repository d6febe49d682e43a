#pragma once
// A shared object loaded while the program runs, for a part of it that is needed only now and
// then: what it maps is given back when the module is unloaded.

#include <filesystem>
#include <memory>
#include <string>

namespace platform {

class SharedModule {
public:
    // Loads the module at `path` with every symbol resolved now, its names kept to itself. Null,
    // with the loader's reason in `problem`, when it cannot be loaded.
    static std::unique_ptr<SharedModule> load(const std::filesystem::path& path,
                                              std::string& problem);
    // Unloads it (the loader keeps it while other users have it loaded).
    ~SharedModule();
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    // The address of an exported name; null, with the reason in `problem`, when there is none.
    void* find(const char* name, std::string& problem) const;

private:
    explicit SharedModule(void* handle) : handle_(handle) {}
    void* handle_;
};

} // namespace platform
