// The VM's vfprintf, exit and abort hooks, set as launcher_hooks.h does, each driven through a
// real VM path in a child process.
#ifndef VORNA_BRIDGE_PROBE_VM_HOOK_CASES_H
#define VORNA_BRIDGE_PROBE_VM_HOOK_CASES_H

#include <vector>

#include "child_cases.h"

const std::vector<ChildCase>& vm_hook_cases();

#endif
