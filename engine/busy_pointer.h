#pragma once
// The busy pointer for the length of a scope (a run, a fetch), through the engine's window
// interface; nothing without one.

#include "core/engine_state.h"
#include "core/window_interface.h"

class BusyPointer {
public:
    BusyPointer() {
        if (engine.ui) engine.ui->setBusyPointer(true);
    }
    ~BusyPointer() {
        if (engine.ui) engine.ui->setBusyPointer(false);
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};
