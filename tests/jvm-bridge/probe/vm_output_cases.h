// Where the VM's output lands, each case in a child process: Java's System.out and System.err
// on the standard handles as they were when the VM was created, HotSpot's own writes on its C
// runtime's descriptors 1 and 2 (ucrtbase.dll, which jvm.dll imports), and neither anywhere in
// a service, which has no standard handles.
#ifndef VORNA_BRIDGE_PROBE_VM_OUTPUT_CASES_H
#define VORNA_BRIDGE_PROBE_VM_OUTPUT_CASES_H

#include <vector>

#include "child_cases.h"

const std::vector<ChildCase>& vm_output_cases();

#endif
