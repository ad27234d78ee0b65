#include "package/PackageWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "package/Descramble.h"
#include "package/PackageChecks.h"
#include "platform/FlashGeometry.h"
#include "platform/Random.h"
#include "platform/SystemPath.h"

namespace {

template <size_t N>
void SetText(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

// Appends an area to the payload and fills its header fields.
void PlaceArea(const PackageArea& area, bool padToPages, std::vector<uint8_t>& payload, uint32_t& offset,
               uint32_t& size, uint32_t& address, char (&version)[4])
{
    offset = static_cast<uint32_t>(payload.size());
    size = static_cast<uint32_t>(area.data.size());
    address = area.address;
    SetText(version, area.version);
    payload.insert(payload.end(), area.data.begin(), area.data.end());
    // Pages are counted after the header: the update wants (length - 128) in
    // whole pages.
    if (padToPages) {
        const size_t body = payload.size() - kPackageHeaderSize;
        payload.resize(kPackageHeaderSize + (body + kPageSize - 1) / kPageSize * kPageSize, 0xFF);
    }
}

// The update checks the address order even for absent areas, so an absent
// area gets an address that keeps main < voice < map inside the window.
void ChooseAbsentAddresses(PackageHeader& h, const PackageSpec& contents)
{
    if (!contents.main)
        h.mainAddress = kAreaWindowStart;
    if (!contents.map)
        h.mapAddress = kFlashEnd - kSectorSize;
    if (!contents.voice)
        h.voiceAddress = h.mainAddress + (h.mapAddress - h.mainAddress) / 2;
}

} // namespace

KeyBlock MakeKeyBlock(uint32_t seed)
{
    Random random(seed);
    KeyBlock key;
    for (auto& byte : key)
        byte = static_cast<uint8_t>(random.Next());
    return key;
}

std::vector<uint8_t> BuildPackagePayload(const PackageSpec& contents)
{
    std::vector<uint8_t> payload(kPackageHeaderSize, 0);
    PackageHeader h;
    SetText(h.magic, contents.magic);
    SetText(h.updateTime, contents.updateTime);
    h.mapScrambleLength = contents.mapScrambleLength;
    h.mainSize = h.voiceSize = h.mapSize = kAreaAbsent;

    if (contents.main)
        PlaceArea(*contents.main, contents.padAreasToPages, payload, h.mainOffset, h.mainSize, h.mainAddress,
                  h.firmwareVersion);
    if (contents.voice)
        PlaceArea(*contents.voice, contents.padAreasToPages, payload, h.voiceOffset, h.voiceSize, h.voiceAddress,
                  h.voiceVersion);
    if (contents.map)
        PlaceArea(*contents.map, contents.padAreasToPages, payload, h.mapOffset, h.mapSize, h.mapAddress, h.dataVersion);
    ChooseAbsentAddresses(h, contents);

    PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
    h.mainCheck = checks.main;
    h.voiceCheck = checks.voice;
    h.mapCheck = checks.map;

    if (contents.editHeader)
        contents.editHeader(h);
    StorePackageHeader(h, payload.data());
    if (contents.editPayload)
        contents.editPayload(payload);
    return payload;
}

std::vector<uint8_t> BuildPackageFile(const PackageSpec& contents)
{
    KeyBlock key;
    if (contents.keyBlock) {
        key = *contents.keyBlock;
    } else {
        std::random_device device;
        key = MakeKeyBlock(device());
    }
    std::vector<uint8_t> file(key.begin(), key.end());
    std::vector<uint8_t> payload = BuildPackagePayload(contents);
    DescramblePackage(payload.data(), payload.size(), key.data());
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

bool WritePackageFile(const std::string& path, const PackageSpec& contents, std::string* error)
{
    return WritePackageBytes(path, BuildPackageFile(contents), error);
}

bool WritePackageBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* file = OpenFile(path, "wb");
    if (!file) {
        if (error)
            *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written && error)
        *error = "cannot write " + path;
    return written;
}
