// Which reply each command takes and how often it tries, with the controller's replies scripted byte
// for byte.

#include <functional>

#include "ScriptedDevice.h"

using namespace tarvola;
using namespace tarvola::test;

using Accept = ScriptedDevice;

TEST_F(Accept, EachCommandTakesOnlyItsReplyAndTriesItsNumberOfTimes)
{
    std::array<std::uint8_t, 28> base{};
    std::array<std::uint8_t, 4> flags{7, 7, 7, 7};
    std::array<std::uint8_t, 96> memory{};
    memory.fill(0xEE);
    std::array<std::uint8_t, 20> busQuery{};
    std::vector<std::uint8_t> busReply;
    const Bytes image(512, 0x11);
    struct Case {
        const char* name;
        std::vector<Bytes> replies; // then silence
        std::function<bool()> run;
        bool ok;
        std::size_t requests;
    };
    const Case cases[] = {
        {"an acknowledge carries 4 and the control code", {kNak, frame(3, {4, 0, 0, 0, 0, 0}), kAck},
         [&] { return device.storeMap(); }, true, 3},
        {"silence: fourteen attempts", {}, [&] { return device.storeMap(); }, false, 14},
        {"a read takes only its reply code", {frame(4, Bytes(28, 1)), frame(3, Bytes(28, 2))},
         [&] { return device.readSettingsBlock(SettingsBlock::Base, base); }, true, 2},
        {"an acknowledge is no read reply", std::vector<Bytes>(14, kAck),
         [&] { return device.readErrorFlags(flags); }, false, 14},
        {"a firmware request stops at any control reply", {kNak}, [&] { return device.firmwareRequest96(); },
         false, 1},
        {"... and has no petrol step before it", {frame(5, {}), kAck},
         [&] { return device.firmwareRequest10() && port->written[4] == 10; }, true, 2},
        {"the programming entry tries once", {}, [&] { return device.enterProgramming(); }, false, 1},
        {"a bus query tries once", {}, [&] { return device.busRequest(busQuery, busReply); }, false, 1},
        // Words 0 and 64 are not sent; 128 is acknowledged, 192 never.
        {"a firmware block tries three times and ends the write", {kAck},
         [&] { return device.writeFirmware(image, 4); }, false, 1 + 3},
        {"a memory range stops at the first failed piece", {frame(5, Bytes(34, 1))},
         [&] { return device.readMemoryRange(0x100, memory); }, false, 1 + 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port->written.clear();
        port->chunks.clear();
        for (const auto& r : c.replies)
            reply(r);
        EXPECT_EQ(c.run(), c.ok);
        EXPECT_EQ(requests().size(), c.requests);
    }
    EXPECT_EQ(base[27], 2);
    // Outputs are written only on success.
    EXPECT_EQ(flags[0], 7);
    EXPECT_EQ(memory[0], 0xEE);
}

TEST_F(Accept, BusReplyIsCopiedAsLongAsItSaysAndRequestListsMustFitOneFrame)
{
    reply(frame(24, {1, 0, 0xE8, 0x07, 0, 0, 3, 0x41, 0, 0xBE, 0x1F, 0xA8, 0x13, 0}));
    std::array<std::uint8_t, 20> req{};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(device.busRequest(req, out));
    EXPECT_EQ(out.size(), 14u);
    EXPECT_EQ(out[7], 0x41);

    port->written.clear();
    EXPECT_FALSE(device.busRequests(0x7E0, 0x7E0, 0x7E0, std::vector<BusRequestItem>(61), out));
    EXPECT_TRUE(port->written.empty()) << "refused before anything is sent";
    reply(frame(24, {0, 0}));
    EXPECT_TRUE(device.busRequests(0x7E0, 0x7E8, 0x7FF, std::vector<BusRequestItem>(60), out));
    EXPECT_EQ(port->written[2], 14 + 4 * 60);
    EXPECT_EQ(port->written[4 + 12], 60); // the count, low byte first
}

TEST_F(Accept, MapBlockWriteNeedsTheCheckValueReadBack)
{
    MapBlock block{};
    block.fill(100);
    Bytes lastPiece{0x02, 0x40};
    lastPiece.resize(34, 0); // read back with a zero check value
    for (bool sealed : {false, true}) {
        SCOPED_TRACE(sealed ? "check value read back" : "zero check value read back");
        port->written.clear();
        reply(kAck, 9);
        if (sealed) {
            lastPiece[32] = block[286];
            lastPiece[33] = block[287];
        }
        reply(frame(5, lastPiece));
        EXPECT_EQ(device.writeMapBlock(block), sealed);
        EXPECT_EQ(requests().size(), 10u);
    }
}
