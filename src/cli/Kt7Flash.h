#pragma once
// The whole of kt7-flash behind main(): options, the run's log, the backend
// and the verb. The clock is given so that tests run it on a virtual one.

#include "platform/Clock.h"

int RunKt7Flash(int argc, char** argv, Clock& clock);
