#include "spi/guard.h"

#include "app/arch.h"
#include "app/resstring.h"
#include "resource.h"

namespace {

// One guarded call on this thread: where to resume, and the library range
// whose faults it catches.
struct GuardFrame {
    void* jump[5];  // __builtin_setjmp's buffer: where to resume
    uintptr_t base, end;
    void* exceptionList;  // the 32-bit handler chain at the call, put back after a fault
};

thread_local GuardFrame* current = nullptr;

// This thread's information block. In 32-bit builds its first field heads
// the chain of exception handlers that frames register; GCC takes the
// segment read at offset 0 for an array read out of bounds.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
NT_TIB* threadBlock() {
    return reinterpret_cast<NT_TIB*>(NtCurrentTeb());
}
#pragma GCC diagnostic pop

bool hardwareFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
        return true;
    default:
        return false;
    }
}

// Runs first for every exception of the process. A fault inside the guarded
// plug-in's image resumes the guard's frame, as if the call had returned;
// anything else (faults the system's own code expects and handles, faults
// outside a guarded call) goes on as before.
LONG CALLBACK guardHandler(EXCEPTION_POINTERS* pointers) {
    GuardFrame* frame = current;
    if (!frame || !hardwareFault(pointers->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    uintptr_t at = reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress);
    if (at < frame->base || at >= frame->end) return EXCEPTION_CONTINUE_SEARCH;
    current = nullptr;
    archContextResume(*pointers->ContextRecord, frame->jump);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The plug-in's image: from its base to the end its headers give.
void imageRange(HMODULE module, uintptr_t& base, uintptr_t& end) {
    base = reinterpret_cast<uintptr_t>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    end = base + nt->OptionalHeader.SizeOfImage;
}

// Saves where to come back to, then calls. The handler resumes the thread
// at the saved place, which GCC treats as a second return of the setjmp:
// every value the frame needs afterwards is reloaded from memory.
__attribute__((noinline)) int guardedRun(GuardFrame* frame, void (*call)(void*), void* context) {
    if (__builtin_setjmp(frame->jump)) {
        // Handlers the plug-in registered lie in the abandoned stack.
        threadBlock()->ExceptionList = static_cast<EXCEPTION_REGISTRATION_RECORD*>(frame->exceptionList);
        return 0;
    }
    current = frame;
    call(context);
    current = nullptr;
    return 1;
}

}  // namespace

int spiGuard(SusiePlugin& plugin, void (*call)(void* context), void* context) {
    static PVOID handler = AddVectoredExceptionHandler(1, guardHandler);
    if (plugin.faulted) return 0;
    if (!handler) {
        call(context);
        return 1;
    }
    GuardFrame* outer = current;
    GuardFrame frame = {};
    imageRange(plugin.moduleHandle, frame.base, frame.end);
    frame.exceptionList = threadBlock()->ExceptionList;
    int returned = guardedRun(&frame, call, context);
    current = outer;
    if (!returned) {
        plugin.faulted = 1;
        plugin.enabled = 0;
    }
    return returned;
}

void spiFaultNotice(HWND owner, const SusiePlugin& plugin, const char* picture, bool hung) {
    if (owner)
        resMessageBoxFormat(owner, hung ? IDS_PLUGIN_HUNG : IDS_PLUGIN_FAULTED, kCaptionError, MB_OK | MB_ICONERROR,
                            plugin.fileName, picture);
}
