#pragma once
// Diagnostic lines in English ("ERROR: Write fail!\n" and the like). They go
// to standard output; tests capture them.

#include <mutex>
#include <string>
#include <string_view>

class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;
    virtual void Write(std::string_view text) = 0;
};

class StdoutDiagnostics final : public DiagnosticsSink {
public:
    void Write(std::string_view text) override;
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
