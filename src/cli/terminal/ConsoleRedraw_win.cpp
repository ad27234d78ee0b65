#include "cli/terminal/ConsoleRedraw.h"

#include "platform/ConsoleOutput.h"

bool RedrawsInPlace(int fd)
{
    // A file, a pipe or NUL (which the C runtime calls a terminal) is no console.
    return TakesEscapeSequences(fd);
}
