#pragma once
// Message boxes with one OK button. The GUI shows them on its own thread and
// blocks the caller until closed; tests record the texts.

#include <mutex>
#include <string>
#include <vector>

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows `text` (UTF-8) and returns when the user has acknowledged it.
    virtual void ShowMessage(const std::string& text) = 0;
};

// Prints each message as a line on standard error: messages are not data.
class ConsolePrompter final : public Prompter {
public:
    void ShowMessage(const std::string& text) override;
};

class RecordingPrompter final : public Prompter {
public:
    void ShowMessage(const std::string& text) override;
    std::vector<std::string> Messages() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
};
