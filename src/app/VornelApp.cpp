#include "app/VornelApp.h"

#include "app/UpdateDialog.h"
#include "package/Package.h"

int CVornelApp::InitInstance()
{
    UpdateOutcome outcome = UpdateOutcome::PackageLoadFailed;
    {
        CUpdateDialog welcome;
        welcome.SetProgressWatchPeriod(m_progressWatchPeriodMs);
        welcome.SetUpdateLockPath(m_updateLockPath);
        if (welcome.OnInitDialog()) {
            welcome.exec();
            outcome = welcome.Outcome();
        }
    }
    // After an update the run has released both buffers already; after
    // Cancel or a failed load they are released here.
    ReleasePackageBuffers();
    return ExitCodeOf(outcome);
}
