#include "engine/engine_state.h"

#include "engine/window_interface.h"

namespace {
SilentWindowInterface silentWindows;
}

EngineState engine = [] {
    EngineState state;
    state.ui = &silentWindows;
    return state;
}();
