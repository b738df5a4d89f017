#pragma once

#include <windows.h>

#include <cstdint>

// Thread procedure: runs the application's static main(String[]) with the launch record's
// arguments for as long as main runs; signals mainStartedEvent right before the call.
DWORD WINAPI runMainProc(LPVOID parameter);

// True while jvmThread has not ended.
bool isJvmThreadRunning();

// Prints the text of a result code of runMainProc on the standard error stream.
void printJavaThreadResult(std::uint32_t code);
