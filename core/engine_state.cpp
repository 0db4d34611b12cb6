#include "core/engine_state.h"

#include "core/window_interface.h"

namespace {
SilentWindowInterface silentWindows;
}

EngineState engine = [] {
    EngineState state;
    state.ui = &silentWindows;
    return state;
}();
