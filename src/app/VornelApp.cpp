#include "app/VornelApp.h"

#include "app/UpdateDialog.h"

int CVornelApp::InitInstance()
{
    UpdateOutcome outcome = UpdateOutcome::PackageLoadFailed;
    // The welcome page holds the package; it is released with the page,
    // after an update and after Cancel alike.
    CUpdateDialog welcome(m_setup);
    if (welcome.OnInitDialog()) {
        welcome.exec();
        outcome = welcome.Outcome();
    }
    return ExitCodeOf(outcome);
}
