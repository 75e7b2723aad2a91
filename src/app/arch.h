// Where the 32-bit product and the 64-bit build differ by necessity, said
// once. Everything else, the INI file included, is the same for both.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN64
// 64-bit plug-ins are a kind of their own, so one folder can hold both.
#define TRAWLIX_PLUGIN_EXTENSION ".sph"
// The picture-information record a 64-bit host hands GetPictureInfo.
constexpr size_t kSusieInfoBytes = 32;
constexpr const char kManifestArchitecture[] = "amd64";
#else
#define TRAWLIX_PLUGIN_EXTENSION ".spi"
constexpr size_t kSusieInfoBytes = 28;
constexpr const char kManifestArchitecture[] = "X86";
#endif

constexpr const char kPluginPattern[] = "*" TRAWLIX_PLUGIN_EXTENSION;

// A modal result packing a heap address and a flag keeps the flag in the
// top bit: bit 31 in a 32-bit process, whose user addresses lie below 2^31,
// and bit 63 in a 64-bit one, whose heap may lie above 4 GiB.
constexpr uintptr_t kPackedFlag = uintptr_t(1) << (sizeof(uintptr_t) * 8 - 1);

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "a 32-bit or a 64-bit build");
static_assert(sizeof(void*) == 8 ? kPackedFlag == 0x8000000000000000u : kPackedFlag == 0x80000000u,
              "the flag is the result's top bit");
static_assert(sizeof(void*) == 8 ? kSusieInfoBytes == 32 : kSusieInfoBytes == 28,
              "the record size each kind of plug-in expects");

#ifdef _WIN32
#include <windows.h>

// Points a faulted thread's context at the place __builtin_setjmp saved in
// jump: GCC keeps the frame pointer, the resume address and the stack
// pointer in the buffer's first three words.
inline void archContextResume(CONTEXT& context, void* const* jump) {
#ifdef _WIN64
    context.Rbp = reinterpret_cast<DWORD64>(jump[0]);
    context.Rip = reinterpret_cast<DWORD64>(jump[1]);
    context.Rsp = reinterpret_cast<DWORD64>(jump[2]);
#else
    context.Ebp = reinterpret_cast<DWORD>(jump[0]);
    context.Eip = reinterpret_cast<DWORD>(jump[1]);
    context.Esp = reinterpret_cast<DWORD>(jump[2]);
#endif
}
#endif
