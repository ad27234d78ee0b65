#pragma once
// The log of one run: every diagnostic line, time-stamped and escaped, in a
// file under the user's state folder; the earlier runs' logs are kept beside
// it (kt7-updater.log.1 is the run before, and so on). Optionally each line
// is echoed to a stream as well (-v).

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Diagnostics.h"

inline constexpr int kKeptLogFiles = 5;  // this run's log and four before it

// kt7-updater.log in the user's state folder (see StateFilePath); empty when
// there is none.
std::string DefaultLogPath();

// Shifts path -> path.1 -> ... -> path.<keep-1>, dropping the oldest.
void RotateLogFiles(const std::string& path, int keep);

// An update starts a log of its own; a question (list, info) adds its lines
// to the log of the last update, so that the update's lines stay in place.
enum class LogStart { NewRun, Append };

class LogFileDiagnostics final : public DiagnosticsSink {
public:
    // Starts the log at `path` (its folder is made when missing), rotating
    // the earlier ones for a new run. When `path` is empty or cannot be
    // written, the run goes on without a log; `echo`, when given, is told so
    // once.
    LogFileDiagnostics(const std::string& path, std::FILE* echo, LogStart start = LogStart::NewRun);
    ~LogFileDiagnostics() override;
    LogFileDiagnostics(const LogFileDiagnostics&) = delete;
    LogFileDiagnostics& operator=(const LogFileDiagnostics&) = delete;

    // Text may hold several lines or part of one; a line is written when its
    // newline arrives (an unfinished one at the end of the run).
    void Write(std::string_view text) override;

    // The log file in use, empty when there is none.
    const std::string& Path() const { return m_path; }
    std::string LogPath() const override { return m_path; }
    bool HoldsErrors() const override;

private:
    void WriteLineLocked(std::string_view line);

    mutable std::mutex m_mutex;
    std::string m_path;
    std::FILE* m_file = nullptr;
    std::FILE* m_echo = nullptr;
    std::string m_pending;
    bool m_errorWritten = false;
};
