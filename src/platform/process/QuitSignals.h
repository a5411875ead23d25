#pragma once

namespace platform {

// SIGINT and SIGTERM as a request to quit: while installed, either signal
// only raises a flag that the event pump takes and turns into a quit event,
// so the program shuts down in its own order. A second signal, whenever it
// comes, ends the process at once (the signal's default action), so a
// program that cannot quit can still be stopped. Uninstalling puts back
// the handlers that were there before.
void InstallQuitSignals();
void UninstallQuitSignals();
// True once per received signal group: reading clears the flag.
bool TakeQuitSignal();

} // namespace platform
