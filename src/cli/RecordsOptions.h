#pragma once
// Where kt7-flash keeps the records of its device updates, from its options.

#include <mutex>
#include <string>
#include <utility>

#include "cli/Options.h"
#include "wizard/WizardSetup.h"

// The records file: --records FILE, else the default one (empty when the
// system gives it no place: neither XDG_STATE_HOME nor HOME is set, or no
// LOCALAPPDATA on Windows).
std::string RecordsFileOf(const CliOptions& options);

struct CliRecords {
    RecordsSettings settings;  // the path is empty with --no-records, or when there is no place
    // Said once when records are wanted but have no place; else empty.
    std::string warning;
};

// The records an update keeps: none with --no-records; the bench named with
// --station, else the computer's name.
CliRecords RecordsOf(const CliOptions& options);

// A run says once that a record could not be kept, however many of its
// devices' records failed: the first caller with a warning gets to say it.
class RecordsWarningOnce {
public:
    // True when `warning` is not empty and none was said before.
    bool First(const std::string& warning)
    {
        if (warning.empty())
            return false;
        std::lock_guard lock(m_mutex);
        return !std::exchange(m_said, true);
    }

private:
    std::mutex m_mutex;
    bool m_said = false;
};
