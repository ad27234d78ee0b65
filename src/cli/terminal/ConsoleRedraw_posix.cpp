#include "cli/terminal/ConsoleRedraw.h"

#include <unistd.h>

bool RedrawsInPlace(int fd)
{
    return isatty(fd) != 0;
}
