#include "app/VornelApp.h"

#include "app/UpdateDialog.h"
#include "wizard/UpdateWizard.h"

int CVornelApp::InitInstance()
{
    UpdateOutcome outcome = UpdateOutcome::PackageLoadFailed;
    // The wizard holds the package until a run takes it; both go when the
    // pages have closed.
    UpdateWizard wizard(m_setup);
    CUpdateDialog welcome(wizard, m_setup);
    if (welcome.OnInitDialog()) {
        welcome.exec();
        outcome = welcome.Outcome();
    }
    return ExitCodeOf(outcome);
}
