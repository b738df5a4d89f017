#!/usr/bin/env python3
"""Command line of the Wine rig, for ctest: `setup` (removes what an earlier run left of the
prefix pool) and `teardown` (ends and removes every prefix of the pool), `exec PROGRAM [ARGS...]`
to run a Windows test program in a prefix of the pool, passing on its exit code, and `unit PROGRAM`
to run the Windows unit tests with the fixtures they need."""

import os
import shutil
import sys

from winerig import Rig, end_pool, load_config


# A Linux file whose reported size is larger than what a read gives back.
SHORT_READ_SOURCE = "/sys/devices/system/cpu/online"


def prepare_unit_fixtures(rig):
    """A properties file that reads short, for the configuration tests."""
    if not os.path.exists(SHORT_READ_SOURCE):
        return
    with open(SHORT_READ_SOURCE, "rb") as source:
        if os.path.getsize(SHORT_READ_SOURCE) <= len(source.read()):
            return
    directory = rig.host_path("C:\\unit-fixtures\\short-read\\")
    shutil.rmtree(directory, ignore_errors=True)
    directory.mkdir(parents=True)
    (directory / "vorna.properties").symlink_to(SHORT_READ_SOURCE)
    os.environ["VORNA_SHORT_READ_DIR"] = "C:\\unit-fixtures\\short-read\\"


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command in ("setup", "teardown"):
        end_pool(load_config())
        return 0
    if command in ("exec", "unit") and len(argv) > 2:
        rig = Rig()
        if command == "unit":
            prepare_unit_fixtures(rig)
        result = rig.wine(*argv[2:], timeout=600)
        sys.stdout.buffer.write(result.stdout)
        sys.stdout.buffer.write(result.stderr)
        return result.returncode
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
