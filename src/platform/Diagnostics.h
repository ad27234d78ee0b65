#pragma once
// Diagnostic lines in English ("ERROR: Write fail!\n" and the like). They
// never go to standard output, which carries what the user asked for: the
// front ends write them to the run's log (LogFile.h), tests capture them.

#include <mutex>
#include <string>
#include <string_view>

// True when `text` holds a line that starts with "ERROR".
bool HasErrorLine(std::string_view text);

class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;
    virtual void Write(std::string_view text) = 0;
    // The file the lines go to, for a failure message to point at; empty
    // when they are kept nowhere a user could look.
    virtual std::string LogPath() const { return {}; }
    // Whether an error line ("ERROR: ...") has been written since the sink
    // was made: a failure message points at the log only when it holds one.
    virtual bool HoldsErrors() const { return false; }
};

// Drops every line: for tools that keep no log.
class NullDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view) override {}
};

class CapturingDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view text) override;
    std::string Text() const;
    void Clear();
    bool HoldsErrors() const override { return HasErrorLine(Text()); }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

// printf-style text to `sink`.
void DiagPrintf(DiagnosticsSink& sink, const char* format, ...) __attribute__((format(printf, 2, 3)));

