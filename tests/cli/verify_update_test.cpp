#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.h"
#include "texts/UserTexts.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class VerifiedUpdate : public CliPackageFolder {
protected:
    CliRun Update(bool verify, const std::string& simulate)
    {
        std::vector<std::string> args = {"update", "--dir", m_dir.Path()};
        if (verify)
            args.push_back("--verify");
        return RunCli(args, "reattach=0;" + simulate, StateHome());
    }
    std::string Log() const
    {
        return ReadWholeFile((std::filesystem::path(StateHome()) / "kt7-updater" / "kt7-updater.log").string());
    }
};

// One page of the sample package stored with a bit flipped, wherever it lies:
// the verified run names the area or block it belongs to; the unverified one
// does not notice.
TEST_F(VerifiedUpdate, ACorruptPageFailsWithTheMessageOfWhereItLies)
{
    struct Case {
        const char* where;
        int page;  // the sample package: main from page 256, voice 512, map 768
        std::string message;
        const char* logged;
    };
    const Case cases[] = {
        {"map", 770, AreaWriteFailedMessage(1), "area 1 (map)"},
        {"voice", 519, AreaWriteFailedMessage(2), "area 2 (voice)"},
        {"main program", 271, AreaWriteFailedMessage(3), "area 3 (main program)"},
        {"check-code block", 160, kMsgCheckCodeWriteFailed, "check-code block"},
        {"descriptor block", 128, kMsgDescriptorWriteFailed, "program descriptor block"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        const std::string corrupt = "devices=2;corrupt=1@" + std::to_string(c.page);

        const CliRun verified = Update(true, corrupt);
        EXPECT_EQ(verified.exitCode, 4);
        EXPECT_THAT(verified.err, HasSubstr(c.message));
        EXPECT_THAT(Log(), HasSubstr("ERROR: read-back of " + std::string(c.logged) +
                                     " on device 1 (sim-1): differs at page " + std::to_string(c.page) + ", byte 128\n"));

        const CliRun unverified = Update(false, corrupt);
        EXPECT_EQ(unverified.exitCode, 0) << "a silent corruption passes unless read back\n" << unverified.err;
        EXPECT_THAT(unverified.err, Not(HasSubstr(c.message)));
    }
}

TEST_F(VerifiedUpdate, SoundDevicesPassTheReadBack)
{
    const CliRun run = Update(true, "devices=2");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(Log(), Not(HasSubstr("Read-back")));
}

TEST_F(VerifiedUpdate, VerifyGoesWithUpdateOnly)
{
    const CliRun run = RunCli({"info", "--verify", m_dir.Path()}, "", StateHome());
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_THAT(run.err, HasSubstr("--verify goes with update"));
}

} // namespace
