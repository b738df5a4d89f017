"""The test VM library itself: the probe drives it the way the launcher does, once plainly and
once under -Xcheck:jni, before any launcher test relies on it; that includes the VM's vfprintf,
exit and abort hooks, each driven through a real VM path in a child process of the probe."""

import shutil
import unittest
from pathlib import Path

from winerig import Rig

rig = Rig()


class BridgeProbe(unittest.TestCase):
    def run_probe(self, bridge_config=None):
        folder = rig.host_path("C:\\bridge probe\\")
        shutil.rmtree(folder, ignore_errors=True)
        (folder / "libs").mkdir(parents=True)
        built = Path(rig.config["bridge_dll"]).parent
        shutil.copy(built / "jvm.dll", folder)
        shutil.copy(built / "bridge_probe.exe", folder)
        shutil.copy(built / "libs" / "bridge-probe.jar", folder / "libs")
        if bridge_config is not None:
            (folder / "jvm-bridge.cfg").write_text(bridge_config, encoding="utf-8")
        return rig.wine("C:\\bridge probe\\bridge_probe.exe", timeout=120)

    def test_every_check_of_the_probe_passes(self):
        result = self.run_probe()
        output = (result.stdout + result.stderr).decode("utf-8", "replace")
        self.assertEqual(result.returncode, 0, output)
        self.assertRegex(output, r"bridge_probe: \d+ passed, 0 failed")

    def test_no_jni_warning_under_check_jni(self):
        result = self.run_probe("option=-Xcheck:jni\n")
        output = (result.stdout + result.stderr).decode("utf-8", "replace")
        self.assertEqual(result.returncode, 0, output)
        self.assertNotIn("WARNING", output)


if __name__ == "__main__":
    unittest.main()
