// The VM's hooks driven through real VM paths. Most of these paths end the process, so each
// case runs in a child process of the probe ("bridge_probe.exe <case>"), with the hooks of
// launcher_hooks.h; the parent judges its status and output.
#ifndef VORNA_BRIDGE_PROBE_VM_HOOK_CASES_H
#define VORNA_BRIDGE_PROBE_VM_HOOK_CASES_H

#include <string>

// In the parent: runs each case and reports one check a case.
void check_vm_hooks(const std::string& directory);

// In the child: runs the named case and returns the process status (when the VM leaves it
// one to return). False when there is no such case.
bool run_vm_hook_case(const std::string& name, int& status);

#endif
