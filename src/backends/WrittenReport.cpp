#include "backends/WrittenReport.h"

int WrittenReportBytes(int written, size_t length)
{
    if (written < 0)
        return -1;
    return static_cast<size_t>(written) > length ? static_cast<int>(length) : written;
}
