#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Sha256.h"
#include "support/PackageTestFiles.h"

namespace {

TEST(Sha256, StandardTestVectors)
{
    struct Case {
        const char* what;
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits: the length fills a second block", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"896 bits",
         "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
         "nopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        // Lengths around the padding's edges (digests from coreutils' sha256sum).
        {"55 bytes: the length still fits the block", std::string(55, 'a'),
         "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"63 bytes", std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {"64 bytes: padding is a block of its own", std::string(64, 'a'),
         "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {"one million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sha256Hex(Sha256Of(c.message)), c.digest) << c.what;
}

// Every split of a message across two updates, around the block boundary
// and the padding's 56-byte edge, gives the one-shot digest.
TEST(Sha256, PiecesGiveTheSameDigestAsOneBuffer)
{
    for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 130u}) {
        const std::vector<uint8_t> message = PatternBytes(length, static_cast<uint8_t>(length));
        const Sha256Digest whole = Sha256Of(message.data(), message.size());
        for (size_t split = 0; split <= length; ++split) {
            Sha256 hash;
            hash.Update(message.data(), split);
            hash.Update(message.data() + split, length - split);
            ASSERT_EQ(hash.Finish(), whole) << "length " << length << " split at " << split;
        }
    }
}

TEST(Sha256, FileIsHashedWholeInPieces)
{
    PackageTempDir dir;
    // Larger than one read piece and not a multiple of it.
    const std::vector<uint8_t> bytes = PatternBytes(200 * 1024 + 17, 3);
    WriteBytesToFile(dir.File("package.dat"), bytes);
    const std::optional<Sha256Digest> digest = Sha256OfFile(dir.File("package.dat"));
    ASSERT_TRUE(digest);
    EXPECT_EQ(*digest, Sha256Of(bytes.data(), bytes.size()));

    WriteBytesToFile(dir.File("empty.dat"), {});
    EXPECT_EQ(Sha256OfFile(dir.File("empty.dat")), Sha256Of(""));

    EXPECT_FALSE(Sha256OfFile(dir.File("missing.dat")));
    EXPECT_FALSE(Sha256OfFile(dir.Path())) << "a folder is no file to hash";
}

}  // namespace
