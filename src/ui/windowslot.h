// Each of the program's window classes keeps one state record from the
// process heap in window slot 0: allocated at creation, freed at destruction.
#pragma once

#include "app/platform.h"

// The window's record; none before creation has stored it or after it was freed.
template <typename State>
State* slotState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, 0));
}

// Allocates a zeroed record and stores it in the window; none when the heap refuses.
template <typename State>
State* slotStateCreate(HWND window) {
    State* state = static_cast<State*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(State)));
    if (state) SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(state));
    return state;
}

// Frees the window's record; later messages see none.
inline void slotStateDestroy(HWND window) {
    void* state = reinterpret_cast<void*>(GetWindowLongPtrA(window, 0));
    SetWindowLongPtrA(window, 0, 0);
    if (state) HeapFree(GetProcessHeap(), 0, state);
}

// Registers a class of this module with one pointer-sized slot. 1 on success.
inline int slotClassRegister(const char* name, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background,
                             HICON icon = nullptr) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) ? 1 : 0;
}
