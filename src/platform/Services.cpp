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

thread_local Services* t_threadServices = nullptr;

} // namespace

Services& CurrentServices()
{
    if (t_threadServices)
        return *t_threadServices;
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

ScopedThreadServices::ScopedThreadServices(const Services& services)
    : m_services(CurrentServices()), m_saved(t_threadServices)
{
    if (services.hid) m_services.hid = services.hid;
    if (services.clock) m_services.clock = services.clock;
    if (services.prompter) m_services.prompter = services.prompter;
    if (services.diagnostics) m_services.diagnostics = services.diagnostics;
    t_threadServices = &m_services;
}

ScopedThreadServices::~ScopedThreadServices()
{
    t_threadServices = m_saved;
}
