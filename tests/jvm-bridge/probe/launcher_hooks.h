// The VM's vfprintf, exit and abort hooks, set as the launcher sets them: JavaVMOption entries
// whose optionString is "vfprintf", "exit" or "abort" and whose extraInfo is a JNICALL function.
//
// Each call prints one line on stdout, saying what came and whether it came on a thread that
// Wine made (one with its own TEB, running on the stack that TEB describes):
//   hook vfprintf on a Windows thread: "<text as formatted by this exe's C runtime>"
//   hook exit(<status>) on a Windows thread
//   hook abort() on a Windows thread
// with "NOT on a Windows thread" in place of "on a Windows thread" otherwise. In the text, a
// line feed shows as \n, a carriage return as \r.
#ifndef VORNA_BRIDGE_PROBE_LAUNCHER_HOOKS_H
#define VORNA_BRIDGE_PROBE_LAUNCHER_HOOKS_H

#include <jni.h>

#include <vector>

std::vector<JavaVMOption> launcher_hook_options();

// How many vfprintf calls there were, and the most that ran at once.
int vfprintf_calls();
int most_vfprintf_calls_at_once();

#endif
