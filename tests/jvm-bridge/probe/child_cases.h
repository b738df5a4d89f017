// Cases that drive the VM through real VM paths in a child process of the probe
// ("bridge_probe.exe <case>"): many of these paths end the process, and some need the process's
// handles set before jvm.dll is loaded. The child's standard output and error go to
// logs\case-<case>.txt beside the probe; the parent judges its status and that output.
#ifndef VORNA_BRIDGE_PROBE_CHILD_CASES_H
#define VORNA_BRIDGE_PROBE_CHILD_CASES_H

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "case_vm.h"

struct ChildCase {
    const char* name;
    const char* what;
    // Runs on a thread of its own after jvm.dll is loaded, as the launcher creates the VM;
    // returns the process status when the VM leaves it one to return.
    int (*run)(CaseVM&);
    DWORD status;
    // Texts each found in at least so many lines of the child's output.
    std::vector<std::pair<std::string, int>> holds;
    // Texts found in none.
    std::vector<std::string> lacks;
    // Lines that none is, whole (a carriage return at its end aside).
    std::vector<std::string> absent_lines = {};
    // Runs first, before jvm.dll is loaded.
    void (*before_load)() = nullptr;
};

// The start of the line launcher_hooks.h prints for a vfprintf call on a Windows thread
// whose text begins with `text` (line feeds as \n).
std::string vfprintf_of(const std::string& text);

// In the parent: runs each case and reports one check a case.
void check_child_cases(const std::string& directory, const std::vector<ChildCase>& cases);

// In the child: runs the named case and sets the process status. False when there is no such
// case.
bool run_child_case(const std::string& name, const std::vector<ChildCase>& cases, int& status);

#endif
