// This PC's stamp: the machine id's first 32 bits, the host id when there is none, and the
// replaceable source the base-block write asks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/PcStamp.h"

using namespace tarvola;

TEST(PcStamp, FirstEightHexDigitsOfTheMachineIdOrElseTheHostId)
{
    const auto path = std::filesystem::temp_directory_path() / ("tarvola-machine-id-" + std::to_string(::getpid()));
    EXPECT_EQ(pcStampFromMachineId(path), std::nullopt);
    EXPECT_EQ(systemPcStamp(path), pcStampFromHostId());
    const std::pair<const char*, std::optional<PcStamp>> cases[] = {
        {"0123abcd456789ef0123456789abcdef\n", PcStamp{0x01, 0x23, 0xAB, 0xCD}},
        {"FEDCBA98", PcStamp{0xFE, 0xDC, 0xBA, 0x98}},
        {"0123abc", std::nullopt},      // too short
        {"0123abgd4567", std::nullopt}, // not hex
        {"", std::nullopt},
    };
    for (const auto& [text, stamp] : cases) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(pcStampFromMachineId(path), stamp) << '"' << text << '"';
        if (stamp) {
            EXPECT_EQ(systemPcStamp(path), stamp);
        }
    }
    std::filesystem::remove(path);
}

TEST(PcStamp, ScopedSourceReplacesAndRestores)
{
    const auto system = thisPcStamp();
    {
        ScopedPcStampSource a([] { return std::optional<PcStamp>(PcStamp{1, 2, 3, 4}); });
        {
            ScopedPcStampSource none([] { return std::optional<PcStamp>(); });
            EXPECT_EQ(thisPcStamp(), std::nullopt);
        }
        EXPECT_EQ(thisPcStamp(), (PcStamp{1, 2, 3, 4}));
    }
    EXPECT_EQ(thisPcStamp(), system);
}
