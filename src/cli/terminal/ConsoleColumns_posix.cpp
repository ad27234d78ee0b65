#include "cli/terminal/ConsoleColumns.h"

#include <sys/ioctl.h>

int ConsoleColumns(int fd)
{
    winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}
