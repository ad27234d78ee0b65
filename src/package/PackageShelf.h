#pragma once
// The packages of one run that updates devices side by side: each package
// file is loaded once, when the first device of its kind asks for it, and
// shared by every device of that kind. Many workers ask at once.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "package/LoadPackage.h"
#include "platform/Clock.h"

class PackageShelf {
public:
    // `clock` (which seeds each package's map block) must outlive the shelf.
    PackageShelf(PackagePlaces places, Clock& clock);

    // The load of the package for devices whose release text is
    // `releaseText` (empty: generic), made on the first call for it.
    PackageLoad For(const std::string& releaseText);

private:
    const PackagePlaces m_places;
    Clock& m_clock;
    std::mutex m_mutex;
    std::map<std::string, PackageLoad> m_loads;
};
