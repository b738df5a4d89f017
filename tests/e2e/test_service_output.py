"""What the application and the VM write to the standard streams while it runs as the service,
which has none: Java's System.out and System.err, line by line and in order, in the log folder's
"vorna-output.log", also when the application ends by System.exit, is stopped, or its process is
killed; what the VM writes itself (a warning's text after its prefix) as one whole line of the
launcher's log."""

import unittest

from installation import install_java, jdk17
from service_case import STOPPED_AFTER_WAIT, ServiceCase, rig
from stress_support import tool

PADDING = "x" * 89
WORKER_THROWS = 'Exception in thread "test-worker" java.lang.IllegalStateException: test worker throws'
BIASED_LOCKING = ("OpenJDK 64-Bit Server VM warning: Option UseBiasedLocking was deprecated in version 15.0 and "
                  "will likely be removed in a future release.")


def printed_lines(count):
    return [f"{'out' if i % 2 == 0 else 'err'} {i:06d} {PADDING}" for i in range(count)]


def assertPrinted(test, lines, count, *after):
    """The test application's print=count: the numbered lines, the worker's uncaught exception with
    its stack, then "after worker" and the lines after."""
    test.assertEqual(lines[:count], printed_lines(count), lines[-20:])
    test.assertEqual(lines[count], WORKER_THROWS, lines[count:])
    stack = 1
    while count + stack < len(lines) and lines[count + stack].startswith("\tat "):
        stack += 1
    test.assertGreater(stack, 1, f"no stack after the exception: {lines[count:]}")
    test.assertEqual(lines[count + stack:], ["after worker", *after], lines[count:])


class CapturedOutput(ServiceCase):
    def assertPrinted(self, lines, count, *after):
        assertPrinted(self, lines, count, *after)

    def test_system_exit_right_after_a_line_loses_nothing(self):
        self.install(print="6", main="exit:3")
        records, process_status = self.start_until_stopped()
        self.assertEqual(process_status, 3)
        self.assertPrinted(self.installation.output_lines(), 6, "calling System.exit(3)")

    def test_the_last_lines_of_a_stop_are_kept(self):
        self.run_service(print="4")
        self.wait_for_event("printed")
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.log_after_shutdown()
        self.assertPrinted(self.installation.output_lines(), 4, "main ends after gracefulShutdown")

    def test_a_killed_process_keeps_what_it_wrote(self):
        pid = str(self.run_service(print="4")["pid"])
        self.wait_for_event("printed")
        self.assertEqual(tool("process_control", "kill", pid).returncode, 0)
        self.assertEqual(tool("process_control", "wait", pid, "10000").returncode, 0, "the process is gone")
        self.assertPrinted(self.installation.output_lines(), 4)
        # Wine 8's service control manager keeps the killed service's last report until its next
        # start (Windows shows it stopped with 1067): the next start writes on after the lines kept.
        self.start_service()
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        lines = self.installation.output_lines()
        self.assertPrinted(lines[:len(lines) // 2], 4)
        self.assertPrinted(lines[len(lines) // 2:], 4, "main ends after gracefulShutdown")

    def test_a_vm_warning_is_one_whole_line_of_the_log(self):
        # An option that only warns: the prefix comes through the VM's message hook, the text
        # through its C runtime's standard error.
        install_java(rig, jdk17(), bridge_config="option=-XX:+UseBiasedLocking\n")
        self.run_service()
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        messages = self.log_after_shutdown()
        self.assertIn(BIASED_LOCKING, messages)
        self.assertEqual([m for m in messages if "warning" in m], [BIASED_LOCKING], messages)


if __name__ == "__main__":
    unittest.main()
