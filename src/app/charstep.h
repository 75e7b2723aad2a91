// Character stepping over ANSI multi-byte text. Every scan over text goes
// through here, so the second byte of a double-byte character is never taken
// for a backslash or a letter.
#pragma once

// Returns the start of the character after the one at p; p itself at the
// terminator. On Windows this is the system's CharNextA in the current ANSI
// code page; the host build steps by the code page 932 lead-byte rule so its
// tests see double-byte text too.
const char* charNext(const char* p);
char* charNext(char* p);
