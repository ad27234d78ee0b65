#pragma once
// The progress page of the command line. On a terminal it keeps one line
// that it redraws in place (bar, percent, area and estimate), never wider than
// the terminal; otherwise it prints every status text as a line of its own.
// It writes to standard error: progress is not the data the user asked for.

#include <cstdio>
#include <mutex>
#include <string>

#include "wizard/UpdateWizard.h"
#include "platform/Prompter.h"
#include "texts/UserTexts.h"

class TerminalPage final : public DevicePhaseView {
public:
    TerminalPage(std::FILE* out, bool interactive);

    void OnProgress(const ProgressEvent& event) override;
    // The run's message boxes are lines of their own.
    void ShowMessage(const std::string& text) override { PrintLine(text); }

    // Prints a line of its own, keeping the progress line intact below it.
    void PrintLine(const std::string& text);
    // Ends the progress line, so that whatever follows starts on a new line.
    void Finish();

    std::string StatusText() const;
    // Shows a status text of its own (not the run's).
    void ShowStatus(const std::string& text) { SetStatusText(text); }

private:
    void SetAreaText(const std::string& text);
    void SetStatusText(const std::string& text);
    void ShowLocked(const std::string& text);
    void RedrawLocked();

    std::FILE* const m_out;
    const bool m_interactive;
    mutable std::mutex m_mutex;
    std::string m_area;
    std::string m_status;
    bool m_lineShown = false;
    int m_percent = 0;
    int m_shownPercent = -1;
};

// Message boxes of the update, printed as lines through the page.
class TerminalPrompter final : public Prompter {
public:
    explicit TerminalPrompter(TerminalPage& page) : m_page(page) {}
    void ShowMessage(const std::string& text) override { m_page.PrintLine(text); }

private:
    TerminalPage& m_page;
};
