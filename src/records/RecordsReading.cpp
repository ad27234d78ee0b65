#include "records/RecordsReading.h"

#include <cerrno>
#include <system_error>

#include "platform/RegularFile.h"
#include "records/RecordLine.h"

namespace {

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

RecordsFileContents ParseRecordsText(std::string_view text)
{
    RecordsFileContents contents;
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (end == std::string_view::npos) {
            if (!IsBlank(line))
                contents.warnings.push_back({number, "partly written (no line break at the end), skipped"});
            break;
        }
        if (IsBlank(line))
            continue;
        std::string error;
        if (std::optional<DeviceRecord> record = DecodeRecordLine(line, &error))
            contents.records.push_back(std::move(*record));
        else
            contents.warnings.push_back({number, "not a record (" + error + "), skipped"});
    }
    return contents;
}

RecordsFileContents ReadRecordsFile(const std::string& path)
{
    RegularFile file(path);
    if (!file.IsOpen()) {
        RecordsFileContents none;
        if (file.OpenError() == 0)
            none.error = "cannot read " + path + ": not a regular file";
        else if (file.OpenError() != ENOENT)
            none.error = "cannot read " + path + ": " + std::generic_category().message(file.OpenError());
        return none;
    }
    const int64_t length = file.Length();
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    const ssize_t got = file.Read(reinterpret_cast<uint8_t*>(text.data()), text.size());
    if (got < 0) {
        RecordsFileContents none;
        none.error = "cannot read " + path + ": read error";
        return none;
    }
    // A record appended since the length was taken is left for the next reading.
    text.resize(static_cast<size_t>(got));
    return ParseRecordsText(text);
}

std::string RecordWarningText(const std::string& path, const RecordWarning& warning)
{
    return path + " line " + std::to_string(warning.line) + ": " + warning.problem;
}
