// The airport file "AIRPORTS.DAT" in the user's Pavona data folder: finding it, creating
// it with its initial lines, and reading it line by line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace routines {

// $XDG_DATA_HOME/pavona (default ~/.local/share/pavona), created when missing. Empty when
// there is no home folder or the folder is not the user's own or is writable by anyone.
std::string pavonaDataFolder();

// Opens the file for reading; a missing file is first created with the 12 initial lines.
// nullptr when it can be neither opened nor created.
FILE *openAirportsFile();

struct AirportRow {
    char city[50];
    char code[50];
    bool hasCode; // false for a line without ","
};

// Reads the next non-empty line into row; false at the end of the file or on a read error.
bool readAirportRow(FILE *file, AirportRow &row);

} // namespace routines
