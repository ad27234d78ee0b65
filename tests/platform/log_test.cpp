#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/LogFile.h"
#include "platform/LogText.h"
#include "support/PackageTestFiles.h"
#include "support/TestEnvironment.h"

namespace {

using ::testing::HasSubstr;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            SetEnv(name, value);
        else
            UnsetEnv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            SetEnv(m_name, m_old->c_str());
        else
            UnsetEnv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(EscapeLogText, PrintableTextStaysAndEveryOtherByteIsEscaped)
{
    struct Case {
        const char* what;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain ASCII", "Write pages: 0 - 15", "Write pages: 0 - 15"},
        {"NUL", std::string("pReadBuf[4]=\0", 13), "pReadBuf[4]=\\x00"},
        {"control bytes", "a\tb\rc\x1b[Kd\x7f", "a\\x09b\\x0Dc\\x1B[Kd\\x7F"},
        {"backslash, so that an escape cannot be forged", "C:\\x41", "C:\\x5Cx41"},
        {"Chinese text stays readable", "升级失败，请重新连接USB设备并升级", "升级失败，请重新连接USB设备并升级"},
        {"four-byte character", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"high bytes that are not UTF-8", "\xFF\xFE", "\\xFF\\xFE"},
        {"a character cut short", "\xE5\x8D", "\\xE5\\x8D"},
        {"a cut character before ASCII", "\xE5" "A", "\\xE5A"},
        {"overlong slash", "\xC0\xAF", "\\xC0\\xAF"},
        {"surrogate half", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"C1 control", "\xC2\x9B", "\\xC2\\x9B"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EscapeLogText(c.in), c.out);
    }
}

// The shape of a time stamp, 9 standing for any digit.
constexpr std::string_view kStampShape = "9999-99-99 99:99:99.999";

bool StartsWithStamp(std::string_view text)
{
    if (text.size() < kStampShape.size())
        return false;
    for (size_t i = 0; i < kStampShape.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kStampShape[i] == '9' ? !digit : text[i] != kStampShape[i])
            return false;
    }
    return true;
}

// The log's lines without their stamps and the space after them; a line
// without a stamp comes back whole behind "NO STAMP: ".
std::string WithoutStamps(const std::string& text)
{
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (StartsWithStamp(line) && line.size() > kStampShape.size() && line[kStampShape.size()] == ' ')
            out += line.substr(kStampShape.size() + 1) + "\n";
        else
            out += "NO STAMP: " + line + "\n";
    }
    return out;
}

TEST(LogTimeStamp, HasDateTimeAndMilliseconds)
{
    const std::string stamp = LogTimeStamp(1700000000, 7);
    EXPECT_EQ(stamp.size(), kStampShape.size()) << stamp;
    EXPECT_TRUE(StartsWithStamp(stamp)) << stamp;
    EXPECT_TRUE(stamp.ends_with(".007")) << stamp;
}

#ifdef _WIN32
TEST(DefaultLogPath, IsUnderLocalAppData)
{
    struct Case {
        const char* what;
        const char* local;
        std::string path;
    };
    const Case cases[] = {
        {"LOCALAPPDATA set", "C:\\L", "C:\\L\\kt7-updater\\kt7-updater.log"},
        {"with a trailing separator", "C:\\L\\", "C:\\L\\kt7-updater\\kt7-updater.log"},
        {"a Chinese user name", "C:\\用户\\AppData\\Local", "C:\\用户\\AppData\\Local\\kt7-updater\\kt7-updater.log"},
        {"unset", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv local("LOCALAPPDATA", c.local);
        EXPECT_EQ(DefaultLogPath(), c.path);
    }
}
#else
TEST(DefaultLogPath, FollowsTheStateFolderRules)
{
    struct Case {
        const char* what;
        const char* state;
        const char* home;
        std::string path;
    };
    const Case cases[] = {
        {"XDG_STATE_HOME set", "/s", "/h", "/s/kt7-updater/kt7-updater.log"},
        {"XDG_STATE_HOME unset", nullptr, "/h", "/h/.local/state/kt7-updater/kt7-updater.log"},
        {"XDG_STATE_HOME empty", "", "/h", "/h/.local/state/kt7-updater/kt7-updater.log"},
        {"XDG_STATE_HOME relative is ignored", "state", "/h", "/h/.local/state/kt7-updater/kt7-updater.log"},
        {"no home at all", nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv state("XDG_STATE_HOME", c.state);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(DefaultLogPath(), c.path);
    }
}
#endif

class LogFileTest : public testing::Test {
protected:
    std::string LogPath() const { return m_dir.Path() + "state/kt7-updater/kt7-updater.log"; }
    PackageTempDir m_dir;
};

TEST_F(LogFileTest, LinesAreStampedEscapedAndWholeAcrossWrites)
{
    {
        LogFileDiagnostics log(LogPath(), nullptr);
        ASSERT_EQ(log.Path(), LogPath()) << "the missing folders are made";
        DiagPrintf(log, "String code\n");
        DiagPrintf(log, "pReadBuf[%d]=%c\n", 4, 0);
        DiagPrintf(log, "\n\n");
        DiagPrintf(log, ">>> Write pages: %d", 0);
        DiagPrintf(log, " - %d\nunfinished", 15);
    }
    const std::string text = ReadFile(LogPath());
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(WithoutStamps(text), "String code\npReadBuf[4]=\\x00\n>>> Write pages: 0 - 15\nunfinished\n") << text;
}

TEST_F(LogFileTest, EachRunStartsANewLogAndKeepsTheLastFewBefore)
{
    for (int run = 1; run <= 7; ++run) {
        LogFileDiagnostics log(LogPath(), nullptr);
        log.Write("run " + std::to_string(run) + "\n");
    }
    EXPECT_THAT(ReadFile(LogPath()), HasSubstr("run 7\n"));
    for (int older = 1; older < kKeptLogFiles; ++older)
        EXPECT_THAT(ReadFile(LogPath() + "." + std::to_string(older)), HasSubstr("run " + std::to_string(7 - older) + "\n"));
    EXPECT_FALSE(std::filesystem::exists(LogPath() + "." + std::to_string(kKeptLogFiles)));
}

// A question asked after a failed update (list, info) adds to that update's
// log instead of pushing it aside; and only a log that holds an error line
// is worth pointing the user at.
TEST_F(LogFileTest, AQuestionAddsToTheLogOfTheLastUpdate)
{
    {
        LogFileDiagnostics update(LogPath(), nullptr);
        update.Write("Programming area 1 (map)\n");
        EXPECT_FALSE(update.HoldsErrors());
        update.Write("ERROR: erase of sectors 16-47 on device 1 (1-2.3): no answer\n");
        EXPECT_TRUE(update.HoldsErrors());
    }
    {
        LogFileDiagnostics info(LogPath(), nullptr, LogStart::Append);
        info.Write("kt7-flash info: passes every check\n");
        EXPECT_FALSE(info.HoldsErrors()) << "the errors are the update's, not this command's";
    }
    const std::string text = ReadFile(LogPath());
    EXPECT_THAT(text, HasSubstr("ERROR: erase of sectors 16-47"));
    EXPECT_THAT(text, HasSubstr("kt7-flash info"));
    EXPECT_FALSE(std::filesystem::exists(LogPath() + ".1")) << "nothing was rotated";
}

TEST_F(LogFileTest, EchoGetsTheSameEscapedLines)
{
    std::FILE* echo = std::tmpfile();
    ASSERT_NE(echo, nullptr);
    {
        LogFileDiagnostics log(LogPath(), echo);
        log.Write(std::string("a\0b\n", 4));
    }
    std::rewind(echo);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, echo), nullptr);
    std::fclose(echo);
    EXPECT_THAT(std::string(line), testing::EndsWith(" a\\x00b\n"));
    EXPECT_THAT(ReadFile(LogPath()), testing::EndsWith(" a\\x00b\n"));
}

TEST_F(LogFileTest, WithoutAWritableLogTheRunGoesOnAndSaysSoOnlyWhenEchoing)
{
    // A file where the log's folder should be: the log cannot be made.
    WriteBytesToFile(m_dir.File("blocked"), {});
    const std::string path = m_dir.File("blocked") + "/kt7-updater.log";

    std::FILE* echo = std::tmpfile();
    ASSERT_NE(echo, nullptr);
    {
        LogFileDiagnostics quiet(path, nullptr);
        EXPECT_EQ(quiet.Path(), "");
        quiet.Write("dropped\n");
        LogFileDiagnostics verbose(path, echo);
        EXPECT_EQ(verbose.Path(), "");
        verbose.Write("shown\n");
    }
    std::rewind(echo);
    std::string text;
    for (int c; (c = std::fgetc(echo)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(echo);
    EXPECT_THAT(text, HasSubstr("no log file"));
    EXPECT_THAT(text, HasSubstr(path));
    EXPECT_THAT(text, HasSubstr(" shown\n"));
    EXPECT_THAT(text, testing::Not(HasSubstr("dropped")));
}

} // namespace
