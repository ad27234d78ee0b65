#include "backends/BackendSelection.h"

#include "backends/HidapiBackend.h"
#include "platform/Environment.h"
#include "platform/UpdateLock.h"
#include "sim/SimConfig.h"
#include "sim/SimulatedBackend.h"

std::unique_ptr<HidBackend> CreateHidBackend(Clock& clock, DiagnosticsSink& log, std::string* error)
{
    const std::optional<std::string> simulate = EnvironmentVariable(kSimulateVariable);
    if (!simulate)
        return std::make_unique<HidapiBackend>(log);

    SimConfig config;
    if (!ParseSimConfig(*simulate, &config, error))
        return nullptr;
    auto backend = std::make_unique<SimulatedBackend>(config, clock);
    // A flash image that can't be used would silently start from an erased
    // device, and files that can't be written would lose the run's result;
    // refuse instead, so nothing runs on the wrong assumption.
    if (!backend->StartError().empty()) {
        if (error)
            *error = std::string(kSimulateVariable) + ": " + backend->StartError();
        return nullptr;
    }
    return backend;
}

bool SimulatedDevicesInUse()
{
    return EnvironmentVariable(kSimulateVariable).has_value();
}

bool FinishHidBackend(HidBackend& backend, std::string* error)
{
    auto* simulated = dynamic_cast<SimulatedBackend*>(&backend);
    std::string reason;
    if (!simulated || simulated->Finish(&reason))
        return true;
    if (error)
        *error = std::string(kSimulateVariable) + ": could not save the simulated devices' files: " + reason;
    return false;
}

int ExitCodeAfterFinish(int runExitCode, bool finished)
{
    return finished || runExitCode != 0 ? runExitCode : kExitSimulationNotSaved;
}

std::string UpdateLockPath()
{
    const std::optional<std::string> simulate = EnvironmentVariable(kSimulateVariable);
    if (!simulate)
        return MachineUpdateLockPath();
    SimConfig config;
    std::string error;  // bad settings have been refused by CreateHidBackend
    if (!ParseSimConfig(*simulate, &config, &error) || config.flashDir.empty())
        return "";
    return config.flashDir + "/kt7-update.lock";
}
