#include "core/usage.h"

#include <cstdio>

#include "core/version.h"

void printBanner() {
    std::fprintf(stderr,
                 "\n%s version %s\n\n"
                 "=======================================================================\n",
                 VORNA_PRODUCT_NAME, VORNA_VERSION_TEXT " (64 bit)");
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
