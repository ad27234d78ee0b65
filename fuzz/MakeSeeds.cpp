// Writes the seed corpora: small packages made with the package writer (good
// ones, and ones each offline check must refuse), the same packages with
// update set-ups, report streams for the simulated firmware, and records
// files.
//   kt7-fuzz-seeds CORPUS_DIR

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "hid/Protocol.h"
#include "package/PackageWriter.h"
#include "platform/FlashGeometry.h"
#include "records/RecordLine.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t length, uint32_t seed)
{
    Bytes bytes(length);
    uint32_t state = seed;
    for (uint8_t& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

PackageArea Area(size_t length, uint32_t address, uint32_t seed, const char* version)
{
    return PackageArea{Pattern(length, seed), address, version};
}

KeyBlock ZeroKey()
{
    return KeyBlock{};
}

// A main program, voice data and a map, each in sectors of its own.
PackageSpec AllAreas()
{
    PackageSpec contents;
    contents.main = Area(0x2000, 0x40010000, 1, "V1.0");
    contents.voice = Area(0x1000, 0x40020000, 2, "S2");
    contents.map = Area(0x1F00, 0x40030000, 3, "D3.1");
    contents.updateTime = "2026-12-10";
    contents.mapScrambleLength = 64;
    contents.keyBlock = MakeKeyBlock(7);
    return contents;
}

struct NamedPackage {
    const char* name;
    Bytes file;
};

std::vector<NamedPackage> Packages()
{
    std::vector<NamedPackage> packages;
    auto add = [&](const char* name, const PackageSpec& contents) { packages.push_back({name, BuildPackageFile(contents)}); };

    PackageSpec mainOnly;
    mainOnly.main = Area(0x1000, 0x40010000, 4, "V0.9");
    mainOnly.keyBlock = ZeroKey();
    add("main_only", mainOnly);

    add("all_areas", AllAreas());

    // An all-zero key leaves the payload plain, so mutations hit header fields directly.
    PackageSpec plain = AllAreas();
    plain.keyBlock = ZeroKey();
    add("all_areas_plain", plain);

    PackageSpec atEnd = AllAreas();
    atEnd.map = Area(0xF00, 0x407FF000, 5, "END");  // map + random block end exactly at the window's end
    atEnd.keyBlock = ZeroKey();
    add("map_ends_at_window_end", atEnd);

    PackageSpec unknown = AllAreas();
    unknown.magic = "KT6USBZL";
    add("unknown_magic", unknown);

    PackageSpec unaligned = AllAreas();
    unaligned.main = Area(0x1100, 0x40010100, 6, "V1.1");  // last page falls into a second sector
    unaligned.keyBlock = ZeroKey();
    add("main_not_sector_aligned", unaligned);

    PackageSpec offPage = AllAreas();
    offPage.main = Area(0x1000, 0x4001000A, 6, "V1.2");  // refused: the device writes it from the page's start
    offPage.keyBlock = ZeroKey();
    add("main_not_page_aligned", offPage);

    PackageSpec oddMap = AllAreas();
    oddMap.map = Area(0x1234, 0x40030000, 8, "D4");  // image's last page partly unset without the 0xFF fill
    oddMap.mapScrambleLength = 0xFFFFFFFF;
    add("map_size_not_page_multiple", oddMap);

    PackageSpec overlap = AllAreas();
    overlap.voice = Area(0x1000, 0x40011000, 2, "S2");  // inside the main program's 8 KiB
    overlap.keyBlock = ZeroKey();
    add("voice_overlaps_main", overlap);

    PackageSpec pastEnd = AllAreas();
    pastEnd.main = Area(0x2000, 0x407FE800, 1, "V1.0");  // ends 0x800 bytes past the window
    pastEnd.voice.reset();
    pastEnd.map.reset();
    pastEnd.editHeader = [](PackageHeader& h) {
        h.voiceAddress = 0x407FF000;
        h.mapAddress = 0x407FF800;
    };
    pastEnd.keyBlock = ZeroKey();
    add("main_past_window", pastEnd);

    PackageSpec badCheck = AllAreas();
    badCheck.editHeader = [](PackageHeader& h) { h.voiceCheck ^= 0x5A; };
    add("voice_check_byte_wrong", badCheck);

    PackageSpec mapOutside = AllAreas();
    mapOutside.editHeader = [](PackageHeader& h) { h.mapOffset = 0xFFFFFF00u; };
    mapOutside.keyBlock = ZeroKey();
    add("map_offset_past_payload", mapOutside);

    PackageSpec shortVoice = AllAreas();
    shortVoice.voice = Area(0x30, 0x40020000, 2, "S0");  // shorter than a page: written as one page
    shortVoice.keyBlock = ZeroKey();
    add("voice_shorter_than_a_page", shortVoice);

    // No area in whole pages: every last page is written completed.
    PackageSpec partial = AllAreas();
    partial.main = Area(0x1130, 0x40010000, 10, "V1.3");
    partial.voice = Area(0x64, 0x40020000, 11, "S3");
    partial.map = Area(0x777, 0x40030000, 12, "D5");
    partial.keyBlock = ZeroKey();
    add("partial_pages", partial);

    // One flipped payload byte: the loader refuses it with the check's message.
    PackageSpec flipped = AllAreas();
    flipped.editPayload = [](Bytes& payload) { payload[0x200] ^= 0x01; };
    add("main_byte_flipped", flipped);

    PackageSpec emptyVoice = AllAreas();
    emptyVoice.voice = Area(0, 0x40020000, 2, "S0");
    emptyVoice.keyBlock = ZeroKey();
    add("voice_empty", emptyVoice);

    PackageSpec headerOnly;
    headerOnly.keyBlock = ZeroKey();
    headerOnly.editHeader = [](PackageHeader& h) {
        h.mainSize = h.voiceSize = h.mapSize = kAreaAbsent;
    };
    add("header_only", headerOnly);

    Bytes shortFile = Pattern(100, 9);
    packages.push_back({"shorter_than_key_block", shortFile});
    return packages;
}

void WriteFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

// Update set-up, as the update_run target reads it.
Bytes UpdateSetup(uint8_t flags, uint16_t release, uint8_t faultKind, uint8_t faultDevice, uint16_t faultAfter,
                  uint8_t reattachTenths)
{
    return {flags, uint8_t(release), uint8_t(release >> 8), faultKind, faultDevice, uint8_t(faultAfter),
            uint8_t(faultAfter >> 8), reattachTenths};
}

// Report stream records, as the sim_firmware target reads them.
class Stream {
public:
    explicit Stream(uint16_t release) : m_bytes{uint8_t(release), uint8_t(release >> 8)} {}
    // Selector: index into the target's list of known codes (0xA1..0xA7, 0xE1..0xE6).
    Stream& Command(uint8_t selector, uint32_t arg1, uint32_t arg2)
    {
        m_bytes.push_back(0);
        m_bytes.push_back(selector);
        Le32(arg1);
        Le32(arg2);
        return *this;
    }
    Stream& Data(uint32_t seed)
    {
        m_bytes.push_back(2);
        Bytes payload = Pattern(kReportPayloadSize, seed);
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
        return *this;
    }
    Stream& Pages(uint32_t pages, uint32_t seed)
    {
        for (uint32_t i = 0; i < pages * 4; ++i)
            Data(seed + i);
        return *this;
    }
    Stream& Read(uint8_t count) { return Op(4, count); }
    Stream& Close() { return Op(5); }
    Stream& PeekFlash(uint32_t offset)
    {
        m_bytes.push_back(6);
        Le32(offset);
        return *this;
    }
    const Bytes& Take() const { return m_bytes; }

private:
    Stream& Op(uint8_t op, int operand = -1)
    {
        m_bytes.push_back(op);
        if (operand >= 0)
            m_bytes.push_back(uint8_t(operand));
        return *this;
    }
    void Le32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(uint8_t(v >> (8 * i)));
    }
    Bytes m_bytes;
};

// A whole update as the host sends it, base (0) or shifted (7) code set.
Bytes UpdateStream(uint16_t release, uint8_t set)
{
    Stream s(release);
    s.Command(6, kVersionPage, 1).Read(1);
    s.Command(set + 5, kAreaInfoPage, 1).Pages(1, 100);
    s.Command(set + 0, 16, 2).Command(set + 1, 128, 1).Read(4);
    s.Command(set + 2, 256, 3).Pages(3, 200).Command(set + 1, 256, 3).Read(12);
    s.Command(set + 3, kEndResetArg1, kEndResetArg2).Command(set + 4, kEndResetArg1, kEndResetArg2).Close();
    s.PeekFlash(256 * 256);
    return s.Take();
}

Bytes OutOfWindowStream()
{
    Stream s(0x5512);
    s.Command(0, kSectorCount - 2, 20).Command(1, kPageCount - 1, 3).Read(12);
    s.Command(2, kPageCount - 2, 4).Pages(4, 300);
    s.Command(2, 300, 1).Pages(1, 400).Command(2, 300, 1).Pages(1, 500);  // second write into unerased flash
    s.PeekFlash(kFlashSize - 32).PeekFlash(0xFFFFFFF0u);
    return s.Take();
}

// Records files: whole lines, a line cut by a crash, texts that need escapes,
// and lines that are no record.
std::vector<std::pair<const char*, std::string>> RecordsTexts()
{
    DeviceRecord record;
    record.timeUtc = 1796890530;
    record.utcOffsetMinutes = 480;
    record.station = "bench 1";
    record.location = "1-2.3";
    record.serial = "0001A3";
    record.release = "5512";
    record.packageFile = "KT7_Down.dat";
    record.packageSha256 = std::string(64, 'a');
    record.firmwareVersion = "V112";
    record.result = "success";
    record.durationMs = 16020;
    DeviceRecord failed = record;
    failed.serial.reset();
    failed.result = "failed";
    failed.exitCode = 4;
    failed.message = "区域3数据写入失败，请检查USB连接！";
    failed.attempt = 2;
    DeviceRecord escapes = record;
    escapes.station = "say \"hi\"\\ \x01\t\n工位\xF0\x9F\x98\x80";
    const std::string whole = EncodeRecordLine(record) + EncodeRecordLine(failed);
    return {
        {"two_devices", whole},
        {"cut_last_line", whole + EncodeRecordLine(record).substr(0, 70)},
        {"escapes", EncodeRecordLine(escapes)},
        {"bad_lines", "not json\n{}\n[1]\n\n" + EncodeRecordLine(failed) + "{\"schema\":1,\"event\":\"record\"}\r\n"},
    };
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* target : {"package_load", "update_run", "sim_firmware", "records_text"})
        fs::create_directories(root / target);

    const std::vector<NamedPackage> packages = Packages();
    for (const NamedPackage& p : packages)
        WriteFile(root / "package_load" / (std::string("seed-") + p.name), p.file);

    struct Run {
        const char* name;
        const char* package;
        Bytes setup;
    };
    const Run runs[] = {
        {"main_only_one_device", "main_only", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"all_areas_two_devices_special_release", "all_areas", UpdateSetup(1, 0x0123, 0, 0, 0, 15)},
        {"all_areas_unplug_during_map", "all_areas", UpdateSetup(2, 0x0000, 0, 0, 40, 15)},
        {"all_areas_second_device_stalls", "all_areas", UpdateSetup(3, 0x5512, 1, 1, 200, 15)},
        {"all_areas_no_reattach", "all_areas", UpdateSetup(3, 0x5512, 2, 1, 0, 15)},
        {"all_areas_slow_reattach", "all_areas_plain", UpdateSetup(0, 0x5512, 0, 0, 0, 150)},
        {"mixed_command_sets", "all_areas_plain", UpdateSetup(5, 0x5512, 0, 0, 0, 15)},
        {"main_not_sector_aligned", "main_not_sector_aligned", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"voice_overlaps_main", "voice_overlaps_main", UpdateSetup(1, 0x5512, 0, 0, 0, 15)},
        {"main_past_window", "main_past_window", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"map_size_not_page_multiple", "map_size_not_page_multiple", UpdateSetup(1, 0x0042, 0, 0, 0, 15)},
        {"map_ends_at_window_end", "map_ends_at_window_end", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"voice_shorter_than_a_page", "voice_shorter_than_a_page", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"main_not_page_aligned", "main_not_page_aligned", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        // Only the second device, of the other command set, takes part.
        {"first_device_gone_before_start", "all_areas_plain", UpdateSetup(7, 0xFFFF, 0, 0, 0, 15)},
        {"partial_pages_two_devices", "partial_pages", UpdateSetup(1, 0x5512, 0, 0, 0, 15)},
        {"main_byte_flipped", "main_byte_flipped", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        {"voice_empty", "voice_empty", UpdateSetup(0, 0x5512, 0, 0, 0, 15)},
        // An old boot loader is refreshed and read back first.
        {"bootloader_refresh_two_devices", "all_areas_plain", UpdateSetup(1 | 8, 0x5512, 0, 0, 0, 15)},
        {"bootloader_page_kept_wrong_once", "partial_pages", UpdateSetup(1 | 8 | 16, 0x5512, 0, 1, 3, 15)},
        {"bootloader_page_kept_wrong_twice", "all_areas_plain", UpdateSetup(8 | 16 | 32, 0x5512, 0, 0, 11, 15)},
        {"bootloader_device_lost_in_read_back", "all_areas_plain", UpdateSetup(1 | 2 | 8, 0x0000, 0, 1, 30, 15)},
    };
    for (const Run& run : runs)
        for (const NamedPackage& p : packages)
            if (std::string(p.name) == run.package) {
                Bytes input = run.setup;
                input.insert(input.end(), p.file.begin(), p.file.end());
                WriteFile(root / "update_run" / (std::string("seed-") + run.name), input);
            }

    WriteFile(root / "sim_firmware" / "seed-update_base_codes", UpdateStream(0x5512, 0));
    WriteFile(root / "sim_firmware" / "seed-update_shifted_codes", UpdateStream(0x0123, 7));
    WriteFile(root / "sim_firmware" / "seed-outside_window_and_unerased", OutOfWindowStream());

    for (const auto& [name, text] : RecordsTexts())
        WriteFile(root / "records_text" / (std::string("seed-") + name), Bytes(text.begin(), text.end()));
    return 0;
}
