#include "sim/TraceFile.h"

#include "platform/SystemPath.h"

std::FILE* OpenTraceFile(const std::string& path)
{
    // Nothing on Windows waits at opening; binary keeps the lines' "\n" as on Linux.
    return OpenFile(path, "wbe");
}
