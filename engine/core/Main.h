// Program entry's work: starts the engine, runs frames while it is running,
// shuts down. The program's parts (steps, hooks, seams) must be installed
// before. Shows "Initialization error! ..." when the start fails with a
// window, and returns -1 then; 0 after a run that ended.
#pragma once

int WinMain();
