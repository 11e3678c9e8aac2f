// Acceptance rules of the commands, with the controller's replies scripted byte for byte.

#include <gtest/gtest.h>

#include "core/link/ScriptedPort.h"
#include "device/CLPGDevice.h"

using namespace tarvola;
using tarvola::test::frame;
using tarvola::test::ScriptedPort;

namespace {
struct Accept : ::testing::Test {
    CSilentPrompt prompt;
    ScriptedPort* port = nullptr;
    std::unique_ptr<CLPGDevice> device;
    void SetUp() override
    {
        LinkTiming t;
        t.switchPauseMs = 0;
        t.shortReplyPauseMs = 0;
        t.petrolPollPauseMs = 0;
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        device = std::make_unique<CLPGDevice>(prompt, t, AppConfig("/nonexistent/x.conf"), std::move(p));
    }
    // One reply per exchange: the frame arrives at the header read, nothing more at the payload read.
    void reply(const std::vector<std::uint8_t>& f)
    {
        port->chunks.push_back(f);
        port->chunks.push_back({});
    }
    std::size_t requestsSent() const
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 1 < port->written.size(); ++i)
            n += port->written[i] == 0xAA && port->written[i + 1] == 0x55;
        return n;
    }
};

const std::vector<std::uint8_t> kAck = frame(2, {4, 0, 0, 0, 0, 0});
const std::vector<std::uint8_t> kNak = frame(2, {0, 0, 0, 0, 0, 0});
} // namespace

TEST_F(Accept, AnAcknowledgeMustCarryFourAndTheRightCode)
{
    reply(kNak);
    reply(frame(3, {4, 0, 0, 0, 0, 0}));
    reply(kAck);
    EXPECT_TRUE(device->storeMap());
    EXPECT_EQ(requestsSent(), 3u);
}

TEST_F(Accept, ReadsTakeOnlyTheirReplyCodeAndKeepTheOutputOnFailure)
{
    reply(frame(4, std::vector<std::uint8_t>(28, 1))); // the adv block's code, not the base's
    reply(frame(3, std::vector<std::uint8_t>(28, 2)));
    std::array<std::uint8_t, 28> base{};
    EXPECT_TRUE(device->readSettingsBlock(SettingsBlock::Base, base));
    EXPECT_EQ(base[27], 2);
    EXPECT_EQ(requestsSent(), 2u);

    std::array<std::uint8_t, 4> flags{7, 7, 7, 7};
    for (int i = 0; i < 14; ++i)
        reply(kAck);
    EXPECT_FALSE(device->readErrorFlags(flags));
    EXPECT_EQ(flags[0], 7);
}

TEST_F(Accept, FirmwareRequestsStopAtAnyControlReply)
{
    reply(kNak);
    EXPECT_FALSE(device->firmwareRequest96());
    EXPECT_EQ(requestsSent(), 1u);
    port->written.clear();
    reply(frame(5, {}));
    reply(kAck);
    EXPECT_TRUE(device->firmwareRequest10());
    EXPECT_EQ(requestsSent(), 2u);
    EXPECT_EQ(port->written[4], 10); // no switch-to-petrol before it
}

TEST_F(Accept, ProgrammingEntryAndBusQueriesTryOnce)
{
    EXPECT_FALSE(device->enterProgramming());
    EXPECT_EQ(requestsSent(), 1u);
    port->written.clear();
    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(device->busRequest(req, out));
    EXPECT_EQ(requestsSent(), 1u);
}

TEST_F(Accept, FirmwareBlocksTryThreeTimesAndEndTheWriteOnFailure)
{
    std::vector<std::uint8_t> image(512, 0x11);
    reply(kAck); // word 128
    EXPECT_FALSE(device->writeFirmware(image, 4)); // word 192 never acknowledged
    EXPECT_EQ(requestsSent(), 1u + 3u);
}

TEST_F(Accept, BusReplyIsCopiedAsLongAsItSays)
{
    reply(frame(24, {1, 0, 0xE8, 0x07, 0, 0, 3, 0x41, 0, 0xBE, 0x1F, 0xA8, 0x13, 0}));
    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(device->busRequest(req, out));
    EXPECT_EQ(out.size(), 14u);
    EXPECT_EQ(out[7], 0x41);

    // A request list that cannot fit one frame is refused before anything is sent.
    port->written.clear();
    std::vector<BusRequestItem> many(61);
    EXPECT_FALSE(device->busRequests(0x7E0, 0x7E0, 0x7E0, many, out));
    EXPECT_TRUE(port->written.empty());
    // The largest list that fits goes out with its count and length.
    std::vector<BusRequestItem> most(60);
    reply(frame(24, {0, 0}));
    EXPECT_TRUE(device->busRequests(0x7E0, 0x7E8, 0x7FF, most, out));
    EXPECT_EQ(port->written[2], 14 + 4 * 60);
    EXPECT_EQ(port->written[4 + 12], 60); // count, low byte first
}

TEST_F(Accept, MapBlockWriteNeedsTheCheckValueReadBack)
{
    MapBlock block{};
    block.fill(100);
    for (int i = 0; i < 9; ++i)
        reply(kAck);
    std::vector<std::uint8_t> piece{0x02, 0x40};
    piece.resize(34, 0);
    reply(frame(5, piece)); // the last piece comes back with a zero check value
    EXPECT_FALSE(device->writeMapBlock(block));
    EXPECT_EQ(requestsSent(), 10u);

    port->written.clear();
    for (int i = 0; i < 9; ++i)
        reply(kAck);
    piece[32] = block[286];
    piece[33] = block[287];
    reply(frame(5, piece));
    EXPECT_TRUE(device->writeMapBlock(block));
}

TEST_F(Accept, MemoryRangeStopsAtTheFirstFailedPiece)
{
    std::array<std::uint8_t, 96> out{};
    out.fill(0xEE);
    std::vector<std::uint8_t> piece(34, 0x01);
    reply(frame(5, piece));
    // The second piece never comes: fourteen silent attempts.
    EXPECT_FALSE(device->readMemoryRange(0x100, out));
    EXPECT_EQ(requestsSent(), 1u + 14u);
    EXPECT_EQ(out[0], 0xEE); // nothing written on failure
}
