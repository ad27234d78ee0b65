#pragma once
// The progress page and the message boxes of an update as --json lines: a
// phase line for every step, a progress line for every status text, a
// message line for every message box. Nothing is drawn.

#include <mutex>
#include <optional>
#include <string>

#include "cli/UpdateJson.h"
#include "wizard/UpdateWizard.h"
#include "platform/Prompter.h"

class JsonPage final : public DevicePhaseView {
public:
    explicit JsonPage(JsonDevice device) : m_device(std::move(device)) {}

    // A phase line for each step and a progress line for each status text;
    // percent steps come too often for a line each, the status steps carry it.
    void OnProgress(const ProgressEvent& event) override;
    void ShowMessage(const std::string& text) override { WriteMessage(m_device, text); }

private:
    const JsonDevice m_device;
};

class JsonPrompter final : public Prompter {
public:
    explicit JsonPrompter(JsonDevice device) : m_device(std::move(device)) {}
    void ShowMessage(const std::string& text) override { WriteMessage(m_device, text); }

private:
    const JsonDevice m_device;
};
