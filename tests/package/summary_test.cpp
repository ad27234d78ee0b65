#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "package/GbkText.h"
#include "package/Package.h"
#include "package/PackageSummary.h"

namespace {

template <size_t N>
void Put(char (&field)[N], const std::string& bytes)
{
    std::memset(field, 0, N);
    std::memcpy(field, bytes.data(), std::min(N, bytes.size()));
}

PackageHeader SampleHeader()
{
    PackageHeader h;
    Put(h.magic, "KT7USBZL");
    Put(h.updateTime, "2026-12-10");
    Put(h.firmwareVersion, "F123");
    Put(h.voiceVersion, "V456");
    Put(h.dataVersion, "D789");
    return h;
}

std::string Summary(const std::string& solution, const std::string& time, const std::string& firmware,
                    const std::string& voice, const std::string& data)
{
    return "\r\nSolution:" + solution + "\r\nUpdate Time:" + time + "\r\nSoftware Ver:SW1.12\r\nFirmware Ver:" +
           firmware + "\r\nVoice Ver:" + voice + "\r\nData Ver:" + data;
}

struct SummaryCase {
    const char* what;
    std::function<void(PackageHeader&)> edit;
    std::string expected;
};

TEST(PackageSummary, LinesFieldsAndSolutionName)
{
    const SummaryCase cases[] = {
        {"matching magic", [](PackageHeader&) {}, Summary("KT7.0", "2026-12-10", "F123", "V456", "D789")},
        {"magic differs in its last byte", [](PackageHeader& h) { h.magic[7] = 'X'; },
         Summary("!Unknown!", "2026-12-10", "F123", "V456", "D789")},
        {"magic cut short by a zero byte", [](PackageHeader& h) { Put(h.magic, "KT7USB"); },
         Summary("!Unknown!", "2026-12-10", "F123", "V456", "D789")},
        {"short zero-padded versions",
         [](PackageHeader& h) {
             Put(h.firmwareVersion, "F1");
             Put(h.voiceVersion, "");
             Put(h.dataVersion, "D78");
         },
         Summary("KT7.0", "2026-12-10", "F1", "", "D78")},
        {"time of ten non-zero bytes shows all ten", [](PackageHeader& h) { Put(h.updateTime, "0123456789"); },
         Summary("KT7.0", "0123456789", "F123", "V456", "D789")},
        {"GBK text decoded to UTF-8",
         [](PackageHeader& h) {
             Put(h.updateTime, "\xD6\xD0\xCE\xC4" "2026");
             Put(h.firmwareVersion, "\xB0\xE6" "1");
         },
         Summary("KT7.0", "中文2026", "版1", "V456", "D789")},
        {"bad GBK bytes become U+FFFD",
         [](PackageHeader& h) {
             Put(h.firmwareVersion, "A\xFF" "B");
             Put(h.dataVersion, "D7\xD6");  // lead byte with no trail
         },
         Summary("KT7.0", "2026-12-10", "A\xEF\xBF\xBD" "B", "V456", "D7\xEF\xBF\xBD")},
    };
    for (const SummaryCase& c : cases) {
        PackageHeader h = SampleHeader();
        c.edit(h);
        EXPECT_EQ(ComposePackageSummary(h), c.expected) << c.what;
    }
}

TEST(GbkText, AsciiPassesAndInvalidTrailKeepsTheNextByte)
{
    EXPECT_EQ(GbkToUtf8("Ver:1.0", 7), "Ver:1.0");
    // 0x81 needs a trail byte of 0x40 or more; the blank after it survives.
    EXPECT_EQ(GbkToUtf8("\x81 x", 3), "\xEF\xBF\xBD x");
    EXPECT_EQ(GbkToUtf8("", 0), "");
}

TEST(PackageHeader, ShortPayloadReadsMissingBytesAsZero)
{
    PackageHeader full;
    Put(full.magic, "KT7USBZL");
    full.mainSize = 0x11223344;
    full.mapSize = 0xAABBCCDD;
    full.mapCheck = 0x5A;
    uint8_t bytes[kPackageHeaderSize];
    StorePackageHeader(full, bytes);

    PackageHeader whole = ParsePackageHeader(bytes, sizeof bytes);
    EXPECT_EQ(whole.mainSize, 0x11223344u);
    EXPECT_EQ(whole.mapSize, 0xAABBCCDDu);
    EXPECT_EQ(whole.mapCheck, 0x5A);

    // Cut inside mapSize (0x44..0x47): the two bytes that are there count.
    PackageHeader cut = ParsePackageHeader(bytes, 0x46);
    EXPECT_EQ(std::string(cut.magic, 8), "KT7USBZL");
    EXPECT_EQ(cut.mainSize, 0x11223344u);
    EXPECT_EQ(cut.mapSize, 0x0000CCDDu);
    EXPECT_EQ(cut.mapCheck, 0);

    PackageHeader none = ParsePackageHeader(nullptr, 0);
    EXPECT_EQ(none.mainSize, 0u);
}

} // namespace
