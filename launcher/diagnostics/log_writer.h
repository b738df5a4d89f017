#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "diagnostics/rolling_file.h"

// Appends one timestamped line to the log file; callable from any thread. The format must not
// end in a newline: the line end is added here.
void writeLog(const char* format, ...);

// Logs what the last roll-over of file could not keep, if anything.
void logRollFailure(RollingFile& file);

// Logs that a Windows call failed, with its error code: "<call> failed with Windows error code N."
void logWindowsError(const char* call, unsigned long code);

// The local time now as the log folder's files stamp their lines: "dd.mm.yyyy HH:MM:SS ".
std::string logTimeNow();

// Writes the line prefix "dd.mm.yyyy HH:MM:SS [VORNA] " for the given local time; returns its
// length (0 when it does not fit).
std::size_t formatLogTimestamp(const std::tm& localTime, char* buffer, std::size_t capacity);
