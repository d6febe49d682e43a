#pragma once
// Scopes that set the process's time zone and locale for one test and put the previous ones back.

#include <cstdlib>
#include <ctime>
#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

// Makes a named locale the global C and C++ locale. The build generates ru_RU.UTF-8 under
// <build>/locales for machines where it is not installed.
class ScopedGlobalLocale {
public:
    explicit ScopedGlobalLocale(const char* name) {
        if (!tryName(name) && !std::getenv("LOCPATH")) {
            ::setenv("LOCPATH", TAVRELO_BINARY_DIR "/locales", 1);
            setLocPath_ = true;
            tryName(name);
        }
    }
    ~ScopedGlobalLocale() {
        std::locale::global(previous_);
        if (setLocPath_) ::unsetenv("LOCPATH");
    }
    ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
    ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;

    bool active() const { return active_; }

private:
    bool tryName(const char* name) {
        try {
            std::locale::global(std::locale(name));
            active_ = true;
        } catch (const std::runtime_error&) {
        }
        return active_;
    }

    std::locale previous_;
    bool active_ = false;
    bool setLocPath_ = false;
};
