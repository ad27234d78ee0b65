#include "cli/terminal/TerminalWidth.h"

#include <cstdlib>

#include "cli/terminal/ConsoleColumns.h"

namespace {

constexpr int kDefaultColumns = 80;

} // namespace

int TerminalColumns(int fd)
{
    if (const int columns = ConsoleColumns(fd); columns > 0)
        return columns;
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long value = std::strtol(columns, &end, 10);
        if (end != columns && *end == '\0' && value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return kDefaultColumns;
}
