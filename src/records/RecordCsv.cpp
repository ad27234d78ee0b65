#include "records/RecordCsv.h"

#include <cstdio>

#include "records/RecordTexts.h"
#include "records/RecordTime.h"
#include "texts/UserTexts.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string Row(const std::vector<std::string>& fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i)
        row += (i ? "," : "") + CsvField(fields[i]);
    return row + "\r\n";
}

std::string LocalTimeText(const DeviceRecord& record)
{
    const CivilTime t = RecordLocalTime(record);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return DateText(t.date) + " " + text;
}

}  // namespace

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string RecordsCsv(const std::vector<DeviceRecord>& records)
{
    std::string csv = kByteOrderMark;
    csv += Row({kRecordTime, kRecordUtcTime, kRecordStation, kTableLocation, kTableSerial, kTableRelease,
                kTablePackage, kRecordSha256, kRecordFirmwareVersion, kRecordVoiceVersion, kRecordDataVersion,
                kRecordUpdateTime, kRecordVerify, kTableResult, kRecordExitCode, kRecordMessage,
                kRecordDurationMs, kTableAttempt});
    for (const DeviceRecord& r : records) {
        csv += Row({LocalTimeText(r), IsoUtcText(r.timeUtc), r.station, r.location, r.serial.value_or(""), r.release,
                    r.packageFile, r.packageSha256, r.firmwareVersion, r.voiceVersion, r.dataVersion, r.updateTime,
                    r.verify ? kYes : kNo, ResultLabel(r.result), std::to_string(r.exitCode), r.message,
                    std::to_string(r.durationMs), std::to_string(r.attempt)});
    }
    return csv;
}
