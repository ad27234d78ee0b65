#pragma once
// Keeps two updates off the same devices: an exclusive flock on a lock file,
// held from the first presence check to the end command. The kernel drops it
// when the holder ends, even by a crash, so a stale file never blocks.

#include <string>

#include "platform/Diagnostics.h"

// The machine-wide lock file for real devices: in /run/lock when that folder
// is there and writable, else in the temporary folder.
std::string MachineUpdateLockPath();

class UpdateLock {
public:
    // Tries once, without waiting. An empty path takes no lock and counts as
    // held. A lock file that can't be opened at all is noted in the
    // log and counts as held too: refusing would block every update over a
    // folder's permissions.
    UpdateLock(const std::string& path, DiagnosticsSink& log);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

    // False when another process holds the lock.
    bool Held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
