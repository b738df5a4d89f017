#include "probe_report.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<int> passed{0};
std::atomic<int> failed{0};

} // namespace

bool report(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    ++(ok ? passed : failed);
    return ok;
}

int passed_checks()
{
    return passed;
}

int failed_checks()
{
    return failed;
}
