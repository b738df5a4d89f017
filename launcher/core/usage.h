#pragma once

// The console texts that main prints before it acts on the command line.
void printBanner();
void printUsage(const char* programName);
