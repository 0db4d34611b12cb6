// Opens libpavona.so the way a server does (by path, then the routines by name) and
// gives each test a private data folder.
#pragma once

#include "routines/routine_types.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

class RoutineLibrary {
public:
    RoutineLibrary();
    ~RoutineLibrary();
    RoutineLibrary(const RoutineLibrary &) = delete;
    RoutineLibrary &operator=(const RoutineLibrary &) = delete;

    PavonaSearchRoutine search = nullptr;
    PavonaAirportsRoutine airports = nullptr;
    PavonaPauseRoutine pause = nullptr;

private:
    void *handle_ = nullptr;
};

// Points XDG_DATA_HOME at a fresh temporary folder for the lifetime of the object.
class TemporaryDataHome {
public:
    TemporaryDataHome();
    ~TemporaryDataHome();
    TemporaryDataHome(const TemporaryDataHome &) = delete;
    TemporaryDataHome &operator=(const TemporaryDataHome &) = delete;

    const std::string &path() const { return path_; }
    std::string airportsFile() const { return path_ + "/pavona/AIRPORTS.DAT"; }

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &text);
