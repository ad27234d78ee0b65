#pragma once
// Everything one update of one device set keeps while it runs: what it knows
// of its devices, the package it loaded for them and its progress. A run owns
// one and binds it to each thread that works for it: a parallel update's
// workers each their own, a front end's thread and the worker it starts the
// same one.

#include "engine/ProgressState.h"
#include "hid/DeviceState.h"
#include "package/Package.h"
#include "platform/RunBinding.h"

struct UpdateSession {
    DeviceState device;
    PackageState package;
    ProgressState progress;
};

// The state the calling thread works on, so that a worker it starts carries
// on the same run.
struct BoundSession {
    DeviceState* device = &CurrentDeviceState();
    PackageState* package = &CurrentPackage();
    ProgressState* progress = &CurrentProgress();
};

// Binds a session to the calling thread for the length of the scope.
class ScopedThreadSession {
public:
    explicit ScopedThreadSession(UpdateSession& session)
        : m_device(session.device), m_package(session.package), m_progress(session.progress)
    {
    }
    explicit ScopedThreadSession(const BoundSession& session)
        : m_device(*session.device), m_package(*session.package), m_progress(*session.progress)
    {
    }

private:
    RunBinding<DeviceState>::ForThread m_device;
    RunBinding<PackageState>::ForThread m_package;
    RunBinding<ProgressState>::ForThread m_progress;
};
