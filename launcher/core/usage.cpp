#include "core/usage.h"

#include <cstdio>

void printBanner() {
    std::fprintf(stderr,
                 "\nArdilux Keltrane Server version %s\n\n"
                 "=======================================================================\n",
                 "3.0.0 (64 bit)");
}

void printUsage(const char* programName) {
    std::fprintf(stderr, "\nUsage: %s [/i] [/u] [/start] [/stop] [/pause] [/cont] [/check] [/d]\n",
                 programName);
    std::fprintf(stderr, "\t/i: Install service\n");
    std::fprintf(stderr, "\t/u: Uninstall service\n");
    std::fprintf(stderr, "\t/start Start service (must be installed)\n");
    std::fprintf(stderr, "\t/stop Stop service\n");
    std::fprintf(stderr, "\t/pause Pause service\n");
    std::fprintf(stderr, "\t/cont Continue paused service\n");
    std::fprintf(stderr, "\t/check: check for running service\n");
    std::fprintf(stderr, "\t/d: Enable debug output (use twice for greater effect)\n");
}
