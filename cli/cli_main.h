#pragma once

#include <string>

// The whole command-line tool: reads the options, checks the sources and settings
// in the window's order with its messages, runs the batch and returns the exit
// status: 0 when every file was converted or kept, 1 when any failed or was refused,
// 2 for a usage or validation error, 130 when a signal stopped the batch.
int runCli(int argc, char** argv);

// core/quentrel in the folder of the running program.
std::string encoderToolPath();
