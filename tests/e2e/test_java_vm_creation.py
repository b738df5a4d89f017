"""VM creation that fails: a VM library that is no library, one without the JNI_CreateJavaVM
export, and a VM that refuses an option. Each failure is logged at once, and the launcher then
waits out its minute for the VM; these tests end the launcher once the line is there (the heap
size tests wait out the whole minute once)."""

import os
import tempfile
import time
import unittest

from installation import bridge_record, install_java, jdk8, make_installation
from java_launch import debug_port, launcher_text, prepare_console, split_streams, wait_for_log_message
from winerig import Rig

rig = Rig()

REFUSED_OPTION = "-Xnot-an-option"


class FailedCreation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    def start_until_logged(self, installation, message):
        """Starts a "/d" "/d" launch, waits for message in the log, then ends the launcher; gives
        back whether it was still waiting for the VM then, and its standard error stream so far."""
        with tempfile.TemporaryDirectory() as folder, debug_port():
            stderr_path = os.path.join(folder, "stderr")
            process = installation.start("/d", "/d", stderr_path=stderr_path)
            try:
                logged = wait_for_log_message(installation, message)
                # A launcher that gave up at once would have ended by now.
                time.sleep(2)
                waiting = process.poll() is None
            finally:
                process.kill()
                process.wait()
            with open(stderr_path, "rb") as stderr:
                return logged, waiting, stderr.read()

    def test_each_failure_is_logged_while_the_launcher_still_waits_for_the_vm(self):
        got_address = "Got address of function JNI_CreateJavaVM: "
        cases = [
            ("not a library", jdk8(library="not-a-library"), None, "FATAL ERROR: Failed to load JVM DLL.", False),
            ("no JNI_CreateJavaVM export", jdk8(library="no-export"), None,
             "FATAL ERROR: Failed to find JVM entry point.", False),
            ("the VM refuses an option", jdk8(), f"option={REFUSED_OPTION}\n", "FATAL ERROR: Failed to start Java VM.",
             True),
        ]
        for name, runtime, bridge_config, message, entry_point_found in cases:
            with self.subTest(name):
                installation = make_installation(rig)
                installation.set_behaviour(main="return")
                install_java(rig, runtime, bridge_config=bridge_config)
                logged, waiting, stderr = self.start_until_logged(installation, message)
                self.assertTrue(logged, installation.log_text())
                self.assertTrue(waiting, "the launcher ended before its wait for the VM ran out")
                self.assertEqual(installation.log_messages(), ["VORN Service Startup", message])
                text = launcher_text(stderr)
                self.assertIn("Creating JVM...\nLoading JVM DLL.\n", text)
                self.assertEqual(got_address in text, entry_point_found, text)
                for later in ("Started JVM; jvm = ", "New JVM loaded.", "Timeout while waiting for JVM creation."):
                    self.assertNotIn(later, text)
                if entry_point_found:
                    self.assertIn(f"Unrecognized option: {REFUSED_OPTION}", split_streams(stderr)[1])
                    record = bridge_record(rig, runtime)
                    self.assertEqual(record["ignoreUnrecognized"], "0")
                    self.assertLess(int(record["result"]), 0)


if __name__ == "__main__":
    unittest.main()
