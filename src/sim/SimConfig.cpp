#include "sim/SimConfig.h"

#include <algorithm>
#include <limits>

#include "platform/FlashGeometry.h"

namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value)
{
    if (text.empty() || text.size() > 20)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (result > (max - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

bool ParseHex16(std::string text, uint16_t* value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    if (text.empty() || text.size() > 4)
        return false;
    uint16_t result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = static_cast<uint16_t>(result << 4 | digit);
    }
    *value = result;
    return true;
}

// "I@K" with I a device index.
bool ParseReportFault(const std::string& text, SimReportFault* fault)
{
    size_t at = text.find('@');
    if (at == std::string::npos)
        return false;
    uint64_t device = 0;
    uint64_t after = 0;
    if (!ParseDecimal(text.substr(0, at), SimConfig::kMaxDevices - 1, &device) ||
        !ParseDecimal(text.substr(at + 1), std::numeric_limits<uint64_t>::max(), &after))
        return false;
    fault->device = static_cast<int>(device);
    fault->afterReports = after;
    return true;
}

std::string BadValue(const std::string& key, const std::string& value, const char* expected)
{
    return "KT7_SIMULATE: bad value for " + key + ": '" + value + "' (expected " + expected + ")";
}

bool ApplyItem(const std::string& key, const std::string& value, SimConfig* config, std::string* error)
{
    uint64_t number = 0;
    if (key == "devices") {
        if (!ParseDecimal(value, SimConfig::kMaxDevices, &number)) {
            *error = BadValue(key, value, "a count from 0 to 64");
            return false;
        }
        config->devices = static_cast<int>(number);
    } else if (key == "others") {
        if (!ParseDecimal(value, SimConfig::kMaxOthers, &number)) {
            *error = BadValue(key, value, "a count from 0 to 64");
            return false;
        }
        config->others = static_cast<int>(number);
    } else if (key == "release") {
        std::vector<uint16_t> releases;
        for (const std::string& part : Split(value, ',')) {
            uint16_t release = 0;
            if (!ParseHex16(Trim(part), &release)) {
                *error = BadValue(key, value, "hexadecimal release numbers of 1 to 4 digits, comma-separated");
                return false;
            }
            releases.push_back(release);
        }
        config->releases = std::move(releases);
    } else if (key == "version") {
        if (value.size() > SimConfig::kMaxVersionText) {
            *error = BadValue(key, value, "a text of at most 64 bytes");
            return false;
        }
        config->versionText = value;
    } else if (key == "timing") {
        if (value == "instant") {
            config->timing = SimTiming::Instant;
        } else if (value == "usb") {
            config->timing = SimTiming::Usb;
        } else {
            *error = BadValue(key, value, "instant or usb");
            return false;
        }
    } else if (key == "reattach") {
        if (!ParseDecimal(value, 3600000, &number)) {
            *error = BadValue(key, value, "milliseconds from 0 to 3600000");
            return false;
        }
        config->reattachMs = static_cast<uint32_t>(number);
    } else if (key == "arrive") {
        std::vector<uint32_t> arrivals;
        for (const std::string& part : Split(value, ',')) {
            if (!ParseDecimal(Trim(part), 86400000, &number)) {
                *error = BadValue(key, value, "milliseconds from 0 to 86400000, comma-separated");
                return false;
            }
            arrivals.push_back(static_cast<uint32_t>(number));
        }
        config->arriveMs = std::move(arrivals);
    } else if (key == "flash" || key == "trace") {
        if (value.empty()) {
            *error = BadValue(key, value, key == "flash" ? "a directory" : "a file name");
            return false;
        }
        (key == "flash" ? config->flashDir : config->traceFile) = value;
    } else if (key == "serial") {
        std::vector<std::string> serials;
        for (const std::string& part : Split(value, ',')) {
            const std::string serial = Trim(part);
            if (serial.size() > SimConfig::kMaxSerialText) {
                *error = BadValue(key, value, "serial numbers of at most 32 bytes, comma-separated");
                return false;
            }
            serials.push_back(serial);
        }
        config->serials = std::move(serials);
    } else if (key == "unplug" || key == "stall" || key == "drop") {
        std::vector<SimReportFault>& faults =
            key == "unplug" ? config->unplug : key == "stall" ? config->stall : config->drop;
        for (const std::string& part : Split(value, ',')) {
            SimReportFault fault;
            if (!ParseReportFault(Trim(part), &fault)) {
                *error = BadValue(key, value, "DEVICE@REPORTS, comma-separated");
                return false;
            }
            faults.push_back(fault);
        }
    } else if (key == "badpage" || key == "corrupt") {
        std::vector<SimBadPage>& pages = key == "badpage" ? config->badPages : config->corruptPages;
        for (const std::string& part : Split(value, ',')) {
            SimReportFault parsed;
            if (!ParseReportFault(Trim(part), &parsed) || parsed.afterReports >= kPageCount) {
                *error = BadValue(key, value, "DEVICE@PAGE, comma-separated, pages 0 to 32767");
                return false;
            }
            pages.push_back({parsed.device, static_cast<uint32_t>(parsed.afterReports)});
        }
    } else if (key == "noreattach") {
        for (const std::string& part : Split(value, ',')) {
            if (!ParseDecimal(Trim(part), SimConfig::kMaxDevices - 1, &number)) {
                *error = BadValue(key, value, "device indices, comma-separated");
                return false;
            }
            config->noReattach.push_back(static_cast<int>(number));
        }
    } else {
        *error = "KT7_SIMULATE: unknown key '" + key + "'";
        return false;
    }
    return true;
}

// A fault for a device that does not exist is a typing error, not a no-op.
bool CheckDeviceIndices(const SimConfig& config, std::string* error)
{
    auto check = [&](const char* key, int device) {
        if (device < config.devices)
            return true;
        *error = std::string("KT7_SIMULATE: bad value for ") + key + ": device " + std::to_string(device) +
                 " does not exist (devices=" + std::to_string(config.devices) + ")";
        return false;
    };
    if (!config.arriveMs.empty() && !check("arrive", static_cast<int>(config.arriveMs.size()) - 1))
        return false;
    for (const SimReportFault& fault : config.unplug)
        if (!check("unplug", fault.device))
            return false;
    for (const SimReportFault& fault : config.stall)
        if (!check("stall", fault.device))
            return false;
    for (const SimReportFault& fault : config.drop)
        if (!check("drop", fault.device))
            return false;
    if (!config.serials.empty() && !check("serial", static_cast<int>(config.serials.size()) - 1))
        return false;
    for (int device : config.noReattach)
        if (!check("noreattach", device))
            return false;
    for (const SimBadPage& bad : config.badPages)
        if (!check("badpage", bad.device))
            return false;
    for (const SimBadPage& corrupt : config.corruptPages)
        if (!check("corrupt", corrupt.device))
            return false;
    return true;
}

}  // namespace

std::string SimConfig::SerialOf(int device) const
{
    return device >= 0 && static_cast<size_t>(device) < serials.size() ? serials[static_cast<size_t>(device)]
                                                                        : std::string();
}

uint16_t SimConfig::ReleaseOf(int device) const
{
    if (releases.empty())
        return 0x5512;
    size_t index = std::min(static_cast<size_t>(device < 0 ? 0 : device), releases.size() - 1);
    return releases[index];
}

bool ParseSimConfig(const std::string& text, SimConfig* config, std::string* error)
{
    SimConfig parsed;
    std::string message;
    for (const std::string& rawItem : Split(text, ';')) {
        std::string item = Trim(rawItem);
        if (item.empty())
            continue;
        size_t equals = item.find('=');
        if (equals == std::string::npos) {
            message = "KT7_SIMULATE: '" + item + "' is not key=value";
            break;
        }
        if (!ApplyItem(Trim(item.substr(0, equals)), Trim(item.substr(equals + 1)), &parsed, &message))
            break;
    }
    if (message.empty())
        CheckDeviceIndices(parsed, &message);
    if (!message.empty()) {
        if (error)
            *error = message;
        return false;
    }
    *config = std::move(parsed);
    return true;
}
