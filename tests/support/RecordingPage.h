#pragma once
// A progress page that records what the engine did to it: every area and
// status text, the percent at every bar update, the steps, and the done flag.

#include <mutex>
#include <string>
#include <vector>

#include "engine/ProgressPage.h"

class RecordingPage final : public ProgressPage {
public:
    void SetAreaText(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void PostProgressUpdate() override;
    void EnterPhase(UpdatePhase phase) override;

    std::vector<std::string> AreaTexts() const;
    std::vector<std::string> StatusTexts() const;
    std::vector<int> Percents() const;  // m_nPos at each PostProgressUpdate
    std::string LastStatus() const;
    std::string LastArea() const;
    std::vector<UpdatePhase> Phases() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_areaTexts;
    std::vector<std::string> m_statusTexts;
    std::vector<int> m_percents;
    std::vector<UpdatePhase> m_phases;
};
