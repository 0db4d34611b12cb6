#include "routines/airport_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace routines {

namespace {

constexpr const char *initialLines[] = {
    "Toronto,YYZ;",     "Vancouver,YVR;", "San Francisco,SFO;", "Chicago,ORD;",
    "Los Angeles,LAX;", "Tokyo,NRT;",     "Hong Kong,HKG;",     "Singapore,SIN;",
    "London,LHR;",      "Sydney,SYD;",    "Melbourne,MEL;",     "San Jose,SJC;",
};

constexpr int lineBufferSize = 50;

std::string homeFolder() {
    const char *home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

std::string dataHome() {
    // A relative XDG_DATA_HOME is invalid and ignored.
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/.local/share";
}

bool makeFolders(const std::string &path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        struct stat info {};
        const bool exists = stat(prefix.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        if (!exists && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// Only a folder that nobody else can write to may hold a file this library creates
// and later trusts.
bool isPrivateFolder(const std::string &path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & S_IWOTH) == 0;
}

bool writeAll(int fd, const char *data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

bool writeInitialLines(int fd) {
    for (const char *line : initialLines)
        if (!writeAll(fd, line, std::strlen(line)) || !writeAll(fd, "\n", 1)) return false;
    return true;
}

// Written under a temporary name and linked into place, so a reader never sees a
// half-written file and a file that appeared meanwhile is never overwritten.
void createAirportsFile(const std::string &folder, const std::string &path) {
    std::string temporary = folder + "/AIRPORTS.DAT.XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return;
    const bool written = writeInitialLines(fd);
    const bool closed = close(fd) == 0;
    // A failed link leaves whatever stands at path (another process's file, or none): the
    // caller opens what is there either way.
    if (written && closed) {
        [[maybe_unused]] const int linked = link(temporary.c_str(), path.c_str());
    }
    unlink(temporary.c_str());
}

void stripLineEnd(char *line) {
    size_t length = std::strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
}

// Drops what is left of a line longer than the buffer, so that one line gives one row.
void skipRestOfLine(FILE *file, const char *line) {
    if (std::strchr(line, '\n') != nullptr) return;
    int c;
    do {
        c = std::fgetc(file);
    } while (c != '\n' && c != EOF);
}

void copyUpTo(char *target, const char *begin, const char *end) {
    const size_t length = static_cast<size_t>(end - begin);
    std::memcpy(target, begin, length);
    target[length] = '\0';
}

const char *fieldEnd(const char *begin) {
    const char *semicolon = std::strchr(begin, ';');
    return semicolon != nullptr ? semicolon : begin + std::strlen(begin);
}

void splitLine(const char *line, AirportRow &row) {
    const char *comma = std::strchr(line, ',');
    row.hasCode = comma != nullptr;
    if (comma == nullptr) {
        copyUpTo(row.city, line, fieldEnd(line));
        row.code[0] = '\0';
        return;
    }
    copyUpTo(row.city, line, comma);
    copyUpTo(row.code, comma + 1, fieldEnd(comma + 1));
}

} // namespace

std::string pavonaDataFolder() {
    const std::string home = dataHome();
    if (home.empty()) return {};
    const std::string folder = home + "/pavona";
    if (!makeFolders(folder) || !isPrivateFolder(folder)) return {};
    return folder;
}

FILE *openAirportsFile() {
    const std::string folder = pavonaDataFolder();
    if (folder.empty()) return nullptr;
    const std::string path = folder + "/AIRPORTS.DAT";
    if (FILE *file = std::fopen(path.c_str(), "re")) return file;
    createAirportsFile(folder, path);
    return std::fopen(path.c_str(), "re");
}

bool readAirportRow(FILE *file, AirportRow &row) {
    static_assert(sizeof row.city >= lineBufferSize && sizeof row.code >= lineBufferSize);
    char line[lineBufferSize];
    do {
        if (std::fgets(line, sizeof line, file) == nullptr) return false;
        skipRestOfLine(file, line);
        stripLineEnd(line);
    } while (line[0] == '\0');
    splitLine(line, row);
    return true;
}

} // namespace routines
