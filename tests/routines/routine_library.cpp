#include "routine_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

RoutineLibrary::RoutineLibrary() {
    handle_ = dlopen(PAVONA_ROUTINES_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        ADD_FAILURE() << "cannot open " << PAVONA_ROUTINES_LIBRARY << ": " << dlerror();
        return;
    }
    search = reinterpret_cast<PavonaSearchRoutine>(dlsym(handle_, "search"));
    airports = reinterpret_cast<PavonaAirportsRoutine>(dlsym(handle_, "airports"));
    pause = reinterpret_cast<PavonaPauseRoutine>(dlsym(handle_, "pause"));
}

RoutineLibrary::~RoutineLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

TemporaryDataHome::TemporaryDataHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pavona-routines-XXXXXX");
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    EXPECT_FALSE(path_.empty());
    if (const char *previous = std::getenv("XDG_DATA_HOME")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    setenv("XDG_DATA_HOME", path_.c_str(), 1);
}

TemporaryDataHome::~TemporaryDataHome() {
    if (hadPrevious_)
        setenv("XDG_DATA_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string &path, const std::string &text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}
