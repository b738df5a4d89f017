"""Faults around the launch: a log that cannot be opened, an InstallPath of the wrong type, a
properties file that cannot be read. Each is reported as the launcher's texts say, and the launch
goes on wherever it can."""

import time
import unittest

from installation import bridge_record, install_java, jdk17, make_installation
from service_case import STOPPED, ServiceCase
from stress_support import Background, rig, tool
from winerig import LAUNCHER_KEY


def log_refusal(installation, text):
    return f"Error while opening log file '{installation.data}log\\vorna-launcher.log': {text}\n"


def wait_for_event(installation, name, seconds=60):
    deadline = time.monotonic() + seconds
    while name not in installation.event_names():
        if time.monotonic() > deadline:
            raise AssertionError(f"no {name!r} event within {seconds} s: {installation.events()}")
        time.sleep(0.05)


class LogUnavailable(unittest.TestCase):
    def setUp(self):
        rig.remove_service()

    def test_a_missing_log_directory_drops_lines_until_it_is_created(self):
        installation = make_installation(rig, log_directory=False)
        install_java(rig, jdk17())
        installation.set_behaviour(main="return:4000")
        launcher = Background(installation.exe)
        self.addCleanup(launcher.stop)
        wait_for_event(installation, "entered")
        rig.host_path(installation.data + "log").mkdir()
        self.assertEqual(launcher.finish(), 0)

        # The start-up line was dropped; the line after main ended found the directory.
        self.assertEqual(launcher.errors().count(log_refusal(installation, "ERROR_PATH_NOT_FOUND (3)")), 1,
                         launcher.errors())
        self.assertEqual(installation.log_messages(), ["SERVICE ERROR: service stopped"])

    def test_a_log_held_by_another_writer_is_refused_and_the_launch_goes_on(self):
        installation = make_installation(rig)
        install_java(rig, jdk17())
        installation.set_behaviour(main="return")
        release = installation.data + "release"
        holder = Background(rig.config["log_load"], "hold", installation.data, release)
        self.addCleanup(holder.stop)
        self.addCleanup(lambda: rig.host_path(release).write_text(""))
        holder.wait_for_output("ready\n")

        result = installation.run()
        self.assertEqual(result.returncode, 0, result.text)
        # Both of its lines, the start-up and the end of main, are refused.
        self.assertEqual(result.text.count(log_refusal(installation, "ERROR_SHARING_VIOLATION (32)")), 2,
                         result.text)
        self.assertIn("entered", installation.event_names())
        self.assertEqual(installation.log_messages(), ["log-load holds the log"])


class InstallPathOfTheWrongType(ServiceCase):
    def setUp(self):
        super().setUp()
        self.install()
        rig.reg_import("\n".join([f"[-{LAUNCHER_KEY}]", f"[{LAUNCHER_KEY}]", '"InstallPath"=dword:00000001',
                                  '"DataPath"="C:\\\\VORNA\\\\data\\\\"']))

    def test_every_start_from_a_console_is_refused(self):
        for arguments in ([], ["/d"], ["/start"], ["/check"], ["/i"]):
            with self.subTest(arguments=arguments):
                result = self.installation.run(*arguments)
                self.assertEqual(result.stderr, b"Error: could not read Install Path from registry.")
                self.assertEqual(result.returncode, 1)

    def test_a_start_by_the_service_control_manager_fails_and_logs_nothing(self):
        started = tool("service_control", "start", "VORNA")
        # The process ends before it connects to the service dispatcher.
        self.assertEqual(started.stdout, b"error=1053\r\n")
        self.assertEqual(rig.query_service()["state"], STOPPED)
        self.assertFalse(self.installation.log_path.exists())


class PropertiesThatCannotBeRead(unittest.TestCase):
    def setUp(self):
        rig.remove_service()

    def a_directory(self, installation, path):
        rig.host_path(path).mkdir()

    def held_by_another_program(self, installation, path):
        # Unreadable through its permissions cannot be shown: the rig runs Wine as root, which reads every file.
        installation.write_properties(b"memsize=256M\n")
        release = installation.data + "release"
        holder = Background(rig.config["file_share"], "hold", path, release)
        self.addCleanup(holder.stop)
        self.addCleanup(lambda: rig.host_path(release).write_text(""))
        holder.wait_for_output("held\n")

    def test_the_launch_goes_on_with_the_default_heap_size(self):
        for name, prepare in (("a directory", self.a_directory), ("held", self.held_by_another_program)):
            with self.subTest(name):
                installation = make_installation(rig)
                install_java(rig, jdk17())
                installation.set_behaviour(main="return")
                path = installation.install + "vorna.properties"
                prepare(installation, path)
                result = installation.run()
                self.assertEqual(result.returncode, 0, result.text)
                self.assertIn(f"Could not open config file ({path})\nJava Version:", result.text)
                self.assertIn("Memory option:\t\t-Xmx512M\n", result.text)
                self.assertIn("-Xmx512M", bridge_record(rig, jdk17())["options"])
                self.assertIn("entered", installation.event_names())


if __name__ == "__main__":
    unittest.main()
