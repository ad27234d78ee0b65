// kt7-updater.exe: the update wizard, as native Windows dialogs.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/WideText.h"
#include "win/Wizard.h"
#include "win/WizardDriver.h"

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments.push_back(WideToUtf8(wide[i]));
        LocalFree(wide);
    }
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The progress bar's class and the tooltips are registered here.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // The file dialog shows the shell's folders, which want COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exitCode = 0;
    {
        const std::unique_ptr<WizardDriver> driver = CreateWizardDriver(Arguments());
        exitCode = RunWizard(instance, *driver);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
