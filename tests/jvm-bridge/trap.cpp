#include "trap.h"

#include <cstdio>
#include <cstdlib>

#include "creation_record.h"

void trap(const std::string& why)
{
    // A service's stderr goes nowhere: the record beside the bridge keeps the reason too.
    std::fprintf(stderr, "jvm-bridge: %s\n", why.c_str());
    std::fflush(stderr);
    append_to_creation_record("trap", why);
    std::abort();
}

void trap_unsupported_slot(const char* table, const char* slot)
{
    trap(std::string("unsupported ") + table + " function " + slot + " called");
}
