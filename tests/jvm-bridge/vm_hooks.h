// The VM hook options: "vfprintf", "exit" and "abort", whose extraInfo is a function of the
// launcher's (Windows x64 convention, JNICALL):
//   jint vfprintf(FILE* stream, const char* format, va_list arguments)   // a Windows va_list
//   void exit(jint status)
//   void abort(void)
// HotSpot gets the bridge's own hooks in their place. Each formats what it needs on the
// HotSpot thread and runs the launcher's function on the hook relay (hook_relay.h); vfprintf
// hands over the finished text as format "%s" with a Windows va_list, and the stream as
// HotSpot gave it (a Linux FILE*, which Windows code must not use). When the launcher's exit
// or abort hook returns, the other Windows threads end with the status (1 after abort), as in
// ExitProcess, and HotSpot goes on ending the process.
#ifndef VORNA_JVM_BRIDGE_VM_HOOKS_H
#define VORNA_JVM_BRIDGE_VM_HOOKS_H

#include <jni.h>

#include <string>

bool is_vm_hook_option(const std::string& option_string);

// The extraInfo HotSpot gets for a hook option: null when the launcher's is null, else the
// bridge's hook, which calls the launcher's. Call it on a Windows thread (it starts the relay).
void* hotspot_hook_for(const JavaVMOption& option);

#endif
