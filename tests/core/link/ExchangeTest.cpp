// One exchange over a scripted port: the exact bytes, the second read of a late reply, damaged replies
// and purging, buffer bounds, port errors and byte order.

#include <gtest/gtest.h>

#include "ScriptedPort.h"
#include "link/CLink.h"

using namespace tarvola;
using tarvola::test::frame;
using tarvola::test::ScriptedPort;

namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kAck = frame(2, {4, 0, 0, 0, 0, 0});

LinkTiming noPause()
{
    LinkTiming t;
    t.shortReplyPauseMs = 0;
    return t;
}

struct Exchange : ::testing::Test {
    ScriptedPort* port = new ScriptedPort;
    CLink link{noPause(), std::unique_ptr<CSerialPort>(port)};
    ExchangeBuffer b{};
    std::uint8_t len = 0, code = 0;

    bool send(std::uint8_t requestCode, const Bytes& payload,
              CLink::ReadMode mode = CLink::ReadMode::CompleteLateBytes)
    {
        b.fill(0);
        std::copy(payload.begin(), payload.end(), b.begin());
        len = static_cast<std::uint8_t>(payload.size());
        code = requestCode;
        return link.exchange(b, len, code, "", mode);
    }
    // The identity request.
    bool identity(CLink::ReadMode mode = CLink::ReadMode::CompleteLateBytes)
    {
        return send(2, {0x0D, 0, 0, 0, 0, 0}, mode);
    }
    Bytes reply() const { return Bytes(b.begin(), b.begin() + len); }
    bool bufferClear() const { return std::all_of(b.begin(), b.end(), [](auto x) { return x == 0; }); }
};

} // namespace

TEST_F(Exchange, TheLongestReplyFitsAndItsChecksumDoesNotLinger)
{
    port->chunks.push_back(frame(24, Bytes(255, 0x22)));
    ASSERT_TRUE(identity());
    EXPECT_EQ(reply(), Bytes(255, 0x22));
    EXPECT_EQ(b[255], 0);
    EXPECT_EQ(b[256], 0);
}

TEST_F(Exchange, AReplyInTwoPiecesIsCompletedOnlyWhenAskedTo)
{
    const auto whole = frame(8, Bytes(30, 0x41));
    const Bytes first(whole.begin(), whole.begin() + 10);
    const Bytes rest(whole.begin() + 10, whole.end());
    // The rest arrives only after the first payload read has come back short.
    port->chunks = {first, {}, rest};
    ASSERT_TRUE(identity());
    EXPECT_EQ(reply(), Bytes(30, 0x41));
    EXPECT_EQ(port->reads, 3);

    port->chunks = {first, {}, rest};
    port->reads = 0;
    EXPECT_FALSE(identity(CLink::ReadMode::FailShortRead));
    EXPECT_EQ(port->reads, 2);
}

TEST_F(Exchange, DamagedRepliesAndLineErrorsFailTheExchangeOnly)
{
    Bytes plusOne = kAck, minusOne = kAck, swapped = kAck;
    ++plusOne.back();
    --minusOne.back();
    std::swap(swapped[0], swapped[1]);
    Bytes lying{0xAA, 0x55, 0xFF, 0x08}; // LEN 255 announced, 20 bytes delivered
    lying.resize(24, 0x11);
    struct Case {
        const char* name;
        Bytes reply;
        std::deque<std::uint32_t> lineErrors;
        int reads;
    };
    const Case cases[] = {
        {"checksum + 1", plusOne, {}, 2},
        {"checksum - 1", minusOne, {}, 2},
        {"longer than what came: read once more, then given up", lying, {}, 3},
        // The line is checked after writing, before reading the payload and at the end.
        {"line error after writing", kAck, {CSerialPort::Frame}, 0},
        {"line error before the payload", kAck, {0, CSerialPort::Frame}, 1},
        {"line error at the end", kAck, {0, 0, CSerialPort::Frame}, 2},
        // The rest of this reply stays in the driver.
        {"start pair swapped: nothing read after the header", swapped, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port->chunks = {c.reply};
        port->lineErrors = c.lineErrors;
        port->reads = 0;
        EXPECT_FALSE(identity());
        EXPECT_EQ(port->reads, c.reads);
        if (c.reply == lying) {
            EXPECT_TRUE(bufferClear()) << "the bytes where a checksum should be are no reply";
        }
    }
    // Whatever a failed exchange left in the driver is purged before the next request, or it would
    // be read as the next reply's header.
    port->chunks = {kAck};
    EXPECT_TRUE(identity());
}

TEST_F(Exchange, PortErrorsPassThroughAndReleaseTheLock)
{
    port->failWrites = true;
    EXPECT_THROW(identity(), CRSError);
    port->failWrites = false;
    port->chunks.push_back(kAck);
    EXPECT_TRUE(identity()); // would block on a lock still held
}

TEST_F(Exchange, MultiByteFieldsAreSwappedOnlyInTheControllersOrder)
{
    // Code 8 carries two 32-bit fields and two 16-bit fields.
    const Bytes pc{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes wire{4, 3, 2, 1, 8, 7, 6, 5, 10, 9, 12, 11};
    const auto payloadSent = [&] { return Bytes(port->written.begin() + 4, port->written.end() - 2); };

    ASSERT_TRUE(link.nativeByteOrder()); // before a link check bytes go as they are
    port->chunks.push_back(frame(8, wire));
    ASSERT_TRUE(send(8, pc));
    EXPECT_EQ(payloadSent(), pc);
    EXPECT_EQ(reply(), wire);

    link.setNativeByteOrder(false);
    port->written.clear();
    port->chunks.push_back(frame(8, wire));
    ASSERT_TRUE(send(8, pc));
    EXPECT_EQ(payloadSent(), wire);
    EXPECT_EQ(port->written.back(), frame(8, wire).back()); // the checksum is the same sum
    EXPECT_EQ(reply(), pc);
}
