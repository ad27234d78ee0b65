#pragma once
// The platform services the core calls, installed once by a front end or per
// test. Defaults: no HID devices, the steady clock, message boxes as lines on
// standard error, and no diagnostics.

#include "platform/Clock.h"
#include "platform/Diagnostics.h"
#include "platform/HidBackend.h"
#include "platform/Prompter.h"

struct Services {
    HidBackend* hid = nullptr;
    Clock* clock = nullptr;
    Prompter* prompter = nullptr;
    DiagnosticsSink* diagnostics = nullptr;
};

Services& CurrentServices();

inline HidBackend& GetHidBackend() { return *CurrentServices().hid; }
inline Clock& GetClock() { return *CurrentServices().clock; }
inline Prompter& GetPrompter() { return *CurrentServices().prompter; }
inline DiagnosticsSink& GetDiagnostics() { return *CurrentServices().diagnostics; }

// Installs the given services (null members keep the current ones) and puts
// the previous ones back when it goes out of scope.
class ScopedServices {
public:
    explicit ScopedServices(const Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services m_saved;
};

// Gives the calling thread services of its own (null members: those current
// when it starts) until it goes out of scope; other threads keep theirs. The
// workers of a parallel run each see only their own device this way.
class ScopedThreadServices {
public:
    explicit ScopedThreadServices(const Services& services);
    ~ScopedThreadServices();
    ScopedThreadServices(const ScopedThreadServices&) = delete;
    ScopedThreadServices& operator=(const ScopedThreadServices&) = delete;

private:
    Services m_services;
    Services* m_saved;
};
