"""Status reports under contention: pause and continue sent as fast as the service control
manager takes them, then stop, while the supervision loop reports once a second. Every record a
client sees is one of the service's states with that state's own fields, check points never go
backwards, and every control the service took reached the application once (one at a time: a pause
or continue that comes while another is pending is refused). The order of the states through a
pause is the controls test's: a watcher that polls misses states this storm passes through."""

import unittest

from service_case import (
    ACCEPTED_CONTROLS,
    CONTINUE_PENDING,
    PAUSE_PENDING,
    PAUSED,
    RUNNING,
    START_PENDING,
    STOP_PENDING,
    STOPPED,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    rig,
)
from stress_support import tool, whole_lines

# About 5 s of controls on a 2-core machine; the time limit only ends a storm that the service no
# longer takes, so that a slower machine sends the same storm, only later.
STORM_CONTROLS = 1000
STORM_LIMIT_MS = 120000

# State: (accepted controls, wait hint, carries a check point).
REPORT_FIELDS = {
    START_PENDING: (0, 5000, True),
    RUNNING: (ACCEPTED_CONTROLS, 0, False),
    PAUSE_PENDING: (ACCEPTED_CONTROLS, 5000, True),
    PAUSED: (ACCEPTED_CONTROLS, 0, True),
    CONTINUE_PENDING: (ACCEPTED_CONTROLS, 5000, True),
    STOP_PENDING: (ACCEPTED_CONTROLS, 5000, True),
    STOPPED: (ACCEPTED_CONTROLS, 0, False),
}


class ReportsUnderContention(ServiceCase):
    def test_every_report_is_whole_and_check_points_only_grow(self):
        # gracefulShutdown takes a second, so that stop pending lasts longer than the watcher may
        # be kept from polling on a loaded machine.
        self.install(gracefulShutdown="delay:1000")
        # One watch sees the start up to running, a second one the storm and the stop.
        start_watch = rig.start_watch(seconds=90, until_state=RUNNING)
        self.addCleanup(start_watch.stop)
        self.start_service()
        records = start_watch.records()
        watch = rig.start_watch(seconds=STORM_LIMIT_MS / 1000 + 120, until_state=STOPPED)
        self.addCleanup(watch.stop)

        storm = tool("service_control", "storm", "VORNA", str(STORM_LIMIT_MS), str(STORM_CONTROLS),
                     timeout=STORM_LIMIT_MS / 1000 + 60)
        counts = dict(field.split("=") for field in storm.stdout.decode("latin-1").split())
        sent = int(counts["sent"])
        self.assertEqual(sent, STORM_CONTROLS, storm.stdout)
        # The last control the service took decides where it settles.
        settled = self.wait_for(RUNNING, PAUSED, seconds=30)
        last_call = [name for name in self.installation.event_names() if name in ("pause", "cont")][-1]
        self.assertEqual(settled["state"], PAUSED if last_call == "pause" else RUNNING, settled)
        self.assertEqual(settled["checkpoint"] == 0, settled["state"] == RUNNING, settled)

        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        records += watch.records()
        self.log_after_shutdown()

        # Until the process's first report, the records are the service control manager's own.
        first = [(r["state"], r["checkpoint"]) for r in records].index((START_PENDING, 1))
        records = records[first:]
        states = [record["state"] for record in records]
        # Once stopping, nothing says running or paused again.
        stopping = states[states.index(STOP_PENDING):]
        self.assertEqual(stopping, [STOP_PENDING] * (len(stopping) - 1) + [STOPPED], records[-3:])
        self.assertIn(PAUSE_PENDING, states)
        self.assertIn(CONTINUE_PENDING, states)
        check_points = []
        for record in records:
            self.assertIn(record["state"], REPORT_FIELDS, record)
            controls, wait_hint, carries_check_point = REPORT_FIELDS[record["state"]]
            self.assertEqual((record["controls"], record["waithint"]), (controls, wait_hint), record)
            self.assertEqual((record["exitcode"], record["specific"]), (0, 0), record)
            self.assertEqual(record["checkpoint"] != 0, carries_check_point, record)
            if carries_check_point:
                check_points.append(record["checkpoint"])
        self.assertEqual(check_points[0], 1)
        self.assertEqual(check_points, sorted(set(check_points)), "check points went backwards or repeated")

        # Every control taken: one log line, one call of the application; nothing torn.
        messages = whole_lines(self.installation.log_path.read_bytes())
        calls = self.installation.event_names()
        taken = (messages.count("Pausing VORNA..."), messages.count("Continuing VORNA..."))
        self.assertEqual((calls.count("pause"), calls.count("cont")), taken)
        self.assertTrue(0 < taken[0] and 0 < taken[1] and sum(taken) <= sent, taken)


if __name__ == "__main__":
    unittest.main()
