#pragma once

// Service mode, after a stop control: gracefulShutdown on a thread of its own (unless main has
// ended already), then the end of the Java main method, then the VM's shutdown. Each step is
// waited for until its time is up (10 s after the control for gracefulShutdown, 29 s for the
// whole stop), while stop pending is reported with a growing check point; a step still running
// then is logged. The caller reports stopped.
void runOrderlyStop();

// The VM's shutdown once the Java main method has ended or could not be started: stop pending
// reported (in service mode), then the shutdown, waited for 20 s at most; a shutdown still
// running then is logged, and in console mode printed.
void shutDownJvm();
