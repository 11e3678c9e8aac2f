// The live polling thread against the virtual controller: its pace, its failure rules, its ways
// out and its recording.

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <thread>

#include "SimFixture.h"
#include "monitor/CDiagFile.h"
#include "device/CDiagInputThread.h"
#include "device/DiagPolling.h"

using namespace tarvola;
using namespace std::chrono_literals;

namespace {

struct LostCounter : IDeviceListener {
    std::atomic<int> lost{0};
    void controllerLost() override { ++lost; }
};

template <class F>
bool waitFor(F condition)
{
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

bool onlyTheReaperLeft()
{
    return lpgThreadManager().count() == 1;
}

// A raw reply frame (16-bit fields of the payload as they travel, big-endian).
std::vector<std::uint8_t> replyFrame(std::uint8_t code, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> f(payload.size() + 6);
    f[0] = 0xAA;
    f[1] = 0x55;
    f[2] = static_cast<std::uint8_t>(payload.size());
    f[3] = code;
    std::copy(payload.begin(), payload.end(), f.begin() + 4);
    const unsigned sum = std::accumulate(payload.begin(), payload.end(), 1u + payload.size() + code);
    f[f.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    f[f.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
    return f;
}

struct Polling : test::SimLink {
    LostCounter listener;
    std::string recording = (std::filesystem::temp_directory_path() /
                             ("tarvola-poll-" + std::to_string(::getpid()) + ".osc")).string();

    void SetUp() override { resetDiagFailureCountForTesting(); }
    void TearDown() override
    {
        SimLink::TearDown();
        std::filesystem::remove(recording);
    }
    // Quick failures: a silent controller costs about 120 ms a poll.
    void startQuick()
    {
        LinkTiming t = test::quickTiming();
        t.pollPauseMs = 20;
        t.readTimeoutConstantMs = 100;
        start({}, t);
        device->setListener(&listener);
    }
    bool samplesAtLeast(std::size_t n) const
    {
        return waitFor([&] { return device->diagData().count() >= n; });
    }
    std::vector<CDiag> samples() const
    {
        std::vector<CDiag> out;
        device->diagData().copyRange(out, 0, 1000);
        return out;
    }
};

} // namespace

TEST_F(Polling, SamplesArriveAtThePollPaceAndAStopKeepsTheWholeRecording)
{
    start();
    ASSERT_TRUE(device->startDiagnostics(recording));
    ASSERT_TRUE(samplesAtLeast(10));
    device->stopDiagnostics();
    // stop returns with the thread gone and the recording closed.
    EXPECT_TRUE(onlyTheReaperLeft());
    const auto frames = sim->received();

    const auto got = samples();
    EXPECT_EQ(got.back().sequence(), got.size()); // numbered 1, 2, ... from the start
    DiagRecording rec;
    ASSERT_TRUE(CDiagFile::readRecording(recording, rec));
    ASSERT_EQ(rec.records.size(), got.size());
    EXPECT_EQ(rec.records.back().petrolMs[0], recordValues(got.back(), {})[2]);

    // One poll every pause plus one exchange (unpaced here: a fraction of a millisecond).
    const double meanMs =
        std::chrono::duration<double, std::milli>(frames.back().at - frames.front().at).count() / (frames.size() - 1);
    RecordProperty("poll_period_ms", std::to_string(meanMs));
    EXPECT_GE(meanMs, 100);
    EXPECT_LT(meanMs, 200);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sim->received().size(), frames.size());
}

TEST_F(Polling, FailuresAndOtherRepliesBeforeAGoodOneKeepTheLink)
{
    startQuick();
    std::vector<std::uint8_t> other(82, 0);
    other[0] = 0x77;
    sim->dropNext(5);
    sim->injectRawReply(replyFrame(3, other));
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(samplesAtLeast(2));
    device->stopDiagnostics();

    // Had the other reply counted, six failures would have lost the link; had it been stored, the
    // first sample would carry its mode.
    EXPECT_GE(sim->received().size(), 8u);
    EXPECT_EQ(diagFailureCount(), 0);
    EXPECT_TRUE(device->isConnected());
    EXPECT_EQ(listener.lost, 0);
    EXPECT_EQ(samples().front().workMode(), ModePetrol);
    EXPECT_EQ(samples().front().sequence(), 1u);
}

TEST_F(Polling, SixFailuresInARowLoseTheControllerOnce)
{
    startQuick();
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(samplesAtLeast(2));
    sim->dropNext(6);
    ASSERT_TRUE(waitFor(onlyTheReaperLeft));
    EXPECT_EQ(listener.lost, 1);
    EXPECT_FALSE(device->isConnected());
    EXPECT_EQ(device->diagData().count(), 0u);

    // The controller answers again: the reconnect attempt finds it on the last port.
    ASSERT_TRUE(device->reconnect());
    EXPECT_TRUE(device->isConnected());

    // The count belongs to the program: the next thread's first failure decides at once, and only
    // a good poll starts afresh.
    sim->dropNext(1);
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(waitFor(onlyTheReaperLeft));
    EXPECT_EQ(listener.lost, 2);
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(samplesAtLeast(1));
    EXPECT_EQ(diagFailureCount(), 0);
}

TEST_F(Polling, VanishingControllerEndsTheThreadAsALossWithItsRecordingClosed)
{
    startQuick();
    ASSERT_TRUE(device->startDiagnostics(recording));
    ASSERT_TRUE(samplesAtLeast(3));
    sim->vanish();
    ASSERT_TRUE(waitFor(onlyTheReaperLeft));
    EXPECT_EQ(listener.lost, 1);
    EXPECT_FALSE(device->isConnected());
    EXPECT_EQ(device->diagData().count(), 0u);
    DiagRecording rec;
    ASSERT_TRUE(CDiagFile::readRecording(recording, rec));
    EXPECT_GE(rec.records.size(), 3u);
}

TEST_F(Polling, LongReplyKeepsItsFirst82BytesAndGasVariantsReadAsGas)
{
    start();
    std::vector<std::uint8_t> payload(90, 0xEE);
    std::fill_n(payload.begin(), 82, 0);
    payload[0] = 5;
    payload[9] = 0xAB;
    payload[17] = 200;
    sim->injectRawReply(replyFrame(1, payload));
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(samplesAtLeast(2));
    device->stopDiagnostics();

    const CDiag s = samples().front();
    ASSERT_EQ(s.byte(9), 0xAB);
    EXPECT_EQ(s.workMode(), ModeGas);
    EXPECT_EQ(s.word(diag::PeriodCount), 200);
    EXPECT_EQ(s.byte(82), 0);
    EXPECT_EQ(s.byte(83), 0);
    EXPECT_EQ(s.sequence(), 1u);
}

TEST_F(Polling, OneThreadAtATimeEvenWhenTheDeviceGoes)
{
    start();
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(device->startDiagnostics()); // replaces the first
    EXPECT_EQ(lpgThreadManager().count(), 2u);
    ASSERT_TRUE(samplesAtLeast(1));
    // A device destroyed while polling ends its thread first.
    device.reset();
    EXPECT_TRUE(onlyTheReaperLeft());
}
