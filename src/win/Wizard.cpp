#include "win/Wizard.h"

#include "win/PageParts.h"

WizardStep Settle(HWND owner, WizardDriver& driver, WizardStep step)
{
    while (step.page != WizardPage::Progress) {
        for (const WizardMessage& message : step.messages)
            ShowWizardMessage(owner, message);
        step.messages.clear();
        if (step.page != WizardPage::FileDialog)
            break;
        const std::optional<std::string> file = AskForFile(owner, step.fileQuestion);
        step = file ? driver.ChooseFile(*file) : driver.Cancel();
    }
    return step;
}

int RunWizard(HINSTANCE instance, WizardDriver& driver)
{
    WizardStep step = Settle(nullptr, driver, driver.Start());
    std::optional<POINT> placedAt;
    if (step.page == WizardPage::Welcome)
        step = RunWelcomeDialog(instance, driver, step, &placedAt);
    if (step.page == WizardPage::Progress)
        return RunProgressDialog(instance, driver, step, placedAt);
    return step.exitCode;
}
