"""The real exe's start-up from a console: the registry values, the log path, the banner, the
usage text, the command table and the exit codes."""

import re
import subprocess
import unittest

from installation import LOG_NAME, make_installation
from java_launch import no_config_file
from winerig import DEFAULT_INSTALL, LAUNCHER_KEY, Rig, crlf

rig = Rig()

BANNER = (
    "\nArdilux Keltrane Server version 3.0.0 (64 bit)\n\n"
    "=======================================================================\n"
)


def usage(program):
    return (
        f"\nUsage: {program} [/i] [/u] [/start] [/stop] [/pause] [/cont] [/check] [/d]\n"
        "\t/i: Install service\n"
        "\t/u: Uninstall service\n"
        "\t/start Start service (must be installed)\n"
        "\t/stop Stop service\n"
        "\t/pause Pause service\n"
        "\t/cont Continue paused service\n"
        "\t/check: check for running service\n"
        "\t/d: Enable debug output (use twice for greater effect)\n"
    )


def log_path_line(data):
    return f"logPath == {data}log\\vorna-launcher.log\n"


class RegistryPaths(unittest.TestCase):
    def setUp(self):
        self.installation = make_installation(rig)

    def test_without_the_key_the_install_path_message_and_exit_1(self):
        rig.reg_import(f"[-{LAUNCHER_KEY}]")
        result = self.installation.run("/x")
        self.assertEqual(result.stderr, b"Error: could not read Install Path from registry.")
        self.assertEqual(result.returncode, 1)

    def test_values_that_cannot_be_read(self):
        install_message = b"Error: could not read Install Path from registry."
        data_message = b"Error: could not read Data Path from registry."
        cases = [
            ("InstallPath missing", [f'"DataPath"="C:\\\\VORNA\\\\data\\\\"'], install_message),
            ("InstallPath a REG_DWORD", ['"InstallPath"=dword:00000001', '"DataPath"="C:\\\\D\\\\"'], install_message),
            ("InstallPath of 100 bytes", [f'"InstallPath"="C:\\\\{"a" * 96}\\\\"', '"DataPath"="C:\\\\D\\\\"'], install_message),
            ("DataPath missing", ['"InstallPath"="C:\\\\VORNA\\\\"'], data_message),
            ("DataPath a REG_DWORD", ['"InstallPath"="C:\\\\VORNA\\\\"', '"DataPath"=dword:00000001'], data_message),
            ("DataPath of 260 bytes", ['"InstallPath"="C:\\\\VORNA\\\\"', f'"DataPath"="C:\\\\{"d" * 256}\\\\"'], data_message),
        ]
        for name, values, message in cases:
            with self.subTest(name):
                rig.reg_import("\n".join([f"[-{LAUNCHER_KEY}]", f"[{LAUNCHER_KEY}]", *values]))
                result = self.installation.run("/x")
                self.assertEqual(result.stderr, message)
                self.assertEqual(result.returncode, 1)

    def test_paths_that_are_read_whole(self):
        cases = [
            ("InstallPath of 99 bytes", "C:\\" + "a" * 95 + "\\", "C:\\D\\"),
            ("DataPath longer than InstallPath", "C:\\V\\", "C:\\a much\\longer data\\directory\\than the install\\"),
        ]
        for name, install, data in cases:
            with self.subTest(name):
                rig.set_launcher_paths(install, data)
                result = self.installation.run("/x")
                self.assertEqual(result.returncode, 3, result.text)
                self.assertTrue(result.text.startswith(log_path_line(data)), result.text)

    def test_data_path_whose_log_path_would_not_fit_max_path_is_refused(self):
        too_long = b"Error: Data Path from registry is too long for the log file path (at most 259 characters)."
        # The longest name in the log folder, a log's millionth rolled-over file, adds 29 characters
        # to the data path. Windows' narrow file functions refuse a path beyond MAX_PATH; Wine's
        # open it all the same, so only the refusal can be seen here.
        for name, length in (("231 characters: a rolled-over log path of 260", 231), ("259 characters", 259)):
            with self.subTest(name):
                rig.set_launcher_paths(DEFAULT_INSTALL, "C:\\" + "d" * (length - 4) + "\\")
                result = self.installation.run("/x")
                self.assertEqual(result.stderr, too_long)
                self.assertEqual(result.returncode, 1)

    def test_data_path_whose_log_path_just_fits_gets_its_log(self):
        rig.clear_java()
        rig.remove_service()
        data = "C:\\" + "d" * 226 + "\\"
        self.assertEqual(len(data + "log\\vorna-launcher.999999.log"), 259)
        installation = make_installation(rig, data=data)
        result = installation.run()
        # The launch goes on to its end, a failure for want of Java.
        self.assertEqual(result.returncode, 1, result.text)
        self.assertTrue(result.text.startswith(log_path_line(data)), result.text)
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", "Error: no JRE or JDK found."])

    def test_data_path_without_trailing_backslash_runs_into_the_log_folder_name(self):
        rig.set_launcher_paths(DEFAULT_INSTALL, "C:\\VORNA\\data")
        result = self.installation.run("/x")
        self.assertTrue(result.text.startswith("logPath == C:\\VORNA\\datalog\\vorna-launcher.log\n"), result.text)


class CommandLine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.installation = make_installation(rig)
        rig.clear_java()
        rig.remove_service()

    def test_unrecognised_argument_prints_log_path_banner_and_usage_byte_for_byte(self):
        result = self.installation.run("/x")
        expected = log_path_line("C:\\VORNA\\data\\") + BANNER + usage("C:\\VORNA\\vorna-launcher.exe")
        self.assertEqual(result.stderr, crlf(expected))
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.returncode, 3)

    def test_usage_names_the_program_as_it_was_started(self):
        started_as = "vorna-launcher"
        result = rig.wine(rig.config["run_with_command_line"], self.installation.exe, started_as + " -i")
        self.assertEqual(result.returncode, 3, result.text)
        self.assertTrue(result.text.endswith(usage(started_as)), result.text)

    def test_only_exact_first_arguments_are_commands(self):
        for arguments in (["/I"], ["-i"], ["/install"], ["/d2"], ["/D"], ["/start "], [" /stop"], [""], ["/x", "/d"],
                          ["/i/d"], ["d"]):
            with self.subTest(arguments=arguments):
                result = self.installation.run(*arguments)
                self.assertEqual(result.returncode, 3, result.text)
                self.assertTrue(result.text.endswith(usage("C:\\VORNA\\vorna-launcher.exe")), result.text)

    def test_commands_ignore_further_arguments(self):
        rig.remove_service()
        alone = self.installation.run("/check")
        for arguments in (["/check", "/d"], ["/check", "/stop", "x"]):
            with self.subTest(arguments=arguments):
                result = self.installation.run(*arguments)
                self.assertEqual(result.returncode, alone.returncode)
                self.assertEqual(result.stderr, alone.stderr)

    def test_the_launch_runs_without_arguments_and_after_d_and_fails_with_1(self):
        for arguments, level in (([], 0), (["/d"], 1), (["/d", "/d"], 2), (["/d", "/x"], 1), (["/d", "/d", "/d"], 2)):
            with self.subTest(arguments=arguments):
                expected = (
                    log_path_line("C:\\VORNA\\data\\")
                    + BANNER
                    + "Checking for running service ...\nVORNA is not active, starting ...\n"
                    + no_config_file(self.installation, level)
                    + "Error: no JRE or JDK found.\n"
                )
                result = self.installation.run(*arguments)
                self.assertEqual(result.text, expected)
                self.assertEqual(result.returncode, 1)

    def test_the_console_launch_logs_its_start(self):
        self.installation.log_path.unlink(missing_ok=True)
        self.installation.run()
        self.assertEqual(self.installation.log_messages(), ["VORN Service Startup", "Error: no JRE or JDK found."])


class Executable(unittest.TestCase):
    def test_manifest_asks_for_administrator_rights(self):
        result = rig.wine(rig.config["manifest_dump"], rig.config["launcher"])
        self.assertEqual(result.returncode, 0, result.stderr)
        manifest = result.stdout.decode("utf-8")
        self.assertIn(
            '<assemblyIdentity name="Ardilux.VORNA.Service" version="1.0.0.0" processorArchitecture="amd64" type="win32"/>',
            manifest,
        )
        self.assertIn("<description>Ardilux Keltranes Service</description>", manifest)
        self.assertIn('<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>', manifest)

    def test_version_resource_carries_the_banners_product_and_version(self):
        installation = make_installation(rig)
        banner = re.search(r"\n(.+) version (\S+) \(64 bit\)\n", installation.run("/x").text)
        product, version = banner.groups()
        result = rig.wine(rig.config["version_dump"], rig.config["launcher"])
        self.assertEqual(result.returncode, 0, result.stderr)
        fields = dict(line.split("=", 1) for line in result.stdout.decode("ascii").splitlines())
        self.assertEqual(fields, {
            "fixed.FileVersion": version + ".0",
            "fixed.ProductVersion": version + ".0",
            "fixed.FileOS": "0x40004",  # VOS_NT_WINDOWS32
            "fixed.FileType": "1",  # VFT_APP
            "translation": "040904b0",  # U.S. English, Unicode
            "CompanyName": "Ardilux",
            "FileDescription": f"{product} launcher",
            "FileVersion": version,
            "InternalName": "vorna-launcher",
            "OriginalFilename": "vorna-launcher.exe",
            "ProductName": product,
            "ProductVersion": version,
        })

    def test_only_system_libraries_are_imported(self):
        dump = subprocess.run([rig.config["objdump"], "-p", rig.config["launcher"]], capture_output=True, text=True,
                              check=True).stdout
        self.assertIn("file format pei-x86-64", dump)
        imported = sorted(line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line)
        self.assertEqual(imported, ["advapi32.dll", "kernel32.dll", "msvcrt.dll"])


if __name__ == "__main__":
    unittest.main()
