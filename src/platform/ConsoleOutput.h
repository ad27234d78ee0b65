#pragma once
// Windows only. Our text is UTF-8, which a console shows right only when it
// arrives through WriteConsoleW: the C runtime writes a printf to a console
// byte by byte, and a console takes a character cut in two as two wrong
// ones (Windows 7 and 8 mishandle UTF-8 writes besides). So standard output
// and standard error, where they are a console, are sent through a pipe to
// a thread that turns whole characters into UTF-16 for the console.
// Redirected to a file or a pipe they stay as they are: UTF-8 bytes.

#include <windows.h>

#include <cstddef>
#include <string_view>

// Puts the pipe in place; the thread writes out what is left when the
// program exits. Call once, first thing in main().
void RouteConsoleOutputAsUtf16();

// The console that descriptor `fd` (1 or 2) writes to, also through the
// pipe; INVALID_HANDLE_VALUE when it writes to anything else.
HANDLE ConsoleBehind(int fd);

// True when the console behind `fd` acts on escape sequences (cursor
// moves, erasing a line), which are then turned on where they are off; the
// console's mode is put back at exit. False for a console before Windows
// 10, and for anything but a console.
bool TakesEscapeSequences(int fd);

// How many bytes at the end of `text` begin a character that is not
// complete yet (0 to 3): the thread keeps them for the next read.
size_t UnfinishedUtf8Tail(std::string_view text);
