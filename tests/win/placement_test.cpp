#include <gtest/gtest.h>
#include <windows.h>

#include "win/PageParts.h"
#include "win/Placement.h"

namespace {

struct PlacementCase {
    const char* what;
    SIZE size;
    RECT over;
    RECT workArea;
    POINT expected;
};

TEST(Placement, CentredOverTheOwnerAndKeptOnTheScreen)
{
    const RECT screen{0, 0, 1280, 800};
    const PlacementCase cases[] = {
        {"centred over the page", {300, 100}, {400, 200, 800, 600}, screen, {450, 350}},
        {"an odd difference rounds towards the top left", {301, 101}, {400, 200, 800, 600}, screen, {449, 349}},
        {"a page hanging off the left edge", {300, 100}, {-350, 200, 50, 600}, screen, {0, 350}},
        {"a page low on the right", {300, 100}, {1100, 700, 1500, 1100}, screen, {980, 700}},
        {"larger than the screen: its top left corner", {1400, 900}, {400, 200, 800, 600}, screen, {0, 0}},
        {"a screen left of the main one", {300, 100}, {-1000, 100, -600, 500}, {-1920, 0, 0, 1040}, {-950, 250}},
        {"the work area ends above a task bar", {300, 100}, {400, 600, 800, 900}, {0, 0, 1280, 760}, {450, 660}},
    };
    for (const PlacementCase& c : cases) {
        const POINT at = CentredPosition(c.size, c.over, c.workArea);
        EXPECT_EQ(at.x, c.expected.x) << c.what;
        EXPECT_EQ(at.y, c.expected.y) << c.what;
    }
}

// The summary comes with CR LF or LF line ends; the edit box shows only CR LF as line breaks.
TEST(PageParts, EditTextGetsCrLfLineEnds)
{
    EXPECT_EQ(WithCrLf("a\nb"), L"a\r\nb");
    EXPECT_EQ(WithCrLf("a\r\nb"), L"a\r\nb");
    EXPECT_EQ(WithCrLf("\nSolution:KT7.0\n"), L"\r\nSolution:KT7.0\r\n");
    EXPECT_EQ(WithCrLf("升级\n文件"), L"升级\r\n文件");
}

} // namespace
