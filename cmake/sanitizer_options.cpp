// Default options of the sanitizer build, linked into each of its programs so that a
// test run by hand behaves as under scripts/test. Leaks are reported; the suppressions
// name third-party libraries only, whose caches live until the process ends.
#define PAVONA_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used))

PAVONA_SANITIZER_HOOK const char *__asan_default_options() {
    return "check_initialization_order=1:detect_leaks=1";
}

PAVONA_SANITIZER_HOOK const char *__ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

PAVONA_SANITIZER_HOOK const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n";
}
