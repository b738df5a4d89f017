// One line a check on stdout, and the tally the probe ends with.
#ifndef VORNA_BRIDGE_PROBE_PROBE_REPORT_H
#define VORNA_BRIDGE_PROBE_PROBE_REPORT_H

#include <string>

// Prints "ok   <what>" or "FAIL <what>" and returns ok.
bool report(bool ok, const std::string& what);

int passed_checks();
int failed_checks();

#endif
