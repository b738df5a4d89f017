// Ends the process when Windows code asks for something the bridge cannot carry.
#ifndef VORNA_JVM_BRIDGE_TRAP_H
#define VORNA_JVM_BRIDGE_TRAP_H

#include <string>

[[noreturn]] void trap(const std::string& why);
[[noreturn]] void trap_unsupported_slot(const char* table, const char* slot);

#endif
