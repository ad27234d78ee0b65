// kt7-updater [FILE|DIR]: the update wizard. FILE is the package to load, DIR
// a folder that holds it; without either it is looked for beside the program
// and then in the current folder. With KT7_SIMULATE set it works against
// simulated devices instead of real ones.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/DialogFont.h"
#include "app/GuiPrompter.h"
#include "app/VornelApp.h"
#include "backends/BackendSelection.h"
#include "package/Package.h"
#include "platform/Clock.h"
#include "platform/Services.h"

namespace {

constexpr int kExitUsage = 64;
constexpr char kUsage[] = "Usage: kt7-updater [FILE|DIR]\n";

// Takes the optional package argument left after Qt's own options; false on
// anything else, after saying what is wrong.
bool TakePackageArgument(const QStringList& arguments)
{
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "kt7-updater: unexpected argument %s\n%s", qPrintable(arguments.last()), kUsage);
        return false;
    }
    if (arguments.size() == 2)
        g_packageChoice = arguments[1].toStdString();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Before Qt starts, which needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    if (!TakePackageArgument(QApplication::arguments()))
        return kExitUsage;
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
    return app.InitInstance();
}
