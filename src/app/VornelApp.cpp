#include "app/VornelApp.h"

#include "app/UpdateDialog.h"
#include "package/Package.h"

int CVornelApp::InitInstance()
{
    int exitCode = 0;
    {
        CUpdateDialog welcome;
        welcome.SetProgressWatchPeriod(m_progressWatchPeriodMs);
        if (welcome.OnInitDialog())
            welcome.exec();
        else
            exitCode = 1;
    }
    // After an update the run has released both buffers already; after
    // Cancel or a failed load they are released here.
    ReleasePackageBuffers();
    return exitCode;
}
