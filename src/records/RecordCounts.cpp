#include "records/RecordCounts.h"

#include <algorithm>
#include <map>

#include "records/RecordTexts.h"
#include "texts/UserTexts.h"

namespace {

int ResultRank(const std::string& result)
{
    if (result == kResultSuccess)
        return 0;
    if (result == kResultFailed)
        return 1;
    if (result == kResultStopped)
        return 2;
    return 3;
}

void Add(std::vector<ResultCount>* counts, const std::string& result)
{
    for (ResultCount& count : *counts) {
        if (count.result == result) {
            ++count.count;
            return;
        }
    }
    counts->push_back({result, 1});
}

void SortResults(std::vector<ResultCount>* counts)
{
    std::sort(counts->begin(), counts->end(), [](const ResultCount& a, const ResultCount& b) {
        const int rankA = ResultRank(a.result), rankB = ResultRank(b.result);
        return rankA != rankB ? rankA < rankB : a.result < b.result;
    });
}

std::string CountsLine(int total, const std::vector<ResultCount>& results)
{
    std::string line = RecordTotalText(total);
    for (size_t i = 0; i < results.size(); ++i)
        line += (i ? "，" : "") + RecordCountText(ResultLabel(results[i].result), results[i].count);
    return line + "\n";
}

}  // namespace

RecordCounts CountRecords(const std::vector<DeviceRecord>& records)
{
    RecordCounts counts;
    std::map<CivilDate, DayCounts> days;
    for (const DeviceRecord& record : records) {
        ++counts.total;
        Add(&counts.results, record.result);
        DayCounts& day = days[RecordLocalTime(record).date];
        day.date = RecordLocalTime(record).date;
        ++day.total;
        Add(&day.results, record.result);
    }
    SortResults(&counts.results);
    for (auto& [date, day] : days) {
        SortResults(&day.results);
        counts.days.push_back(std::move(day));
    }
    return counts;
}

std::string RecordCountsText(const RecordCounts& counts)
{
    if (counts.total == 0)
        return {};
    std::string text = CountsLine(counts.total, counts.results);
    for (const DayCounts& day : counts.days)
        text += DateText(day.date) + "  " + CountsLine(day.total, day.results);
    return text;
}
