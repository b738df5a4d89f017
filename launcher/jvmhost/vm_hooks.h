#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>

// The VM's hooks, handed to it as the options "vfprintf", "exit" and "abort". The VM calls them
// on threads of its own, in service mode too, where the process has no standard streams.

// A message of the VM: printed on the standard error stream and logged, one log line per line.
// The stream belongs to the VM's C runtime and is never used.
jint JNICALL vmMessageHook(FILE* stream, const char* format, va_list arguments);

// The VM exits the process with status (System.exit); it does so itself once this returns.
void JNICALL vmExitHook(jint status);

// The VM aborts; it ends the process itself once this returns.
void JNICALL vmAbortHook();

// Logs, line by line, what the VM wrote to its C runtime's standard streams itself, in service mode
// (vmOutputCapture's sink): the rest of a message it began through the hook, or lines of its own.
void logVmDirectOutput(const char* data, std::size_t size);

// Logs what the VM wrote without a line end yet: it will write no more.
void flushVmMessages();

// Forgets what the VM wrote without a line end yet. ExceptionDescribe writes the start of its
// line through the message hook and the rest, the exception, on the Java error stream: its caller
// logs the exception itself.
void dropUnfinishedVmMessages();
