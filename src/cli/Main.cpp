// kt7-flash: the updater for a terminal.

#include "cli/Kt7Flash.h"
#include "platform/InterruptGuard.h"
#include "platform/ProgramStart.h"

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();
    UseUtf8Console();
    Utf8Arguments arguments(argc, argv);
    SteadyClock clock;
    return RunKt7Flash(arguments.Count(), arguments.Values(), clock);
}
