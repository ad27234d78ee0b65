#include "engine/ProcessState.h"

#include "engine/ProgressState.h"
#include "hid/CommandSet.h"
#include "hid/Presence.h"
#include "package/Package.h"

void ResetProcessState()
{
    ResetPackageState();
    ResetDeviceState();
    SelectCommandSet(0);
    ResetProgressState();
}
