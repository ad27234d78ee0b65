// kt7-flash: the updater for a terminal.

#include "cli/Kt7Flash.h"

int main(int argc, char** argv)
{
    SteadyClock clock;
    return RunKt7Flash(argc, argv, clock);
}
