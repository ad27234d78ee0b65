#include "package/PackageShelf.h"

PackageShelf::PackageShelf(PackagePlaces places, Clock& clock) : m_places(std::move(places)), m_clock(clock) {}

PackageLoad PackageShelf::For(const std::string& releaseText)
{
    // Loading under the lock: a second device of the kind waits for the
    // first one's load instead of reading the file again.
    std::lock_guard lock(m_mutex);
    auto found = m_loads.find(releaseText);
    if (found == m_loads.end())
        found = m_loads.emplace(releaseText, LoadPackage(m_places, releaseText, m_clock.TickCount())).first;
    return found->second;
}
