#pragma once

// The Convert command (control 1001 of the main dialog). User-interface thread only.

class ConvertCore;

// Checks the choices, hands the engine its settings and one job per list entry, runs
// the progress dialog and then selects the converted sources. True when a batch ran.
bool convertCommand();

// Waits until the engine's worker has ended (and joins it), keeping the windows
// painted meanwhile; user input waits. Returns at once without an engine or worker.
// A stop is bounded, so this wait is too.
void waitForWorkerKeepingPainted(ConvertCore* engine);
void waitForWorkerKeepingPainted();
