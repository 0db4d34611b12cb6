#pragma once
// --help and --version of the command-line tools. Only the first argument counts: later
// ones belong to the statements or command files the tools run.

#include <cstdio>
#include <cstring>

// True when the tool has answered and should exit with status 0.
inline bool answeredHelpOrVersion(int argc, char **argv, const char *name, const char *usage) {
    if (argc < 2) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s (Pavona) %s\n", name, PAVONA_VERSION);
        return true;
    }
    return false;
}
