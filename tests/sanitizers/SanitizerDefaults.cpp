// Options every sanitized program of ours starts with, so that a test binary run by hand behaves
// as it does under CTest. The environment's *SAN_OPTIONS still override them.

#ifndef TAVRELO_SANITIZER_DIR
#error "TAVRELO_SANITIZER_DIR names the folder of the suppression lists"
#endif

extern "C" {

// Libraries loaded at run time (SDL loads Mesa's, for one) stay mapped until the program ends. A
// library unloaded earlier takes its globals with it, so all they held shows as leaked from
// "<unknown module>", which no suppression can name; kept loaded, it leaks nothing. This
// definition takes the place of the C library's for the whole program.
int dlclose(void* handle);
int dlclose(void*) { return 0; }

// Called by the sanitizer runtimes before main(); the weak defaults in the runtimes give "".
const char* __asan_default_options();
const char* __lsan_default_options();
const char* __ubsan_default_options();
const char* __tsan_default_options();

const char* __asan_default_options() { return "detect_leaks=1:detect_stack_use_after_return=0"; }

// Leaks that others' libraries leave at exit are listed by library in lsan.supp.
const char* __lsan_default_options() {
    return "suppressions=" TAVRELO_SANITIZER_DIR "/lsan.supp:print_suppressions=0";
}

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char* __tsan_default_options() {
    return "suppressions=" TAVRELO_SANITIZER_DIR "/tsan.supp:print_suppressions=0:halt_on_error=0";
}
}
