// One exchange (completing late bytes or not) over a scripted port: exact bytes, the second read of a late
// reply, purging, start pair, checksum, line errors, buffer bounds and byte order.

#include <gtest/gtest.h>

#include "ScriptedPort.h"
#include "device/CLPGDevice.h"

using namespace tarvola;
using tarvola::test::frame;
using tarvola::test::ScriptedPort;

namespace {

class RecordingPrompt : public IUserPrompt {
public:
    std::vector<std::string> errors;
    void information(const std::string&) override {}
    void warning(const std::string&) override {}
    void error(const std::string& text) override { errors.push_back(text); }
    bool yesNo(const std::string&) override { return false; }
};

LinkTiming fastTiming()
{
    LinkTiming t;
    t.shortReplyPauseMs = 1;
    t.switchPauseMs = 0;
    t.petrolPollPauseMs = 1;
    return t;
}

struct Exchange : ::testing::Test {
    RecordingPrompt prompt;
    ScriptedPort* port = nullptr;
    std::unique_ptr<CLPGDevice> device;

    void SetUp() override
    {
        auto p = std::make_unique<ScriptedPort>();
        port = p.get();
        device = std::make_unique<CLPGDevice>(prompt, fastTiming(), AppConfig("/nonexistent/dir/x.conf"), std::move(p));
        CLPGDevice::resetNoLinkMessageForTesting();
    }

    // Sends the identity request and returns the exchange's result.
    bool identityExchange(ExchangeBuffer& b, std::uint8_t& len, std::uint8_t& code, bool status = false)
    {
        b.fill(0);
        b[0] = 0x0D;
        len = 6;
        code = 2;
        if (status)
            return device->link().exchange(b, len, code, "", CLink::ReadMode::FailShortRead);
        return device->sendReceive(b, len, code);
    }
};

} // namespace

TEST_F(Exchange, RequestGoesOutByteForByteAsOneWritePerByte)
{
    port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
    ExchangeBuffer b{};
    std::uint8_t len, code;
    ASSERT_TRUE(identityExchange(b, len, code));
    const std::vector<std::uint8_t> expected{0xAA, 0x55, 0x06, 0x02, 0x0D, 0, 0, 0, 0, 0, 0x00, 0x16};
    EXPECT_EQ(port->written, expected);
    EXPECT_EQ(port->writeCalls, 12);
    EXPECT_EQ(len, 6);
    EXPECT_EQ(code, 2);
}

TEST_F(Exchange, EmptyReplyPassesAndLeavesTheBufferClear)
{
    port->chunks.push_back({0xAA, 0x55, 0x00, 0x02, 0x00, 0x03});
    ExchangeBuffer b{};
    b.fill(0xEE);
    std::uint8_t len = 0, code = 7;
    ASSERT_TRUE(device->sendReceive(b, len, code));
    EXPECT_EQ(len, 0);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](auto x) { return x == 0; }));
    // A request with LEN 0 is a six-byte frame whose checksum is CODE + 1.
    EXPECT_EQ(port->written, (std::vector<std::uint8_t>{0xAA, 0x55, 0x00, 0x07, 0x00, 0x08}));
}

TEST_F(Exchange, ReplyInTwoPiecesCompletesOnlyInSendReceive)
{
    const auto whole = frame(8, std::vector<std::uint8_t>(30, 0x41));
    const std::vector<std::uint8_t> first(whole.begin(), whole.begin() + 10);
    const std::vector<std::uint8_t> rest(whole.begin() + 10, whole.end());

    // The rest arrives only after the first payload read has come back short.
    port->chunks = {first, {}, rest};
    ExchangeBuffer b{};
    std::uint8_t len, code;
    ASSERT_TRUE(identityExchange(b, len, code));
    EXPECT_EQ(len, 30);
    EXPECT_EQ(b[29], 0x41);
    EXPECT_EQ(b[30], 0); // checksum bytes do not linger past the reply
    EXPECT_EQ(port->reads, 3);

    port->chunks = {first, {}, rest};
    port->available.clear();
    port->reads = 0;
    EXPECT_FALSE(identityExchange(b, len, code, /*status=*/true));
    EXPECT_EQ(port->reads, 2);
}

TEST_F(Exchange, StaleInputIsPurgedBeforeTheRequest)
{
    // The tail of an earlier reply would otherwise be read as this reply's header.
    port->available = frame(3, {1, 2, 3});
    port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
    ExchangeBuffer b{};
    std::uint8_t len, code;
    ASSERT_TRUE(identityExchange(b, len, code));
    EXPECT_EQ(code, 2);
    EXPECT_GE(port->purges, 1);
}

TEST_F(Exchange, WrongStartPairFailsWithoutReadingFurther)
{
    auto reply = frame(2, {4, 0, 0, 0, 0, 0});
    std::swap(reply[0], reply[1]);
    port->chunks.push_back(reply);
    ExchangeBuffer b{};
    std::uint8_t len, code;
    EXPECT_FALSE(identityExchange(b, len, code));
    EXPECT_EQ(port->reads, 1);
    // The rest stays in the driver until the next exchange purges it.
    EXPECT_FALSE(port->available.empty());
    port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(identityExchange(b, len, code));
}

TEST_F(Exchange, ChecksumOffByOneFails)
{
    for (int delta : {-1, +1}) {
        auto reply = frame(2, {4, 0, 0, 0, 0, 0});
        reply.back() = static_cast<std::uint8_t>(reply.back() + delta);
        port->chunks.push_back(reply);
        ExchangeBuffer b{};
        std::uint8_t len, code;
        EXPECT_FALSE(identityExchange(b, len, code)) << delta;
    }
}

TEST_F(Exchange, LineErrorFailsTheExchangeAtEachCheck)
{
    // clearCommError runs after writing, before reading the payload and at the end.
    for (int failingCall = 0; failingCall < 3; ++failingCall) {
        port->lineErrors.clear();
        port->chunks.clear();
        for (int i = 0; i < failingCall; ++i)
            port->lineErrors.push_back(0);
        port->lineErrors.push_back(CSerialPort::Frame);
        port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
        ExchangeBuffer b{};
        std::uint8_t len, code;
        EXPECT_FALSE(identityExchange(b, len, code)) << "check " << failingCall;
    }
    port->lineErrors.clear();
    port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
    ExchangeBuffer b{};
    std::uint8_t len, code;
    EXPECT_TRUE(identityExchange(b, len, code));
}

TEST_F(Exchange, FramesThatLieAboutTheirLengthStayInsideTheBuffer)
{
    // LEN 255 announced, 20 bytes delivered: the exchange fails, nothing is read past what came.
    std::vector<std::uint8_t> lying{0xAA, 0x55, 0xFF, 0x08};
    lying.resize(24, 0x11);
    port->chunks.push_back(lying);
    ExchangeBuffer b{};
    std::uint8_t len, code;
    EXPECT_FALSE(identityExchange(b, len, code));
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](auto x) { return x == 0; }));

    // The longest possible reply (255 bytes) fits and is handed back whole.
    port->chunks.push_back(frame(24, std::vector<std::uint8_t>(255, 0x22)));
    ASSERT_TRUE(identityExchange(b, len, code));
    EXPECT_EQ(len, 255);
    EXPECT_EQ(b[254], 0x22);
    EXPECT_EQ(b[255], 0);
}

TEST_F(Exchange, PortErrorsPassThroughAndReleaseTheLock)
{
    port->failWrites = true;
    ExchangeBuffer b{};
    std::uint8_t len, code;
    EXPECT_THROW(identityExchange(b, len, code), CRSError);
    // The exchange lock was released on the way out: the next exchange does not block.
    port->failWrites = false;
    port->chunks.push_back(frame(2, {4, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(identityExchange(b, len, code));
}

TEST_F(Exchange, ByteOrderFollowsTheNativeFlag)
{
    // Before a link check the device keeps bytes as they come.
    ASSERT_TRUE(device->nativeByteOrder());
    port->chunks.push_back(frame(8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ExchangeBuffer b{};
    std::uint8_t len, code;
    ASSERT_TRUE(identityExchange(b, len, code));
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[8], 9);

    port->chunks.push_back(frame(2, {4, 0x21, 0x00, 0x55, 0, 0}));
    ASSERT_TRUE(device->checkLink());
    EXPECT_FALSE(device->nativeByteOrder());
    port->chunks.push_back(frame(8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_TRUE(identityExchange(b, len, code));
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(b[3], 1);
    EXPECT_EQ(b[8], 10);
    EXPECT_EQ(b[9], 9);
}
