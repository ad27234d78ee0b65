#pragma once
// What a watch does with the devices it sees, by location: start a device
// that has come, leave alone one that is being updated or has finished, and
// forget a finished one once it has been unplugged, so that the next device
// plugged in there is updated again. A device being updated may vanish from
// the listings for a while (it resets during its update): that is not a new
// device. No threads, no I/O.

#include <map>
#include <string>
#include <vector>

class WatchPlan {
public:
    // One listing of the devices present. Returns the locations to start now,
    // in the listing's order, and counts them as being updated.
    std::vector<std::string> Listed(const std::vector<std::string>& present);
    // The update at `location` is over, whatever its result.
    void Finished(const std::string& location);

    int InProgress() const;

private:
    enum class State { Updating, Finished };
    std::map<std::string, State> m_known;
};
