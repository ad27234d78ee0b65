// kt7-updater: the update wizard. With KT7_SIMULATE set it works against
// simulated devices instead of real ones.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <string>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "platform/Clock.h"
#include "platform/InterruptGuard.h"
#include "platform/Services.h"

int main(int argc, char** argv)
{
    IgnoreBrokenPipe();
    QApplication application(argc, argv);
    QApplication::setFont(DialogFont());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kt7/icon.png")));

    GuiPrompter prompter;
    SteadyClock clock;
    std::string error;
    std::unique_ptr<HidBackend> backend = CreateHidBackend(clock, &error);
    if (!backend) {
        std::fprintf(stderr, "kt7-updater: %s\n", error.c_str());
        prompter.ShowMessage(error);
        return 2;
    }
    Services services;
    services.hid = backend.get();
    services.clock = &clock;
    services.prompter = &prompter;
    ScopedServices installed(services);

    CVornelApp app;
    app.SetUpdateLockPath(UpdateLockPath());
    return app.InitInstance();
}
