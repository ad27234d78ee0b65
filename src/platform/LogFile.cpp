#include "platform/LogFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Environment.h"
#include "platform/LogText.h"
#include "platform/StateFolder.h"
#include "platform/SystemPath.h"

namespace {

std::string CurrentTimeStamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return LogTimeStamp(system_clock::to_time_t(now), static_cast<int>(ms));
}

} // namespace

std::string DefaultLogPath()
{
    return StateFilePath(EnvironmentVariable, "kt7-updater.log");
}

void RotateLogFiles(const std::string& path, int keep)
{
    std::error_code ignored;
    const auto numbered = [&](int i) { return PathFromUtf8(i == 0 ? path : path + "." + std::to_string(i)); };
    std::filesystem::remove(numbered(keep - 1), ignored);
    for (int i = keep - 2; i >= 0; --i)
        std::filesystem::rename(numbered(i), numbered(i + 1), ignored);
}

LogFileDiagnostics::LogFileDiagnostics(const std::string& path, std::FILE* echo, LogStart start) : m_echo(echo)
{
    std::string reason = "no home folder";
    if (!path.empty()) {
        std::error_code error;
        std::filesystem::create_directories(PathFromUtf8(path).parent_path(), error);
        if (start == LogStart::NewRun)
            RotateLogFiles(path, kKeptLogFiles);
        m_file = OpenFile(path, start == LogStart::NewRun ? "wbe" : "abe");
        if (m_file)
            m_path = path;
        else
            reason = std::strerror(errno);
    }
    if (!m_file && m_echo)
        std::fprintf(m_echo, "no log file (%s: %s); diagnostics are shown here only\n",
                     path.empty() ? "kt7-updater.log" : path.c_str(), reason.c_str());
}

LogFileDiagnostics::~LogFileDiagnostics()
{
    std::lock_guard lock(m_mutex);
    if (!m_pending.empty())
        WriteLineLocked(m_pending);
    if (m_file)
        std::fclose(m_file);
}

void LogFileDiagnostics::Write(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    for (;;) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            break;
        m_pending.append(text.substr(0, end));
        WriteLineLocked(m_pending);
        m_pending.clear();
        text.remove_prefix(end + 1);
    }
    m_pending.append(text);
}

bool LogFileDiagnostics::HoldsErrors() const
{
    std::lock_guard lock(m_mutex);
    return m_errorWritten && m_file;
}

void LogFileDiagnostics::WriteLineLocked(std::string_view line)
{
    // Blank lines only space out a terminal; in a time-stamped log they are noise.
    if (line.empty())
        return;
    m_errorWritten = m_errorWritten || line.starts_with("ERROR");
    const std::string text = CurrentTimeStamp() + " " + EscapeLogText(line) + "\n";
    if (m_file) {
        std::fwrite(text.data(), 1, text.size(), m_file);
        std::fflush(m_file);
    }
    if (m_echo) {
        std::fwrite(text.data(), 1, text.size(), m_echo);
        std::fflush(m_echo);
    }
}
