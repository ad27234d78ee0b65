#pragma once
// Diagnostic lines in English ("ERROR: Write fail!\n" and the like). They
// never go to standard output, which carries what the user asked for: the
// front ends write them to the run's log (LogFile.h), tests capture them.

#include <mutex>
#include <string>
#include <string_view>

class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;
    virtual void Write(std::string_view text) = 0;
    // The file the lines go to, for a failure message to point at; empty
    // when they are kept nowhere a user could look.
    virtual std::string LogPath() const { return {}; }
};

// Drops every line: the default until a front end installs its log.
class NullDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view) override {}
};

class CapturingDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view text) override;
    std::string Text() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

// printf-style line to the current diagnostics sink.
void DiagPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
