#include <gtest/gtest.h>

#include "backends/WrittenReport.h"
#include "hid/HidIO.h"

namespace {

// Our reports are 65 bytes (report ID 0 and 64 bytes). A device whose output
// report is longer makes Windows pad ours and count the padding: that must
// not read as "more written than given", which the HID link takes for a
// failed transfer.
TEST(WrittenReportBytes, PaddingCountsAsTheWholeReportAndFailuresStayFailures)
{
    struct Case {
        const char* what;
        int written;
        int expected;
    };
    const Case cases[] = {
        {"written as given", int(kReportSize), int(kReportSize)},
        {"padded to a longer output report", 129, int(kReportSize)},
        {"short write", 33, 33},
        {"nothing written", 0, 0},
        {"failure", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WrittenReportBytes(c.written, kReportSize), c.expected);
    }
}

} // namespace
