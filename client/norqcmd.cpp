// Console starter: runs a command file with the POSIX shell.
//   norqcmd [/i] [/c] [/w] FILE [ARGS...]
// /w waits for the file's commands to end and returns their exit status; without it the
// commands are left running on their own. /i and /c are accepted for compatibility.

#include "client/tool_info.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kUsageError = 2;
constexpr int kCannotStart = 127;

const char *const kUsage =
    "Usage: norqcmd [/i] [/c] [/w] FILE [ARGS...]\n"
    "Runs the command file FILE with the POSIX shell, ARGS as its arguments.\n"
    "\n"
    "  /w         waits for the commands to end and exits with their status; without it\n"
    "             they are left running on their own\n"
    "  /i, /c     accepted and ignored\n"
    "  --help     shows this text\n"
    "  --version  shows the version\n";

struct Options {
    bool wait = false;
    std::vector<std::string> command; // file and its arguments
};

bool isSwitch(const char *arg) {
    return (arg[0] == '/' || arg[0] == '-') && std::strlen(arg) == 2;
}

bool parseOptions(int argc, char **argv, Options &options) {
    int i = 1;
    for (; i < argc && options.command.empty() && isSwitch(argv[i]); ++i) {
        switch (argv[i][1]) {
        case 'w':
        case 'W':
            options.wait = true;
            break;
        case 'i':
        case 'I':
        case 'c':
        case 'C':
            break;
        default:
            std::fprintf(stderr, "norqcmd: unknown option %s\n", argv[i]);
            return false;
        }
    }
    for (; i < argc; ++i)
        options.command.emplace_back(argv[i]);
    return !options.command.empty();
}

int exitStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

// The file's text without carriage returns, so files written with CR LF line ends run
// as written; false when it cannot be read.
bool readCommands(const std::string &path, std::string &commands) {
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[8192];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        for (size_t i = 0; i < got; ++i)
            if (buffer[i] != '\r') commands += buffer[i];
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

int runWithShell(const Options &options, const std::string &commands) {
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>("/bin/sh"));
    argv.push_back(const_cast<char *>("-c"));
    argv.push_back(const_cast<char *>(commands.c_str()));
    for (const std::string &word : options.command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        std::fprintf(stderr, "norqcmd: cannot start /bin/sh: %s\n", std::strerror(errno));
        return kCannotStart;
    }
    if (pid == 0) {
        if (!options.wait) setsid(); // detach so the commands outlive this starter
        execv("/bin/sh", argv.data());
        std::fprintf(stderr, "norqcmd: cannot start /bin/sh: %s\n", std::strerror(errno));
        _exit(kCannotStart);
    }
    if (!options.wait) return 0;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return kCannotStart;
    }
    return exitStatus(status);
}

} // namespace

int main(int argc, char **argv) {
    if (answeredHelpOrVersion(argc, argv, "norqcmd", kUsage)) return 0;
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: norqcmd [/i] [/c] [/w] FILE [ARGS...]\n");
        return kUsageError;
    }
    struct stat info {};
    if (stat(options.command.front().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "norqcmd: command file not found: %s\n",
                     options.command.front().c_str());
        return kCannotStart;
    }
    std::string commands;
    if (!readCommands(options.command.front(), commands)) {
        std::fprintf(stderr, "norqcmd: cannot read %s: %s\n", options.command.front().c_str(),
                     std::strerror(errno));
        return kCannotStart;
    }
    return runWithShell(options, commands);
}
