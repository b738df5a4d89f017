"""The service's status record as a client of the service control manager sees it while the
service starts, runs, pauses, continues and stops: states, check points, wait hints and the
controls it accepts."""

import unittest

from installation import dump_of_method
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
        # "/pause" and "/cont" wait for the pending state to end: they see the state it led to.
        self.assertCommand(["/pause"], sent("/pause"))
        self.assertCommand(["/cont"], sent("/cont"))
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        records = watch.records()
        self.assertEqual(records[0]["state"], RUNNING, records)
        self.assertCheckPointsGrow(records)

        pause = first_index(records, PAUSE_PENDING)
        self.assertEqual(
            (records[pause]["controls"], records[pause]["waithint"]), (ACCEPTED_CONTROLS, 5000), records[pause]
        )
        paused = first_index(records, PAUSED, pause)
        # While pause runs, pause pending is reported anew, and nothing else until paused: a client
        # waiting for the pending state to end sees the state it led to.
        self.assertEqual({status["state"] for status in records[pause:paused]}, {PAUSE_PENDING}, records)
        self.assertGreaterEqual(paused - pause, 3, records)

        resume = first_index(records, CONTINUE_PENDING, paused)
        self.assertEqual((records[resume]["controls"], records[resume]["waithint"]), (ACCEPTED_CONTROLS, 5000))
        running = first_index(records, RUNNING, resume)
        self.assertEqual({status["state"] for status in records[resume:running]}, {CONTINUE_PENDING}, records)

        stop = first_index(records, STOP_PENDING, running)
        self.assertEqual((records[stop]["controls"], records[stop]["waithint"]), (ACCEPTED_CONTROLS, 5000))
        # Once stopping, nothing says running again, not even the loop's pass under way at the stop;
        # while gracefulShutdown's 3 s run, stop pending is reported anew.
        stopping = [status["state"] for status in records[stop:]]
        self.assertEqual(stopping, [STOP_PENDING] * (len(stopping) - 1) + [STOPPED], records)
        self.assertGreaterEqual(len(stopping), 3, records)
        self.assertEqual((records[-1]["exitcode"], records[-1]["waithint"]), (0, 0))


class SlowPause(ServiceCase):
    def test_a_pause_longer_than_its_ten_seconds_counts_as_done_then(self):
        self.run_service(pause="delay:12000")
        watch = rig.start_watch(seconds=60, until_state=PAUSED)
        self.addCleanup(watch.stop)
        self.assertCommand(["/pause"], sent("/pause"))
        records = watch.records()
        pending = first_index(records, PAUSE_PENDING)
        self.assertEqual({status["state"] for status in records[pending:-1]}, {PAUSE_PENDING}, records)
        # Paused at 10 s, once the pause's thread dump is written; a second of slack for the
        # watcher and a loaded machine.
        took = records[-1]["t"] - records[pending]["t"]
        dump = self.installation.dump_milliseconds()
        self.assertTrue(9500 < took < 11000 + sum(dump), f"paused {took} ms after pause pending, dump {dump} ms")
        self.assertEqual((records[-1]["controls"], records[-1]["exitcode"]), (ACCEPTED_CONTROLS, 0), records[-1])
        self.assertEqual(self.installation.log_messages(),
                         ["VORN Service Startup", "Pausing VORNA...", 'Timeout while waiting for "pause" method.',
                          self.installation.dump_written(dump_of_method("pause"))])
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)


if __name__ == "__main__":
    unittest.main()
