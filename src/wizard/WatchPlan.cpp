#include "wizard/WatchPlan.h"

#include <algorithm>

std::vector<std::string> WatchPlan::Listed(const std::vector<std::string>& present)
{
    for (auto it = m_known.begin(); it != m_known.end();) {
        const bool gone = std::find(present.begin(), present.end(), it->first) == present.end();
        if (it->second == State::Finished && gone)
            it = m_known.erase(it);
        else
            ++it;
    }
    std::vector<std::string> start;
    for (const std::string& location : present) {
        if (m_known.contains(location))
            continue;
        m_known[location] = State::Updating;
        start.push_back(location);
    }
    return start;
}

void WatchPlan::Finished(const std::string& location)
{
    auto it = m_known.find(location);
    if (it != m_known.end())
        it->second = State::Finished;
}

int WatchPlan::InProgress() const
{
    return static_cast<int>(std::count_if(m_known.begin(), m_known.end(),
                                          [](const auto& entry) { return entry.second == State::Updating; }));
}
