#pragma once
// Start-up of the engine: the variable table, the messages, the defaults, the call-level
// interface environment and the built-in commands. The windows do the rest.

// Default settings and default script variables.
void set_defaults();
// Frees every variable slot, fills the messages, sets the defaults, allocates the
// call-level-interface environment (its return code is left in engine.lastRc; a non-zero
// code means the program cannot go on), registers the built-in commands and hands the
// session its server-output hooks.
void engine_startup();
// Has the session hand its notices to the server output, set up the server output after
// every connection, and keep what it reports as variables (start-up).
void registerSessionHooks();
