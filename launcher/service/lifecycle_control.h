#pragma once

#include <windows.h>

// Pause and continue. The control handler starts the application's pause() or cont() on a
// thread of its own, reports the pending state and returns at once; the supervision loop reports
// that state anew, with a growing check point, while the method runs, and then the state it led
// to: paused (running) once it has returned, running (paused) again when it could not be called or
// threw, paused (running) when it still runs after 10 s. So the reports never go back, and a
// control that waits for the method holds back no other control.

// For the handler: starts the control's method. ERROR_SERVICE_CANNOT_ACCEPT_CTRL while an earlier
// pause or continue is pending or the service stops; the error of CreateThread when no thread
// could be started.
DWORD startPauseOrContinue(DWORD control);

// For the supervision loop, each pass: reports running, paused or the pending state.
void reportSupervisedState();

// What the supervision loop also waits for: the end of a pending method, or the start of one.
HANDLE pauseOrContinueWakeHandle();

// How long the supervision loop may wait before a pending method's 10 s are up: at most period.
DWORD pauseOrContinueWait(DWORD period);
