"""The launch from a console through the real VM, end to end: what the application's main method
receives, the whole standard error stream of a plain run and of the "/d" and "/d" "/d" runs, the
log, the exit code, the debugger's port, and an installation directory that cannot be entered."""

import os
import shutil
import socket
import tempfile
import time
import unittest

from installation import bridge_record, install_java, jdk8, make_installation
from java_launch import (
    DEBUG_PORT,
    GC_DETAILS_WARNING,
    LEVEL_1_START,
    LEVEL_2_START,
    MAIN_CLASS,
    console_start,
    debug_port,
    is_interleaving,
    launch_text,
    launcher_log,
    launcher_text,
    main_thread_trace,
    normalise_addresses,
    prepare_console,
    run_launcher,
    supervision_checks,
    vm_options,
    without_vm_log,
)
from winerig import Rig, crlf

rig = Rig()


class ConsoleLaunch(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)
        install_java(rig, jdk8())

    def test_main_gets_the_install_and_data_directories_and_its_return_ends_the_launch(self):
        installation = make_installation(rig, install="C:\\Program Files\\Vorna App\\",
                                         data="C:\\ProgramData\\Vorna Data\\")
        installation.set_behaviour(main="return")
        result = run_launcher(installation)
        self.assertEqual(result.returncode, 0, result.text)
        self.assertEqual(installation.events()[0], ["main", "2", "C:\\Program Files\\Vorna App\\",
                                                    "C:\\ProgramData\\Vorna Data\\"])
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])
        self.assertTrue(result.text.endswith("\nSERVICE ERROR: service stopped\n"), result.text)
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", "SERVICE ERROR: service stopped"])
        self.assertEqual(bridge_record(rig, jdk8())["options"], vm_options(installation))

    def test_plain_run_prints_exactly_its_progress_and_the_stop(self):
        installation = make_installation(rig)
        installation.set_behaviour(main="return")
        result = run_launcher(installation)
        expected = launch_text(installation) + "SERVICE ERROR: service stopped\n"
        self.assertEqual(result.stderr, crlf(expected))
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.returncode, 0)

    def test_debug_run_adds_the_steps_of_the_start_and_the_vms_own_log(self):
        installation = make_installation(rig)
        installation.set_behaviour(main="return")
        result = run_launcher(installation, "/d")
        expected = launch_text(installation) + LEVEL_1_START + "done.\n\nSERVICE ERROR: service stopped\n"
        text = launcher_text(result.stderr)
        self.assertEqual(without_vm_log(text), expected)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(launcher_log(installation), ["VORN Service Startup", "SERVICE ERROR: service stopped"])
        # The VM's log that "/d" turns on reaches the console and the log through the launcher, while
        # the VM is created.
        creation = text[text.index("Creating JVM...\n"):text.index("New JVM loaded.\n")]
        self.assertIn(GC_DETAILS_WARNING, creation)
        self.assertTrue(any(message.endswith(GC_DETAILS_WARNING) for message in installation.log_messages()))

    def test_second_debug_level_traces_every_step(self):
        installation = make_installation(rig, properties=b"# heap limit\nmemsize=1024M\n")
        # Long enough for at least one supervision pass to find main still running.
        installation.set_behaviour(main="return:3000")
        result = run_launcher(installation, "/d", "/d")
        self.assertEqual(result.returncode, 0, result.text)
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])
        config_trace = (
            "getConfigOption(const char*)\n"
            "Loading config from C:\\VORNA\\vorna.properties...\n"
            "Parsing line: # heap limit\n"
            "Parsing line: memsize=1024M\n"
            "KEY: memsize --- VALUE: 1024M\n"
            "Parsing line: \n"
        )
        # Up to the hand-over to main, each step waits for the one before it on another thread.
        before_main = (
            launch_text(installation, heap="1024M", config_trace=config_trace, level=2)
            + LEVEL_2_START
            + main_thread_trace(installation)
        )
        text = normalise_addresses(self, without_vm_log(launcher_text(result.stderr)))
        self.assertTrue(text.startswith(before_main), text)
        # Then the Java main thread announces the call while the first thread reports the start
        # and checks once a second; the check that finds the thread ended comes after all of it.
        after_main = text[len(before_main):]
        ending = "terminated: Success. No error.\nSERVICE ERROR: service stopped\n"
        self.assertTrue(after_main.endswith(ending), after_main)
        supervised = after_main[: -len(ending)]
        self.assertIn("running!\n", supervised)
        main_thread = ["done.\n\n"] + supervision_checks(supervised)
        java_thread = [f"Calling {MAIN_CLASS}->main()... "]
        self.assertTrue(is_interleaving(supervised, main_thread, java_thread), supervised)
        self.assertEqual(bridge_record(rig, jdk8())["options"], vm_options(installation, "1024M", debug=True))


def listening_addresses(port):
    """The local addresses of the TCP sockets that listen on port, as the kernel lists them."""
    addresses = []
    for table, family in (("/proc/net/tcp", socket.AF_INET), ("/proc/net/tcp6", socket.AF_INET6)):
        if not os.path.exists(table):
            continue
        with open(table, encoding="ascii") as lines:
            next(lines)
            for line in lines:
                fields = line.split()
                address, local_port = fields[1].split(":")
                if fields[3] == "0A" and int(local_port, 16) == port:
                    # Each 32-bit word of the address is in the host's byte order.
                    raw = b"".join(bytes.fromhex(address[i:i + 8])[::-1] for i in range(0, len(address), 8))
                    addresses.append(socket.inet_ntop(family, raw))
    return addresses


def jdwp_handshake(port):
    """What the listener on the loopback interface answers to a debugger's greeting."""
    with socket.create_connection(("127.0.0.1", port), timeout=30) as connection:
        connection.sendall(b"JDWP-Handshake")
        answer = b""
        while len(answer) < 14:
            chunk = connection.recv(14 - len(answer))
            if not chunk:
                break
            answer += chunk
        return answer


class DebuggerPort(unittest.TestCase):
    def test_the_debugger_port_listens_on_the_loopback_interface_only(self):
        prepare_console(rig)
        install_java(rig, jdk8())
        installation = make_installation(rig)
        # main runs long enough for the port to be looked at; the VM listens from its creation.
        installation.set_behaviour(main="return:8000")
        with tempfile.TemporaryDirectory() as folder, debug_port():
            process = installation.start("/d", stderr_path=os.path.join(folder, "stderr"))
            try:
                deadline = time.monotonic() + 60
                addresses = listening_addresses(DEBUG_PORT)
                while not addresses and process.poll() is None and time.monotonic() < deadline:
                    time.sleep(0.1)
                    addresses = listening_addresses(DEBUG_PORT)
                answer = jdwp_handshake(DEBUG_PORT) if addresses else b""
                self.assertEqual(process.wait(timeout=120), 0)
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
        self.assertEqual(addresses, ["127.0.0.1"])
        self.assertEqual(answer, b"JDWP-Handshake")
        self.assertIn("-Xrunjdwp:transport=dt_socket,server=y,address=127.0.0.1:8000,suspend=n",
                      bridge_record(rig, jdk8())["options"])


class InstallDirectoryMissing(unittest.TestCase):
    def test_console_reports_the_path_without_a_line_end_and_exits_1(self):
        installation = make_installation(rig)
        install_java(rig, jdk8())
        missing = "C:\\VORNA missing\\"
        shutil.rmtree(rig.host_path(missing), ignore_errors=True)
        rig.set_launcher_paths(missing, installation.data)
        result = run_launcher(installation)
        expected = console_start(installation) + f"Error: Cannot chdir to install path {missing}."
        self.assertEqual(result.stderr, crlf(expected))
        self.assertEqual(result.returncode, 1)
        self.assertEqual(installation.log_messages(),
                         ["VORN Service Startup", f"Cannot chdir to install path {missing}. Exiting.",
                          "SetCurrentDirectoryA failed with Windows error code 2."])
        self.assertIsNone(bridge_record(rig, jdk8()))


if __name__ == "__main__":
    unittest.main()
