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
void ChooseAbsentAddresses(PackageHeader& h, const PackageSpec& spec)
{
    if (!spec.main)
        h.mainAddress = kAreaWindowStart;
    if (!spec.map)
        h.mapAddress = kFlashEnd - kSectorSize;
    if (!spec.voice)
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

std::vector<uint8_t> BuildPackagePayload(const PackageSpec& spec)
{
    std::vector<uint8_t> payload(kPackageHeaderSize, 0);
    PackageHeader h;
    SetText(h.magic, spec.magic);
    SetText(h.updateTime, spec.updateTime);
    h.mapScrambleLength = spec.mapScrambleLength;
    h.mainSize = h.voiceSize = h.mapSize = kAreaAbsent;

    if (spec.main)
        PlaceArea(*spec.main, spec.padAreasToPages, payload, h.mainOffset, h.mainSize, h.mainAddress,
                  h.firmwareVersion);
    if (spec.voice)
        PlaceArea(*spec.voice, spec.padAreasToPages, payload, h.voiceOffset, h.voiceSize, h.voiceAddress,
                  h.voiceVersion);
    if (spec.map)
        PlaceArea(*spec.map, spec.padAreasToPages, payload, h.mapOffset, h.mapSize, h.mapAddress, h.dataVersion);
    ChooseAbsentAddresses(h, spec);

    PackageCheckBytes checks = ComputeCheckBytes(payload.data(), payload.size(), h);
    h.mainCheck = checks.main;
    h.voiceCheck = checks.voice;
    h.mapCheck = checks.map;

    if (spec.editHeader)
        spec.editHeader(h);
    StorePackageHeader(h, payload.data());
    if (spec.editPayload)
        spec.editPayload(payload);
    return payload;
}

std::vector<uint8_t> BuildPackageFile(const PackageSpec& spec)
{
    KeyBlock key;
    if (spec.keyBlock) {
        key = *spec.keyBlock;
    } else {
        std::random_device device;
        key = MakeKeyBlock(device());
    }
    std::vector<uint8_t> file(key.begin(), key.end());
    std::vector<uint8_t> payload = BuildPackagePayload(spec);
    DescramblePackage(payload.data(), payload.size(), key.data());
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

bool WritePackageFile(const std::string& path, const PackageSpec& spec, std::string* error)
{
    std::vector<uint8_t> bytes = BuildPackageFile(spec);
    std::FILE* file = std::fopen(path.c_str(), "wb");
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
