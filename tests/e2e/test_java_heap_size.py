"""The Java heap limit from "memsize" in vorna.properties: the exact option list the VM is
created with, the sizes the launcher refuses itself, and a size that only the VM refuses, which
ends the launch as soon as the VM's creation has failed, with the VM's reason in the log."""

import time
import unittest

from installation import bridge_record, install_java, jdk8, make_installation
from java_launch import (
    JDK8_DISCOVERY,
    classpath_line,
    console_start,
    discovery_lines,
    launch_text,
    launcher_text,
    no_config_file,
    prepare_console,
    run_launcher,
    vm_options,
)
from winerig import Rig, crlf

rig = Rig()

VM_REFUSAL = "Invalid maximum heap size: -XmxlotsM"


class HeapSize(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)
        install_java(rig, jdk8())

    def test_sizes_that_reach_the_vm(self):
        cases = [
            ("no properties file", None, [], "512M"),
            ("no memsize entry", b"other=2G\n", [], "512M"),
            ("2G", b"memsize=2G\n", [], "2G"),
            ("1024M", b"memsize=1024M\n", [], "1024M"),
            ("2G with /d", b"memsize=2G\n", ["/d"], "2G"),
        ]
        for name, properties, arguments, heap in cases:
            with self.subTest(name):
                installation = make_installation(rig, properties=properties)
                installation.set_behaviour(main="return")
                result = run_launcher(installation, *arguments)
                self.assertEqual(result.returncode, 0, result.text)
                config_trace = no_config_file(installation) if properties is None else ""
                self.assertTrue(result.text.startswith(launch_text(installation, heap=heap, config_trace=config_trace)),
                                result.text)
                record = bridge_record(rig, jdk8())
                options = vm_options(installation, heap, debug=bool(arguments))
                self.assertEqual(record, {"version": "0x00010006", "nOptions": str(len(options)),
                                          "ignoreUnrecognized": "0", "options": options, "result": "0"})
                self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])

    def test_sizes_the_launcher_refuses(self):
        for value in ["1024m", "2g", "512", "1T", ""]:
            with self.subTest(memsize=value):
                installation = make_installation(rig, properties=f"memsize={value}\n".encode())
                install_java(rig, jdk8())
                result = run_launcher(installation)
                expected = (
                    console_start(installation)
                    + discovery_lines(*JDK8_DISCOVERY)
                    + classpath_line(installation)
                    + f"Error: Invalid size specification {value}."
                )
                self.assertEqual(result.stderr, crlf(expected))
                self.assertEqual(result.returncode, 1)
                self.assertEqual(installation.log_messages(),
                                 ["VORN Service Startup", f"Invalid size specification {value}. Exiting."])
                self.assertIsNone(bridge_record(rig, jdk8()))

    def test_a_size_only_the_vm_refuses_fails_at_once_with_the_vms_reason(self):
        installation = make_installation(rig, properties=b"memsize=lotsM\n")
        installation.set_behaviour(main="return")
        started = time.monotonic()
        result = run_launcher(installation)
        took = time.monotonic() - started
        self.assertEqual(result.returncode, 1, result.text)
        self.assertLess(took, 15, "noticed when the creation ended, not after the minute")
        # The VM's message comes through the launcher, which shows it as the VM did.
        expected = launch_text(installation, heap="lotsM", config_trace="") + f"{VM_REFUSAL}\n"
        self.assertEqual(launcher_text(result.stderr), expected)
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", VM_REFUSAL,
                                                       "FATAL ERROR: Failed to start Java VM.",
                                                       "JNI_CreateJavaVM returned -6."])
        record = bridge_record(rig, jdk8())
        self.assertEqual(record["options"], vm_options(installation, "lotsM"))
        self.assertEqual(record["result"], "-6")
        self.assertEqual(installation.events(), [])


if __name__ == "__main__":
    unittest.main()
