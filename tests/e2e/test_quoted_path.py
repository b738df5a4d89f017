"""The quoted image path, for real: the exe installed under a folder with blanks, and a program
planted at C:\\Program.exe, where an unquoted path would be cut at the first blank."""

import shutil
import unittest

from installation import make_installation
from service_case import INSTALLED, STOPPED_AFTER_WAIT, ServiceCase
from stress_support import rig, tool

INSTALL = "C:\\Program Files\\VORNA Test\\"
EXE = INSTALL + "vorna-launcher.exe"


class PlantedProgram(ServiceCase):
    def setUp(self):
        super().setUp()
        self.installation = make_installation(rig, install=INSTALL)
        planted = rig.host_path("C:\\Program.exe")
        shutil.copy(rig.config["planted_program"], planted)
        self.marker = rig.host_path("C:\\Program.exe.ran")
        self.marker.unlink(missing_ok=True)
        self.addCleanup(self.marker.unlink, missing_ok=True)
        self.addCleanup(planted.unlink, missing_ok=True)

    def test_start_runs_the_service_and_never_the_planted_program(self):
        self.assertCommand(["/i"], INSTALLED)
        self.assertEqual(rig.query_service()["path"], f'"{EXE}"')
        self.start_service()
        self.assertEqual(self.installation.events()[0], ["main", "2", INSTALL, INSTALL + "data\\"])
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertFalse(self.marker.exists(), self.marker.read_text() if self.marker.exists() else "")

    def test_an_unquoted_registration_would_run_the_planted_program(self):
        # The rig itself shows the weakness: the same exe registered without quotes by another tool.
        name = "VORNA-UNQUOTED"
        self.addCleanup(rig.remove_service, name)
        created = rig.wine("sc", "create", name, "binPath=", EXE)
        self.assertEqual(created.returncode, 0, created.text)
        tool("service_control", "start", name)
        self.assertTrue(self.marker.exists())
        self.assertEqual(self.marker.read_text().strip(), EXE)


if __name__ == "__main__":
    unittest.main()
