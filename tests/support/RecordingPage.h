#pragma once
// A progress page that records what the engine reported: every area and
// status text, the percent at every bar update, the steps and the messages.

#include <mutex>
#include <string>
#include <vector>

#include "engine/ProgressPage.h"
#include "platform/Prompter.h"

class RecordingPage final : public ProgressPage {
public:
    // The run's message boxes go to `prompter`, when given, in their order
    // among the others.
    explicit RecordingPage(Prompter* prompter = nullptr) : m_prompter(prompter) {}

    void OnProgress(const ProgressEvent& event) override;
    void ShowMessage(const std::string& text, const DeviceFailure* failure) override;

    std::vector<std::string> AreaTexts() const;
    std::vector<std::string> StatusTexts() const;
    std::vector<int> Percents() const;  // the percent of each Percent report
    std::vector<ProgressEvent> Events() const;
    std::string LastStatus() const;
    std::string LastArea() const;
    std::vector<UpdatePhase> Phases() const;
    // The failures the message boxes were shown with (where one was known).
    std::vector<DeviceFailure> MessageFailures() const;

private:
    Prompter* const m_prompter;
    mutable std::mutex m_mutex;
    std::vector<DeviceFailure> m_messageFailures;
    std::vector<std::string> m_areaTexts;
    std::vector<std::string> m_statusTexts;
    std::vector<int> m_percents;
    std::vector<UpdatePhase> m_phases;
    std::vector<ProgressEvent> m_events;
};
