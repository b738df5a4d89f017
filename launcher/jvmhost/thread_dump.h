#pragma once

#include <string>

// The VM's own full thread dump, as its diagnostic command Thread.print -l gives it: every Java
// thread with its state and whole stack, the monitors it holds and waits for, its locked
// synchronizers, and the deadlocks the VM finds. Taken on a daemon thread of its own, attached as
// a daemon, so that a dump never holds back the VM's shutdown; the caller waits for it at most
// threadDumpTimeout.
const unsigned long threadDumpTimeout = 5000;

// Takes a dump and writes it whole, after a header line with the time and reason, into the log
// folder's "vorna-threads.log" (bounded as every file there); the launcher's log names the file,
// or says why there is no dump (no VM, a VM that cannot give one, as during its own shutdown, or
// a dump not done in time). NO_ERROR when the dump was written; ERROR_TIMEOUT when it was not
// done in time; ERROR_GEN_FAILURE for every other failure.
unsigned long writeThreadDump(const std::string& reason);
