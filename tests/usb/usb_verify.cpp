// kt7-usb-verify: checks, on the host, the flash images that devices in the
// USB guest ended with against the package they were updated from.
//
//   kt7-usb-verify PACKAGE [--bootloader FILE] IMAGE...
//   kt7-usb-verify --blank IMAGE...
//
// Updated: every area at its address (the map image's random block is taken
// from the flash itself and the rest rebuilt from it), the program descriptor
// block at page 128 and the check-code block at page 160 with their masked
// words undone, and with --bootloader the padded image from page 0.
// Blank: the image is still erased (0xFF) throughout.
// Prints one line per finding; exit 0 when every image passed.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hid/Protocol.h"
#include "package/PackageParser.h"
#include "platform/FlashGeometry.h"

namespace {

constexpr uint32_t kDescriptorSignature = 0x86017618u;

using Bytes = std::vector<uint8_t>;

bool ReadFile(const std::string& path, Bytes* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

class ImageCheck {
public:
    ImageCheck(std::string name, const Bytes& flash) : m_name(std::move(name)), m_flash(flash) {}

    bool Passed() const { return m_passed; }

    void Fail(const std::string& what)
    {
        std::printf("verify: %s: FAIL %s\n", m_name.c_str(), what.c_str());
        m_passed = false;
    }

    uint32_t Word(uint32_t page, uint32_t word) const { return LoadLe32(&m_flash[page * kPageSize + word * 4]); }

    void ExpectWord(const char* what, uint32_t actual, uint32_t expected)
    {
        if (actual != expected) {
            char text[160];
            std::snprintf(text, sizeof text, "%s is 0x%08x, expected 0x%08x", what, actual, expected);
            Fail(text);
        }
    }

    // `length` bytes of `data` at window address `address`.
    void ExpectBytes(const char* what, uint32_t address, const uint8_t* data, size_t length)
    {
        if (address < kFlashBase || address - kFlashBase + length > m_flash.size()) {
            Fail(std::string(what) + " lies outside the flash window");
            return;
        }
        const uint8_t* at = &m_flash[address - kFlashBase];
        for (size_t i = 0; i < length; ++i) {
            if (at[i] != data[i]) {
                char text[160];
                std::snprintf(text, sizeof text, "%s differs at 0x%08zx (flash 0x%02x, expected 0x%02x)", what,
                              address + i, at[i], data[i]);
                Fail(text);
                return;
            }
        }
    }

    void ExpectBlank()
    {
        for (size_t i = 0; i < m_flash.size(); ++i) {
            if (m_flash[i] != 0xFF) {
                char text[96];
                std::snprintf(text, sizeof text, "written at 0x%08zx", kFlashBase + i);
                Fail(text);
                return;
            }
        }
    }

    const Bytes& Flash() const { return m_flash; }

private:
    std::string m_name;
    const Bytes& m_flash;
    bool m_passed = true;
};

bool Present(uint32_t size)
{
    return size != kAreaAbsent;
}

uint32_t ChunkSums(const uint8_t* data, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t done = 0; done < length; done += kPageSize)
        sum += HidChecksum(data + done, kPageSize);
    return sum;
}

void CheckUpdated(ImageCheck& check, const LoadedPackage& package)
{
    const PackageHeader& h = package.header;
    const uint8_t* payload = package.data.get();

    // Whole pages only: a tail shorter than a page is not written.
    const uint32_t mainBytes = h.mainSize / kPageSize * kPageSize;
    check.ExpectBytes("main program", h.mainAddress, payload + h.mainOffset, mainBytes);
    if (Present(h.voiceSize))
        check.ExpectBytes("voice data", h.voiceAddress, payload + h.voiceOffset, h.voiceSize / kPageSize * kPageSize);

    uint32_t mapLength = kAreaAbsent, mapSum = kAreaAbsent;
    if (Present(h.mapSize)) {
        // The random block is whatever the run drew; everything else follows from it.
        MapRandomBlock random;
        const size_t at = h.mapAddress - kFlashBase;
        std::memcpy(random.data(), &check.Flash()[at], random.size());
        PackageHeader header = h;
        mapLength = h.mapSize + kMapRandomBlockSize;
        // Sums run over whole pages of the image (0xFF past its end); the
        // writes stop at the last whole page of map data.
        Bytes image((mapLength + kPageSize - 1) / kPageSize * kPageSize);
        if (!FillMapImage(image.data(), image.size(), payload, package.length, header, random)) {
            check.Fail("the package's map can't be rebuilt");
            return;
        }
        const uint32_t pagesWritten = h.mapSize / kPageSize + 1;
        check.ExpectBytes("map image", h.mapAddress, image.data(), pagesWritten * kPageSize);
        mapSum = ChunkSums(image.data(), static_cast<uint32_t>(image.size()));
    }

    uint32_t mainWordSum = 0;
    for (uint32_t i = 0; i + 4 <= h.mainSize; i += 4)
        mainWordSum += LoadLe32(payload + h.mainOffset + i);
    uint32_t voiceLength = kAreaAbsent, voiceSum = kAreaAbsent;
    if (Present(h.voiceSize)) {
        voiceLength = h.voiceSize;
        voiceSum = ChunkSums(payload + h.voiceOffset, (h.voiceSize + kPageSize - 1) / kPageSize * kPageSize);
    }

    const uint32_t d = kDescriptorPage;
    check.ExpectWord("descriptor signature", check.Word(d, 0), kDescriptorSignature);
    check.ExpectWord("descriptor word 1", check.Word(d, 1), 56);
    check.ExpectWord("descriptor word 2", check.Word(d, 2), 0x130000);
    check.ExpectWord("descriptor word 3", check.Word(d, 3), kAreaWindowStart);
    check.ExpectWord("descriptor word 4", check.Word(d, 4), kAreaWindowStart);
    check.ExpectWord("descriptor main size", check.Word(d, 5), h.mainSize);
    check.ExpectWord("descriptor word 6", check.Word(d, 6), 0x100003);
    check.ExpectWord("descriptor main sum", check.Word(d, 7), 0u - mainWordSum);
    check.ExpectWord("descriptor voice address",
                     check.Word(d, 8) ^ check.Word(d, 10) ^ check.Word(d, 11) ^ check.Word(d, 14), h.voiceAddress);
    check.ExpectWord("descriptor map address",
                     check.Word(d, 9) ^ check.Word(d, 10) ^ check.Word(d, 12) ^ check.Word(d, 13) ^ check.Word(d, 15),
                     h.mapAddress);

    const uint32_t c = kCheckCodePage;
    check.ExpectWord("check-code voice size", check.Word(c, 0) ^ check.Word(c, 7), voiceLength);
    check.ExpectWord("check-code voice sum", check.Word(c, 1) ^ check.Word(c, 6), voiceSum);
    check.ExpectWord("check-code map length", check.Word(c, 2) ^ check.Word(c, 6), mapLength);
    check.ExpectWord("check-code map sum", check.Word(c, 3) ^ check.Word(c, 7), mapSum);
    for (uint32_t word = 16; word < 64; ++word)
        check.ExpectWord("check-code filler", check.Word(c, word), 0xFFFFFFFFu);
}

int Usage()
{
    std::fprintf(stderr, "usage: kt7-usb-verify PACKAGE [--bootloader FILE] IMAGE...\n"
                         "       kt7-usb-verify --blank IMAGE...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    int next = 1;
    const bool blank = std::strcmp(argv[next], "--blank") == 0;
    LoadedPackage package;
    Bytes bootloader;
    bool withBootloader = false;
    if (blank) {
        ++next;
    } else {
        Bytes file;
        if (!ReadFile(argv[next], &file)) {
            std::printf("verify: FAIL can't read %s\n", argv[next]);
            return 1;
        }
        if (const char* failure = ParsePackageFile(file.data(), file.size(), MapRandomBlock{}, &package)) {
            std::printf("verify: FAIL the package doesn't load: %s\n", failure);
            return 1;
        }
        ++next;
        if (next + 1 < argc && std::strcmp(argv[next], "--bootloader") == 0) {
            if (!ReadFile(argv[next + 1], &bootloader)) {
                std::printf("verify: FAIL can't read %s\n", argv[next + 1]);
                return 1;
            }
            bootloader.resize((bootloader.size() + kPageSize - 1) / kPageSize * kPageSize, 0xFF);
            withBootloader = true;
            next += 2;
        }
    }
    if (next >= argc)
        return Usage();

    bool passed = true;
    for (int i = next; i < argc; ++i) {
        Bytes flash;
        if (!ReadFile(argv[i], &flash) || flash.size() != kFlashSize) {
            std::printf("verify: %s: FAIL not a whole flash image\n", argv[i]);
            passed = false;
            continue;
        }
        ImageCheck check(argv[i], flash);
        if (blank) {
            check.ExpectBlank();
        } else {
            CheckUpdated(check, package);
            if (withBootloader)
                check.ExpectBytes("boot loader", kFlashBase, bootloader.data(), bootloader.size());
        }
        std::printf("verify: %s: %s\n", argv[i], check.Passed() ? "OK" : "FAILED");
        passed = passed && check.Passed();
    }
    return passed ? 0 : 1;
}
