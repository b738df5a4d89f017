"""The launcher's JNI use under -Xcheck:jni: the whole service life and the console launches that
fail, with every report of the checks seen.

HotSpot prints what -Xcheck:jni finds on its own output stream, which is lost in service mode
(the service's standard handles are null). The test VM library therefore also asks HotSpot to
copy that stream into a file of its own per VM (-XX:+LogVMOutput -XX:LogFile=...), the same in
both modes, and the tests read those files."""

import re
import shutil
import tempfile
import unittest
from pathlib import Path

from installation import install_java, jdk17, make_installation
from service_case import PAUSED, RUNNING, STOPPED_AFTER_WAIT, ServiceCase, sent
from stress_support import rig, tool

# What the checks print about a JNI call: warnings, and the fatal errors that end the process.
JNI_REPORT = re.compile(r"WARNING|FATAL ERROR in native method")


def bridge_config(directory):
    return (
        "option=-Xcheck:jni\n"
        "option=-XX:+UnlockDiagnosticVMOptions\n"
        "option=-XX:+LogVMOutput\n"
        f"option=-XX:LogFile={directory}/vm-%p.log\n"
    )


class CheckedJni:
    """A fresh directory for the VM output files of a test, and what they hold."""

    def setUp(self):
        super().setUp()
        self.vm_output = Path(tempfile.mkdtemp(prefix="vorna-vm-output-"))
        self.addCleanup(shutil.rmtree, self.vm_output, ignore_errors=True)
        install_java(rig, jdk17(), bridge_config=bridge_config(self.vm_output))

    def vm_outputs(self):
        """The text of each VM's output file, one per VM the runs created."""
        return [path.read_text(encoding="utf-8", errors="replace") for path in sorted(self.vm_output.glob("vm-*.log"))]

    def assertNoJniReport(self):
        outputs = self.vm_outputs()
        self.assertEqual(len(outputs), 1, "one VM, one output file")
        for output in outputs:
            self.assertIn("<tty>", output, "the VM's output stream reached the file")
            # Wine's own signal handlers make HotSpot's signal check say "Warning: SIGSEGV handler
            # modified!"; that is about Wine, not a JNI call, and does not match.
            self.assertIsNone(JNI_REPORT.search(output), output[output.find("<tty>"):][:3000])


class TheChecksAreSeen(CheckedJni, unittest.TestCase):
    def test_a_call_without_the_exception_check_is_reported(self):
        result = tool("jni_unchecked_call", jdk17().home + "\\bin\\server\\jvm.dll")
        self.assertEqual(result.returncode, 0, result.text)
        (output,) = self.vm_outputs()
        self.assertIn("WARNING in native method: JNI call made without checking exceptions", output)


class ServiceLifeChecks(CheckedJni):
    def live(self, app_calls):
        """Start, pause, continue and stop through the exe's own commands; app_calls are the
        application's calls the events must show."""
        self.start_service()
        self.assertCommand(["/pause"], sent("/pause"))
        self.wait_for(PAUSED, seconds=30)
        self.assertCommand(["/cont"], sent("/cont"))
        self.wait_for(RUNNING, seconds=30)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.log_after_shutdown()
        for call in app_calls:
            self.assertIn(call, self.installation.event_names())
        self.assertNoJniReport()


class ServiceLife(ServiceLifeChecks, ServiceCase):
    def test_the_lifecycle_calls_return(self):
        self.install()
        self.live(["pause", "cont", "gracefulShutdown"])

    def test_the_lifecycle_calls_throw(self):
        self.install(pause="throw", cont="throw", gracefulShutdown="throw")
        self.live(["pause-throws", "cont-throws", "gracefulShutdown-throws"])


class ServiceLifeWithoutPause(ServiceLifeChecks, ServiceCase):
    app = "no-pause-app"

    def test_the_missing_method_is_logged(self):
        self.install()
        self.live(["cont", "gracefulShutdown"])
        self.assertIn('FATAL ERROR: Failed to locate "pause" method in class de/ardilux/vorna/Vorna.',
                      self.installation.log_messages())


class ConsoleLaunches(CheckedJni, unittest.TestCase):
    def setUp(self):
        rig.remove_service()
        super().setUp()

    def test_launches_that_fail_or_end(self):
        cases = [
            ("no main class", "no-class-app", {}, [], 1),
            ("main without String[]", "wrong-main-app", {}, [], 1),
            ("main throws, with debug output", "service-app", {"main": "throw"}, ["/d"], 0),
            ("main returns, most debug output", "service-app", {"main": "return"}, ["/d", "/d"], 0),
            ("main returns", "service-app", {"main": "return"}, [], 0),
        ]
        for name, app, behaviour, args, exit_code in cases:
            with self.subTest(name):
                for path in self.vm_output.glob("vm-*.log"):
                    path.unlink()
                installation = make_installation(rig, app=app)
                if behaviour:
                    installation.set_behaviour(**behaviour)
                result = installation.run(*args)
                self.assertEqual(result.returncode, exit_code, result.text)
                self.assertNoJniReport()


if __name__ == "__main__":
    unittest.main()
