#pragma once
// The interrupt and terminate signals end the viewer as its Exit command
// does: documents closed (their calculations stopped and waited for),
// settings saved, the log summary written. The handler only raises a flag
// (and stops running calculations, as the engine's own handler does); the
// window thread polls the flag.
//
// The engine installs its own handler when it prepares a configuration, so
// the viewer installs this one again after every open.
namespace quit_signals {

// Installs the handler for SIGINT and SIGTERM; false when it could not.
bool install();
// Whether a signal asked the viewer to end.
bool requested();
// Forgets a request (tests).
void clear();

}  // namespace quit_signals
