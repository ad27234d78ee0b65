#pragma once
// Everything one update of one device set keeps while it runs: what it knows
// of its devices, the package it loaded for them and its progress. The
// workers of a parallel update each own one and bind it to their thread.

#include "engine/ProgressState.h"
#include "hid/DeviceState.h"
#include "package/Package.h"
#include "platform/RunBinding.h"

struct UpdateSession {
    DeviceState device;
    PackageState package;
    ProgressState progress;
};

// Binds a session to the calling thread for the length of the scope.
class ScopedThreadSession {
public:
    explicit ScopedThreadSession(UpdateSession& session)
        : m_device(session.device), m_package(session.package), m_progress(session.progress)
    {
    }

private:
    RunBinding<DeviceState>::ForThread m_device;
    RunBinding<PackageState>::ForThread m_package;
    RunBinding<ProgressState>::ForThread m_progress;
};
