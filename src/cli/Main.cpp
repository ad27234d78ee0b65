// kt7-flash: the updater for a terminal.

#include "cli/Kt7Flash.h"
#include "platform/InterruptGuard.h"

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();
    SteadyClock clock;
    return RunKt7Flash(argc, argv, clock);
}
