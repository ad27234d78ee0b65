#include "cli/terminal/ConsoleColumns.h"

#include <windows.h>

#include "platform/ConsoleOutput.h"

int ConsoleColumns(int fd)
{
    // The visible window's width, not the (often much wider) buffer's.
    CONSOLE_SCREEN_BUFFER_INFO info {};
    HANDLE handle = ConsoleBehind(fd);
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}
