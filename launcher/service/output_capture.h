#pragma once

// Service mode: a service has no standard streams, so what the application and the VM write to
// them is captured into the log folder. Java's System.out and System.err (the process's standard
// handles as the VM finds them when it is created) go line by line, time-stamped, into
// "vorna-output.log"; what the VM writes to its C runtime's streams itself (the JVM creation thread
// binds them to vmOutputCapture) joins the VM's messages in the launcher's log.

// Before the VM is created. A capture that cannot be made is logged and left out; the
// application runs all the same.
void startOutputCapture();

// Everything written to the captured streams so far has reached its file, the application's last
// line also when it has no line end yet; for the end of the VM and of the process. Bounded in time.
void drainOutputCapture();
