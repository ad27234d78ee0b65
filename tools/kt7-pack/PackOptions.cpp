#include "PackOptions.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>

#include "platform/RegularFile.h"

const char kPackUsage[] =
    "usage: kt7-pack --out FILE [--main FILE@ADDR] [--voice FILE@ADDR] [--map FILE@ADDR]\n"
    "                [--main-version V] [--voice-version V] [--map-version V]\n"
    "                [--time TEXT] [--map-scramble N] [--magic TEXT] [--seed N]\n"
    "\n"
    "Builds an update package: a 1024-byte key block followed by the scrambled\n"
    "payload (128-byte header, then the main program, voice and map areas, each\n"
    "padded with 0xFF to a multiple of 256 bytes). The check bytes are computed\n"
    "the way the update verifies them.\n"
    "\n"
    "  --out FILE            the package file to write (required)\n"
    "  --main FILE@ADDR      main program image and its flash address (e.g. 0x40010000)\n"
    "  --voice FILE@ADDR     voice data image and its flash address\n"
    "  --map FILE@ADDR       map data image and its flash address\n"
    "  --main-version V      version text of the main program, at most 4 bytes\n"
    "  --voice-version V     version text of the voice data, at most 4 bytes\n"
    "  --map-version V       version text of the map data, at most 4 bytes\n"
    "  --time TEXT           update time shown in the summary, at most 10 bytes\n"
    "  --map-scramble N      leading map bytes scrambled in the map image (default 0)\n"
    "  --magic TEXT          package magic, at most 8 bytes (default KT7USBZL)\n"
    "  --seed N              make the key block from seed N instead of at random\n"
    "  --help                show this text\n"
    "\n"
    "Numbers are decimal or 0x-prefixed hexadecimal. Areas start on a 256-byte\n"
    "page at 0x40010000 or above, in the order main, voice, map, each in flash\n"
    "sectors (4096 bytes) of its own. On success it prints the file's size,\n"
    "its SHA-256 and where each area goes.\n"
    "\n"
    "Exit code 0 on success, 1 when the updater would refuse the package or it\n"
    "cannot be written (nothing is written then), 2 on a bad command line.\n";

namespace {

std::optional<uint32_t> ParseNumber(const std::string& text)
{
    int base = 10;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    uint32_t value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value, base);
    if (begin == end || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes)
{
    RegularFile file(path);
    int64_t length = file.Length();
    if (length < 0)
        return false;
    bytes->resize(static_cast<size_t>(length));
    return file.Read(bytes->data(), bytes->size()) == static_cast<ssize_t>(bytes->size());
}

bool ParseArea(const std::string& option, const std::string& value, std::optional<PackageArea>* area,
               std::string* error)
{
    size_t at = value.rfind('@');
    if (at == std::string::npos || at == 0) {
        *error = option + " wants FILE@ADDR, got '" + value + "'";
        return false;
    }
    std::string path = value.substr(0, at);
    std::optional<uint32_t> address = ParseNumber(value.substr(at + 1));
    if (!address) {
        *error = option + ": bad flash address '" + value.substr(at + 1) + "'";
        return false;
    }
    PackageArea result;
    result.address = *address;
    if (!ReadWholeFile(path, &result.data)) {
        *error = option + ": cannot read '" + path + "'";
        return false;
    }
    *area = std::move(result);
    return true;
}

bool CheckTextLength(const std::string& option, const std::string& value, size_t limit, std::string* error)
{
    if (value.size() <= limit)
        return true;
    *error = option + ": '" + value + "' is longer than " + std::to_string(limit) + " bytes";
    return false;
}

uint64_t PaddedSize(const std::optional<PackageArea>& area)
{
    constexpr uint64_t kPage = 256;
    return area ? (area->data.size() + kPage - 1) / kPage * kPage : 0;
}

} // namespace

bool ParsePackOptions(const std::vector<std::string>& args, PackOptions* options, std::string* error)
{
    std::map<std::string, std::string> versions;
    std::optional<uint32_t> seed;
    PackageSpec& contents = options->contents;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            options->help = true;
            return true;
        }
        if (option.rfind("--", 0) != 0) {
            *error = "unexpected argument '" + option + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = option + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (option == "--out") {
            options->outPath = value;
        } else if (option == "--main") {
            if (!ParseArea(option, value, &contents.main, error))
                return false;
        } else if (option == "--voice") {
            if (!ParseArea(option, value, &contents.voice, error))
                return false;
        } else if (option == "--map") {
            if (!ParseArea(option, value, &contents.map, error))
                return false;
        } else if (option == "--main-version" || option == "--voice-version" || option == "--map-version") {
            if (!CheckTextLength(option, value, 4, error))
                return false;
            versions[option] = value;
        } else if (option == "--time") {
            if (!CheckTextLength(option, value, sizeof(PackageHeader::updateTime), error))
                return false;
            contents.updateTime = value;
        } else if (option == "--magic") {
            if (!CheckTextLength(option, value, sizeof(PackageHeader::magic), error))
                return false;
            contents.magic = value;
        } else if (option == "--map-scramble" || option == "--seed") {
            std::optional<uint32_t> number = ParseNumber(value);
            if (!number) {
                *error = option + ": bad number '" + value + "'";
                return false;
            }
            if (option == "--seed")
                seed = number;
            else
                contents.mapScrambleLength = *number;
        } else {
            *error = "unknown option '" + option + "'";
            return false;
        }
    }

    if (options->outPath.empty()) {
        *error = "--out FILE is required";
        return false;
    }
    if (!contents.main && !contents.voice && !contents.map) {
        *error = "no area given: name at least the main program, --main FILE@ADDR";
        return false;
    }
    const std::pair<const char*, std::optional<PackageArea>*> areas[] = {
        {"--main-version", &contents.main}, {"--voice-version", &contents.voice}, {"--map-version", &contents.map}};
    for (const auto& [option, area] : areas) {
        auto version = versions.find(option);
        if (version == versions.end())
            continue;
        if (!*area) {
            *error = std::string(option) + " given without its area";
            return false;
        }
        (*area)->version = version->second;
    }
    uint64_t fileLength = kKeyBlockSize + kPackageHeaderSize + PaddedSize(contents.main) + PaddedSize(contents.voice) +
                          PaddedSize(contents.map);
    if (fileLength > kMaxPackageFileLength) {
        *error = "the package would be " + std::to_string(fileLength) + " bytes, more than the limit of " +
                 std::to_string(kMaxPackageFileLength);
        return false;
    }
    if (seed)
        contents.keyBlock = MakeKeyBlock(*seed);
    return true;
}
