"""The service's status record as a client of the service control manager sees it while the
service starts, runs, pauses, continues and stops: states, check points, wait hints and the
controls it accepts."""

import unittest

from service_case import (
    ACCEPTED_CONTROLS,
    CONTINUE_PENDING,
    PAUSE_PENDING,
    PAUSED,
    RUNNING,
    START_PENDING,
    START_SENT,
    STOP_PENDING,
    STOPPED,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    rig,
    sent,
)
from stress_support import tool
from winerig import SERVICE_NAME


def record(status):
    return {key: status[key] for key in ("state", "controls", "checkpoint", "waithint", "exitcode")}


def launcher_records(records):
    """The records from the launcher's first report on: before it, the watcher sees the stopped
    service and then the service control manager's own start pending record (check point 0)."""
    for index, status in enumerate(records):
        if status["state"] == START_PENDING and status["checkpoint"] != 0:
            return records[index:]
    raise AssertionError(f"no start pending report of the launcher: {records}")


def first_index(records, state, after=0):
    return next(i for i in range(after, len(records)) if records[i]["state"] == state)


class StatusRecord(ServiceCase):
    def assertCheckPointsGrow(self, records):
        """Running and stopped carry 0; every other report takes the next value of one counter."""
        for status in records:
            if status["state"] in (RUNNING, STOPPED):
                self.assertEqual(status["checkpoint"], 0, status)
        counted = [status["checkpoint"] for status in records if status["state"] not in (RUNNING, STOPPED)]
        self.assertEqual(counted, sorted(set(counted)), f"check points went backwards or repeated: {records}")

    def test_start_pending_then_running(self):
        self.install()
        watch = rig.start_watch(seconds=90, until_state=RUNNING)
        self.assertCommand(["/start"], START_SENT)
        records = launcher_records(watch.records())
        rig.forget_service_pipe()
        # A start slower than a couple of seconds (a loaded machine) reports start pending anew.
        pending = [record(status) for status in records[:-1]]
        self.assertEqual(pending, [dict(state=START_PENDING, controls=0, checkpoint=number, waithint=5000, exitcode=0)
                                   for number in range(1, len(pending) + 1)])
        self.assertEqual(record(records[-1]),
                         dict(state=RUNNING, controls=ACCEPTED_CONTROLS, checkpoint=0, waithint=0, exitcode=0))

    def test_paused_check_point_grows_about_once_a_second(self):
        self.run_service()
        self.assertCommand(["/pause"], sent("/pause"))
        self.wait_for(PAUSED, seconds=30)
        paused = [status for status in rig.watch_service(seconds=6) if status["state"] == PAUSED]
        self.assertGreaterEqual(len(paused), 3, paused)
        for status in paused:
            self.assertEqual((status["controls"], status["waithint"], status["exitcode"]), (ACCEPTED_CONTROLS, 0, 0))
        self.assertCheckPointsGrow(paused)
        seconds = (paused[-1]["t"] - paused[0]["t"]) / 1000
        per_second = (paused[-1]["checkpoint"] - paused[0]["checkpoint"]) / seconds
        self.assertTrue(0.6 <= per_second <= 1.4, f"{per_second:.2f} check points a second: {paused}")

    def test_pending_states_while_the_application_works_on_a_control(self):
        # Each call takes 3 s, long enough to see the handler's pending report and the loop's in between.
        self.run_service(pause="delay:3000", cont="delay:3000", gracefulShutdown="delay:3000")
        watch = rig.start_watch(seconds=120, until_state=STOPPED)
        # Sent by a plain client: "/pause" and "/cont" would take the running reported in between for a refusal.
        self.assertEqual(tool("service_control", "control", SERVICE_NAME, "pause").stdout, b"error=0\r\n")
        self.wait_for(PAUSED, seconds=30)
        self.assertEqual(tool("service_control", "control", SERVICE_NAME, "continue").stdout, b"error=0\r\n")
        self.wait_for(RUNNING, seconds=30)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        records = watch.records()
        self.assertEqual(records[0]["state"], RUNNING, records)
        self.assertCheckPointsGrow(records)

        pause = first_index(records, PAUSE_PENDING)
        self.assertEqual(
            (records[pause]["controls"], records[pause]["waithint"]), (ACCEPTED_CONTROLS, 5000), records[pause]
        )
        paused = first_index(records, PAUSED, pause)
        # While pause runs, the supervision loop reports the service as it still is: running.
        self.assertIn(RUNNING, [status["state"] for status in records[pause:paused]], records)

        resume = first_index(records, CONTINUE_PENDING, paused)
        self.assertEqual((records[resume]["controls"], records[resume]["waithint"]), (ACCEPTED_CONTROLS, 0))
        running = first_index(records, RUNNING, resume)
        self.assertIn(PAUSED, [status["state"] for status in records[resume:running]], records)

        stop = first_index(records, STOP_PENDING, running)
        self.assertEqual((records[stop]["controls"], records[stop]["waithint"]), (ACCEPTED_CONTROLS, 5000))
        # Once stopping, nothing says running again, not even the loop's pass under way at the stop;
        # while gracefulShutdown's 3 s run, stop pending is reported anew.
        stopping = [status["state"] for status in records[stop:]]
        self.assertEqual(stopping, [STOP_PENDING] * (len(stopping) - 1) + [STOPPED], records)
        self.assertGreaterEqual(len(stopping), 3, records)
        self.assertEqual((records[-1]["exitcode"], records[-1]["waithint"]), (0, 0))


# Wine's ControlService reports success whenever the handler answers within its own 10 s, whatever
# the handler returns, and ERROR_SERVICE_REQUEST_TIMEOUT when it does not: a handler that waits its
# 10 s for the application meets that limit. Windows gives the handler 30 s and passes on its result.
PAUSE_TIMED_OUT_UNDER_WINE = "ControlService failed (/pause).\nERROR_SERVICE_REQUEST_TIMEOUT (1053)\n"


class SlowPause(ServiceCase):
    def test_a_pause_longer_than_the_handler_waits_is_carried_out(self):
        self.run_service(pause="delay:12000")
        result = self.command("/pause")
        self.assertIn(result.stderr, (self.console(sent("/pause")), self.console(PAUSE_TIMED_OUT_UNDER_WINE)),
                      result.text)
        status = self.wait_for(PAUSED, seconds=30)
        self.assertEqual((status["controls"], status["exitcode"]), (ACCEPTED_CONTROLS, 0), status)
        self.assertEqual(self.installation.log_messages(), ["VORN Service Startup", "Pausing VORNA..."])
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)


if __name__ == "__main__":
    unittest.main()
