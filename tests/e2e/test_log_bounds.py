"""Every file of the log folder is bounded: it rolls over at "logsize" into numbered files, of
which "logfiles" are kept. Nothing written around a roll-over is lost, a viewer that holds the file
does not stop it, the kept files never outnumber the setting, and a setting that is not one is
refused at start, naming its key."""

import time
import unittest

from installation import install_java, jdk8, make_installation
from java_launch import JDK8_DISCOVERY, classpath_line, console_start, discovery_lines, prepare_console, run_launcher
from service_case import STOPPED_AFTER_WAIT, ServiceCase, rig
from stress_support import Background
from test_service_output import assertPrinted
from winerig import crlf

MEBIBYTE = 1024 * 1024
# 122 bytes a line with its time stamp and CR LF: 3.5 MiB, three roll-overs at 1M.
LINES = 30000
ERROR_INVALID_DATA = 13


class OutputRollOver(ServiceCase):
    def all_output_lines(self):
        """The lines of the rolled-over files, in their order, then those of the current file."""
        lines = []
        for path in self.installation.rolled_files():
            lines += self.installation.output_lines(path)
        return lines + self.installation.output_lines()

    def test_every_line_is_kept_across_roll_overs_while_a_viewer_holds_the_file(self):
        self.installation.write_properties(b"logsize=1M\r\nlogfiles=9\r\n")
        output = self.installation.output_path
        output.write_bytes(b"")
        release = self.installation.data + "release-viewer"
        viewer = Background(rig.config["file_share"], "view", self.installation.data + "log\\vorna-output.log", release)
        self.addCleanup(viewer.stop)
        viewer.wait_for_output("viewing\n")

        self.run_service(print=str(LINES))
        self.wait_for_event("printed", seconds=180)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.log_after_shutdown()
        rig.host_path(release).write_text("")
        self.assertEqual(viewer.finish(), 0)

        rolled = self.installation.rolled_files()
        self.assertEqual([path.name for path in rolled], [f"vorna-output.{n}.log" for n in (1, 2, 3)])
        for path in rolled + [output]:
            self.assertLessEqual(path.stat().st_size, MEBIBYTE, path.name)
        assertPrinted(self, self.all_output_lines(), LINES, "main ends after gracefulShutdown")

    def test_the_kept_files_never_outnumber_the_setting(self):
        self.installation.write_properties(b"logsize=1M\r\nlogfiles=1\r\n")
        self.run_service(print=str(LINES))
        most = 0
        deadline = time.monotonic() + 180
        while "printed" not in self.installation.event_names():
            self.assertLess(time.monotonic(), deadline, "the application did not print its lines")
            most = max(most, len(self.installation.rolled_files()))
            time.sleep(0.02)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.log_after_shutdown()

        rolled = self.installation.rolled_files()
        self.assertEqual([path.name for path in rolled], ["vorna-output.3.log"])
        self.assertLessEqual(most, 1)
        # What is kept is the end of what was written, whole and in order.
        kept = self.all_output_lines()
        numbered = [line for line in kept if line.startswith(("out ", "err "))]
        first = int(numbered[0].split()[1])
        self.assertGreater(first, 0)
        self.assertEqual(numbered, [f"{'out' if i % 2 == 0 else 'err'} {i:06d} {'x' * 89}" for i in range(first, LINES)])


class RefusedSettings(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    def test_a_setting_that_is_not_one_is_refused_naming_its_key(self):
        cases = [("logsize", "10X"), ("logsize", "0M"), ("logsize", "lotsM"), ("logsize", "10m"), ("logsize", ""),
                 ("logsize", "2048G"), ("logfiles", "-1"), ("logfiles", "many"), ("logfiles", "1000"),
                 ("logfiles", "")]
        for key, value in cases:
            with self.subTest(f"{key}={value}"):
                installation = make_installation(rig, properties=f"{key}={value}\n".encode())
                install_java(rig, jdk8())
                result = run_launcher(installation)
                expected = (console_start(installation) + discovery_lines(*JDK8_DISCOVERY) + classpath_line(installation)
                            + "Memory option:\t\t-Xmx512M\n"
                            + f"Error: Invalid {key} setting {value} in vorna.properties.\n")
                self.assertEqual(result.stderr, crlf(expected))
                self.assertEqual(result.returncode, 1)
                self.assertEqual(installation.log_messages(),
                                 ["VORN Service Startup", f"Invalid {key} setting {value} in vorna.properties. Exiting."])


class RefusedSettingAsTheService(ServiceCase):
    def test_the_service_stops_with_invalid_data(self):
        self.installation.write_properties(b"logfiles=many\r\n")
        self.install()
        records, process_status = self.start_until_stopped()
        self.assertEqual((records[-1]["exitcode"], records[-1]["specific"]), (ERROR_INVALID_DATA, 0), records)
        self.assertEqual(process_status, 1)
        self.assertEqual(self.log_after_shutdown(), ["VORN Service Startup",
                                                     "Invalid logfiles setting many in vorna.properties. Exiting.",
                                                     "VORN Service Shutdown"])


if __name__ == "__main__":
    unittest.main()
