#include "cli/TerminalWidth.h"

#include <sys/ioctl.h>

#include <cstdlib>

namespace {

constexpr int kDefaultColumns = 80;

} // namespace

int TerminalColumns(int fd)
{
    winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long value = std::strtol(columns, &end, 10);
        if (end != columns && *end == '\0' && value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return kDefaultColumns;
}
