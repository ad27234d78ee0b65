#include <gtest/gtest.h>

#include <vector>

#include "package/MapImage.h"
#include "package/Package.h"
#include "platform/Clock.h"

namespace {

TEST(MapKey, DerivationWrapsBytesAndHalvesTheFullSum)
{
    MapRandomBlock r{};
    r[5] = 0x10, r[15] = 0x20;    // K0 wraps below zero
    r[19] = 0x05, r[23] = 0x07;   // K1 wraps below zero
    r[106] = 0x41;                // K2 = 4 * 0x41 wraps
    r[101] = 0x9A;
    r[108] = 0xFE;                // K4 wraps
    r[113] = 0xFF, r[114] = 0xFF; // K5: 0x1FE halved, not (0xFE halved)
    r[111] = 0xF0, r[97] = 0x0F;
    r[115] = 0x33;
    r[99] = 0xF0;                 // K8 wraps
    r[104] = 0x44;
    r[112] = 0x01;                // K10 uses K1
    r[6] = 0x66;
    r[13] = 0x81;                 // K12 is an unsigned shift
    r[21] = 0x77;
    r[24] = 0x02;                 // K14 uses K0
    r[96] = 0x03;                 // K15 uses K6
    const MapKey expected = {0xF0, 0xFE, 0x04, 0x9A, 0x02, 0xFF, 0xFF, 0x33,
                             0x11, 0x44, 0x03, 0x66, 0x40, 0x77, 0x12, 0x02};
    EXPECT_EQ(DeriveMapKey(r), expected);
}

struct MapFixture {
    std::vector<uint8_t> payload;
    PackageHeader header;
    MapRandomBlock random;
    std::vector<uint8_t> image;

    MapFixture(uint32_t mapSize, uint32_t scrambleLength)
    {
        payload.resize(0x100 + mapSize);
        for (size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<uint8_t>(i * 3 + 1);
        header.mapOffset = 0x100;
        header.mapSize = mapSize;
        header.mapScrambleLength = scrambleLength;
        random = MakeMapRandomBlock(1234);
        image.assign(mapSize + 1024, 0xA5);
    }
    bool Fill() { return FillMapImage(image.data(), image.size(), payload.data(), payload.size(), header, random); }
    uint8_t MapByte(size_t j) const { return payload[0x100 + j]; }
};

TEST(MapImage, ScramblesLeadingBytesAndClipsTheLength)
{
    struct Case {
        const char* what;
        uint32_t mapSize;
        uint32_t scrambleLength;
        uint32_t scrambledBytes;
    };
    const Case cases[] = {
        {"part of the map scrambled", 0x300, 0x25, 0x25},
        {"length above the map size is clipped", 0x300, 0x1000, 0x300},
        {"length 0 leaves the map plain", 0x300, 0, 0},
        {"size not a multiple of a page", 0x1F1, 0x1F1, 0x1F1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapFixture f(c.mapSize, c.scrambleLength);
        ASSERT_TRUE(f.Fill());
        EXPECT_EQ(f.header.mapScrambleLength, c.scrambledBytes);
        MapKey key = DeriveMapKey(f.random);
        EXPECT_TRUE(std::equal(f.random.begin(), f.random.end(), f.image.begin()));
        for (uint32_t j = 0; j < c.mapSize; ++j) {
            uint8_t expected = j < c.scrambledBytes ? f.MapByte(j) ^ key[j % 16] : f.MapByte(j);
            ASSERT_EQ(f.image[256 + j], expected) << "map byte " << j;
        }
        // Sums over whole pages reach into the tail: it must be erased-flash.
        for (size_t i = 256 + c.mapSize; i < f.image.size(); ++i)
            ASSERT_EQ(f.image[i], 0xFF) << "tail byte " << i;
    }
}

TEST(MapImage, RefusesAMapOutsideThePayloadOrTheBuffer)
{
    struct Case {
        const char* what;
        uint32_t mapOffset;
        uint32_t mapSize;
        size_t capacity;
    };
    const Case cases[] = {
        {"ends one byte past the payload", 0x101, 0x300, 0x300 + 1024},
        {"offset wraps 32 bits", 0xFFFFFF00u, 0x300, 0x300 + 1024},
        {"buffer too small for the image", 0x100, 0x300, 0x300 + 255},
        {"absent map", 0x100, kAreaAbsent, 0x300 + 1024},
    };
    for (const Case& c : cases) {
        MapFixture f(0x300, 0x10);
        f.header.mapOffset = c.mapOffset;
        f.header.mapSize = c.mapSize;
        EXPECT_FALSE(FillMapImage(f.image.data(), c.capacity, f.payload.data(), f.payload.size(), f.header, f.random))
            << c.what;
        EXPECT_EQ(f.image, std::vector<uint8_t>(0x300 + 1024, 0xA5)) << c.what << ": nothing written";
    }
}

TEST(MapImage, RandomBlockFollowsTheClockTicks)
{
    EXPECT_EQ(MakeMapRandomBlock(500), MakeMapRandomBlock(500));
    EXPECT_NE(MakeMapRandomBlock(500), MakeMapRandomBlock(501));

    const uint32_t mapSize = 0x200;
    const std::vector<uint8_t> payload(0x100 + mapSize, 0);
    PackageHeader header;
    header.mapOffset = 0x100;
    header.mapSize = mapSize;
    header.mapScrambleLength = mapSize;

    std::vector<std::vector<uint8_t>> images;
    for (uint32_t ticks : {1000u, 1001u}) {
        std::vector<uint8_t> image(mapSize + 1024);
        const MapRandomBlock random = MakeMapRandomBlock(ticks);
        ASSERT_TRUE(FillMapImage(image.data(), image.size(), payload.data(), payload.size(), header, random));
        EXPECT_TRUE(std::equal(random.begin(), random.end(), image.begin()));
        images.emplace_back(image.begin(), image.begin() + 256 + mapSize);
    }
    EXPECT_NE(images[0], images[1]) << "another tick count gives another block, key and image";
}

} // namespace
