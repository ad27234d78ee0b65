// Runs each corpus file through its fuzz target. A fault aborts the test
// program (or, in the sanitizer build, is reported by the sanitizer).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

struct CorpusFile {
    const FuzzTarget* target;
    fs::path path;
};

void PrintTo(const CorpusFile& file, std::ostream* out)
{
    *out << file.target->name << "/" << file.path.filename().string();
}

std::vector<CorpusFile> ListCorpus()
{
    std::vector<CorpusFile> files;
    for (const FuzzTarget& target : kFuzzTargets) {
        fs::path folder = fs::path(KT7_FUZZ_CORPUS_DIR) / target.name;
        std::vector<fs::path> paths;
        if (fs::is_directory(folder))
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.is_regular_file())
                    paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        for (auto& path : paths)
            files.push_back({&target, path});
    }
    return files;
}

std::vector<uint8_t> ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TestNameOf(const testing::TestParamInfo<CorpusFile>& info)
{
    std::string name = std::string(info.param.target->name) + "_" + info.param.path.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class CorpusReplay : public testing::TestWithParam<CorpusFile> {};

TEST_P(CorpusReplay, RunsWithoutFault)
{
    std::vector<uint8_t> bytes = ReadWhole(GetParam().path);
    EXPECT_EQ(GetParam().target->entry(bytes.data(), bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusReplay, testing::ValuesIn(ListCorpus()), TestNameOf);

// A target without seeds would replay nothing and still pass.
TEST(CorpusReplay, EveryTargetHasSeeds)
{
    std::vector<CorpusFile> files = ListCorpus();
    for (const FuzzTarget& target : kFuzzTargets)
        EXPECT_TRUE(std::any_of(files.begin(), files.end(), [&](const CorpusFile& f) { return f.target == &target; }))
            << "no corpus files for " << target.name;
}

}  // namespace
