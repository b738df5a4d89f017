#pragma once

// Whether the narrow-character file functions can open path: converted from the ANSI code page,
// it must fit in MAX_PATH characters with its terminator.
bool fitsNarrowFileFunctions(const char* path);
