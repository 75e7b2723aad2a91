// The one background worker a window runs at a time (a search or a file
// action): its thread, the flag that asks it to stop, and the ticket every
// worker's request carries so it can report to the window and see the flag.
// The window thread starts, stops and finishes a worker; the worker only
// reads its request and sends or posts messages to the ticket's window.
#pragma once

#include <stdint.h>

#include "app/platform.h"

// Carried by every request; the worker reads it, the window owns what it points at.
struct WorkerTicket {
    HWND report;                  // receives the worker's messages, WMU_WORKER_DONE last
    const volatile LONG* cancel;  // nonzero once the user asked the worker to stop
    uint32_t serial;              // the run's number: a done message of an older run is ignored
};

// One per window that runs workers; zero-filled is idle.
struct Worker {
    HANDLE thread;     // the running worker's thread; none when idle
    volatile DWORD id; // its thread id, 0 when none runs (a program driving the window reads it)
    volatile LONG cancel;
    uint32_t serial;   // of the last run started
};

// A ticket for the next run of worker, reporting to report.
WorkerTicket workerTicket(Worker& worker, HWND report);

// Starts proc on request (whose first member is the ticket workerTicket
// gave) as worker's thread. Returns 1, the request then the thread's; 0 when
// no thread could be made, the request still the caller's.
int workerStart(Worker& worker, LPTHREAD_START_ROUTINE proc, void* request);

// WMU_WORKER_DONE with serial: waits out the thread's last instructions and
// forgets it. Returns true when it was the running worker's (false for a
// stale message, its run already finished).
bool workerFinish(Worker& worker, uint32_t serial);

// Asks the running worker to stop and waits, answering the thread's
// messages (the worker may be sending to its windows), until it has
// finished; returns at once when none runs. The done message the worker
// posted arrives later and is stale.
void workerStopAndWait(Worker& worker);

// For the worker: whether it was asked to stop, by the flag or by Escape held
// while the ticket's window is in front. The keyboard is asked at most every
// kWorkerKeyPollMs (under Wine each key-state or foreground query is a round
// trip to the server); the flag every time.
constexpr DWORD kWorkerKeyPollMs = 20;
struct WorkerPoll {
    DWORD lastKeyTest;
};
bool workerStopAsked(const WorkerTicket& ticket, WorkerPoll& poll);

// The worker's last act: tells the window it has finished.
void workerDone(const WorkerTicket& ticket);
