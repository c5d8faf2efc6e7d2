#pragma once

// The Convert command (control 1001 of the main dialog). User-interface thread only.

#include <QString>

class ConvertCore;

// Checks the choices in order, each failure ending the command with its message:
// the list has entries ("Please add source files."), the folder text is not empty
// ("Please select output folder."), it names a folder ("The output folder doesn't
// exist."), the encoder tool is there ("There isn't a core file."). Then hands the
// engine its settings and one job per list entry in display order, runs the progress
// dialog, waits for the worker and selects the converted sources. True when a batch
// ran. A command that stopped at a check leaves the engine as it was.
bool convertCommand();

// The encoder tool: core/quentrel in the folder of the running program. Empty when
// the program's own path cannot be read.
QString encoderToolPath();

// Selects exactly the list entries whose job reached 100 percent; entry i stands for
// job i, as the jobs were added in display order.
void markCompletedSources();

// Waits until the engine's worker has ended (and joins it), keeping the windows
// painted meanwhile; user input waits. Returns at once without an engine or worker.
// A stop is bounded, so this wait is too.
void waitForWorkerKeepingPainted(ConvertCore* engine);
void waitForWorkerKeepingPainted();
