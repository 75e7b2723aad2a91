#include "app/worker.h"

#include "resource.h"

WorkerTicket workerTicket(Worker& worker, HWND report) {
    return WorkerTicket{report, &worker.cancel, worker.serial + 1};
}

int workerStart(Worker& worker, LPTHREAD_START_ROUTINE proc, void* request) {
    worker.cancel = 0;
    ++worker.serial;
    // Suspended until the id and handle are stored, so the worker's done
    // message can never find them unset.
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, proc, request, CREATE_SUSPENDED, &id);
    if (!thread) return 0;
    worker.thread = thread;
    worker.id = id;
    ResumeThread(thread);
    return 1;
}

bool workerFinish(Worker& worker, uint32_t serial) {
    if (!worker.thread || serial != worker.serial) return false;
    // The done message is the worker's last act: its thread ends at once.
    WaitForSingleObject(worker.thread, INFINITE);
    CloseHandle(worker.thread);
    worker.thread = nullptr;
    worker.id = 0;
    return true;
}

void workerStopAndWait(Worker& worker) {
    if (!worker.thread) return;
    worker.cancel = 1;
    while (worker.thread) {
        HANDLE thread = worker.thread;
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) {
            workerFinish(worker, worker.serial);
            break;
        }
        MSG msg;
        // A done message handled here finishes the worker: the loop then ends.
        while (worker.thread && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool workerStopAsked(const WorkerTicket& ticket, WorkerPoll& poll) {
    if (*ticket.cancel) return true;
    DWORD now = GetTickCount();
    if (now - poll.lastKeyTest < kWorkerKeyPollMs) return false;
    poll.lastKeyTest = now;
    // The foreground is asked only while Escape is down: one round trip less.
    return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) && GetForegroundWindow() == ticket.report;
}

void workerDone(const WorkerTicket& ticket) {
    PostMessageA(ticket.report, WMU_WORKER_DONE, ticket.serial, 0);
}
