// Calls into plug-in code under a guard: a hardware fault raised inside the
// plug-in (access violation, illegal or privileged instruction, integer
// division by zero, stack overflow) ends that call as a failure, not the
// program. The plug-in is then marked faulted and disabled, and is not
// called again until the user enables it in the plug-in settings.
#pragma once

#include "spi/plugins.h"

// Runs call(context) as a call into plugin's library. Returns 1 when it
// returned, 0 when it faulted (or plugin had faulted before, in which case
// call does not run). Calls nest on one thread only through the host's own
// callbacks; each thread guards its own calls.
int spiGuard(SusiePlugin& plugin, void (*call)(void* context), void* context);

// Tells the user once, in a box owned by owner, that plugin faulted (or,
// hung, did not answer) while reading picture. A worker thread waits for the
// answer. No owner: nothing is shown.
void spiFaultNotice(HWND owner, const SusiePlugin& plugin, const char* picture, bool hung = false);
