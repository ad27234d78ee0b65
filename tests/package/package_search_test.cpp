// Where the package and the boot-loader image are looked for, over a small
// tree of real folders: program/ stands for the program's folder, current/
// for the working folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "package/PackageSearch.h"
#include "support/PackageTestFiles.h"

namespace {

// `path` with the system's separators ('\' on Windows; unchanged on Linux).
std::string Native(const std::string& path)
{
    return std::filesystem::path(path).make_preferred().string();
}

namespace fs = std::filesystem;

struct SearchCase {
    const char* name;
    std::vector<std::string> files;    // created under the tree; a trailing '/' makes a folder
    std::string choice;                // relative to current/ unless it starts with '/'
    std::string fileName;
    std::string expectedPath;          // relative to the tree
    bool expectedFound;
    bool programKnown = true;
};

void PrintTo(const SearchCase& c, std::ostream* out)
{
    *out << c.name;
}

class PackageSearch : public testing::TestWithParam<SearchCase> {
protected:
    void SetUp() override
    {
        fs::create_directories(m_tree.File("program"));
        fs::create_directories(m_tree.File("current"));
        for (const std::string& file : GetParam().files) {
            if (file.back() == '/')
                fs::create_directories(m_tree.File(file));
            else {
                fs::create_directories(fs::path(m_tree.File(file)).parent_path());
                WriteBytesToFile(m_tree.File(file), {1, 2, 3});
            }
        }
    }
    // Written with '/', shown with the system's separator.
    std::string Path(const std::string& relative) const { return Native(m_tree.File(relative)); }

    PackageTempDir m_tree;
};

TEST_P(PackageSearch, FindsTheExpectedFile)
{
    const SearchCase& c = GetParam();
    std::string choice = c.choice;
    if (choice.starts_with("/"))
        choice = Path(choice.substr(1));
    PackagePlaces places{choice, c.programKnown ? Path("program/") : "", Path("current")};
    PackageLocation location = FindPackageFile(places, c.fileName);
    EXPECT_EQ(location.path, Path(c.expectedPath));
    EXPECT_EQ(location.found, c.expectedFound);
}

const SearchCase kSearchCases[] = {
    {"ProgramFolderComesBeforeCurrentFolder", {"program/KT7_Down.dat", "current/KT7_Down.dat"}, "",
     "KT7_Down.dat", "program/KT7_Down.dat", true},
    {"CurrentFolderWhenTheProgramFolderHasNone", {"current/KT7_Down.dat"}, "", "KT7_Down.dat",
     "current/KT7_Down.dat", true},
    {"NothingAnywhereNamesTheProgramFolder", {}, "", "KT7_Down.dat", "program/KT7_Down.dat", false},
    {"DeviceSpecificNameIsTheOnlyOneLookedFor", {"program/KT7_Down.dat", "current/KT7_Down0100.dat"}, "",
     "KT7_Down0100.dat", "current/KT7_Down0100.dat", true},
    {"FolderWithThePackagesNameIsPassedOver", {"program/KT7_Down.dat/", "current/KT7_Down.dat"}, "",
     "KT7_Down.dat", "current/KT7_Down.dat", true},
    {"UnknownProgramFolderLeavesTheCurrentFolder", {"current/KT7_Down.dat"}, "", "KT7_Down.dat",
     "current/KT7_Down.dat", true, false},
    {"ChosenFileIsUsedWhateverItsName", {"program/KT7_Down.dat", "chosen/update 2026.bin"},
     "/chosen/update 2026.bin", "KT7_Down.dat", "chosen/update 2026.bin", true},
    {"ChosenFolderIsSearchedForTheName", {"program/KT7_Down.dat", "chosen/KT7_Down.dat"}, "/chosen",
     "KT7_Down.dat", "chosen/KT7_Down.dat", true},
    {"ChosenFolderWithoutThePackageIsNotPassedOver", {"program/KT7_Down.dat", "current/KT7_Down.dat", "chosen/"},
     "/chosen", "KT7_Down.dat", "chosen/KT7_Down.dat", false},
    {"MissingChosenFileIsNotPassedOver", {"program/KT7_Down.dat"}, "/chosen/gone.dat", "KT7_Down.dat",
     "chosen/gone.dat", false},
    {"RelativeChoiceIsTakenFromTheCurrentFolder", {"current/sub/KT7_Down.dat", "program/KT7_Down.dat"},
     "./sub/../sub", "KT7_Down.dat", "current/sub/KT7_Down.dat", true},
};

INSTANTIATE_TEST_SUITE_P(Places, PackageSearch, testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BootloaderImageSearch, BesideThePackageElseInTheProgramFolder)
{
    PackageTempDir tree;
    fs::create_directories(tree.File("program"));
    fs::create_directories(tree.File("downloads"));
    fs::create_directories(tree.File("elsewhere"));
    WriteBytesToFile(tree.File("program/Smpl_HIDTransfer.bin"), {1});
    WriteBytesToFile(tree.File("downloads/Smpl_HIDTransfer.bin"), {2});
    const std::string program = tree.File("program/");

    EXPECT_EQ(FindBootloaderImage(tree.File("downloads/KT7_Down.dat"), program, "Smpl_HIDTransfer.bin"),
              Native(tree.File("downloads/Smpl_HIDTransfer.bin")));
    EXPECT_EQ(FindBootloaderImage(tree.File("elsewhere/KT7_Down.dat"), program, "Smpl_HIDTransfer.bin"),
              Native(tree.File("program/Smpl_HIDTransfer.bin")));
    EXPECT_EQ(FindBootloaderImage("", program, "Smpl_HIDTransfer.bin"),
              Native(tree.File("program/Smpl_HIDTransfer.bin")));
}

} // namespace
