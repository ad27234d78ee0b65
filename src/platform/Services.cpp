#include "platform/Services.h"

namespace {

Services MakeDefaults()
{
    static NoHidBackend hid;
    static SteadyClock clock;
    static ConsolePrompter prompter;
    static NullDiagnostics diagnostics;
    return Services{&hid, &clock, &prompter, &diagnostics};
}

} // namespace

Services& CurrentServices()
{
    static Services services = MakeDefaults();
    return services;
}

ScopedServices::ScopedServices(const Services& services) : m_saved(CurrentServices())
{
    Services& current = CurrentServices();
    if (services.hid) current.hid = services.hid;
    if (services.clock) current.clock = services.clock;
    if (services.prompter) current.prompter = services.prompter;
    if (services.diagnostics) current.diagnostics = services.diagnostics;
}

ScopedServices::~ScopedServices()
{
    CurrentServices() = m_saved;
}
