// The live polling thread against the virtual controller: its pace, its failure rules, its ways
// out and its recording.

#include "SimFixture.h"
#include "monitor/CDiagFile.h"
#include "device/CDiagInputThread.h"
#include "device/DiagPolling.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {

struct LostCounter : IDeviceListener {
    std::atomic<int> lost{0};
    void controllerLost() override { ++lost; }
};

bool onlyTheReaperLeft()
{
    return lpgThreadManager().count() == 1;
}

struct Polling : SimLink {
    LostCounter listener;
    std::string recording = (scratch() / "poll.osc").string();

    void SetUp() override { resetDiagFailureCountForTesting(); }
    // Quick failures: a silent controller costs about 120 ms a poll.
    void startQuick()
    {
        LinkTiming t = quickTiming();
        t.pollPauseMs = 20;
        t.readTimeoutConstantMs = 100;
        start({}, t);
        device->setListener(&listener);
    }
    bool samplesAtLeast(std::size_t n) const
    {
        return eventually([&] { return device->diagData().count() >= n; });
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
    // stop returns with the thread gone and the recording closed: the next frame is ours.
    EXPECT_TRUE(onlyTheReaperLeft());
    const auto frames = sim->received();
    ASSERT_TRUE(device->readStatistics());
    ASSERT_EQ(sim->received().size(), frames.size() + 1);
    EXPECT_EQ(sim->received().back().bytes, controlFrame(17));

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
}

// What the thread stores: failed polls and a reply of another code are neither samples nor (before
// the first good poll) failures that count, or six of them would have lost the link; a long reply
// keeps its first 82 bytes, and the gas variants of the mode byte read as gas.
TEST_F(Polling, OnlyPollRepliesBecomeSamplesCutToTheirLength)
{
    std::vector<std::uint8_t> other(82, 0), longer(90, 0xEE);
    other[0] = 0x77;
    std::fill_n(longer.begin(), 82, 0);
    longer[0] = 5;
    longer[9] = 0xAB;
    longer[17] = 200;
    for (const bool isLong : {false, true}) {
        SCOPED_TRACE(isLong ? "long reply" : "failures and another reply");
        startQuick();
        sim->dropNext(isLong ? 0 : 5);
        sim->injectRawReply(isLong ? frameOf(1, longer) : frameOf(3, other));
        ASSERT_TRUE(device->startDiagnostics());
        ASSERT_TRUE(samplesAtLeast(2));
        device->stopDiagnostics();
        EXPECT_EQ(diagFailureCount(), 0);
        EXPECT_TRUE(device->isConnected());
        EXPECT_EQ(listener.lost, 0);
        const CDiag s = samples().front();
        EXPECT_EQ(s.sequence(), 1u);
        EXPECT_EQ(s.workMode(), isLong ? ModeGas : ModePetrol);
        if (isLong) {
            EXPECT_EQ(s.byte(9), 0xAB);
            EXPECT_EQ(s.word(diag::PeriodCount), 200);
            EXPECT_EQ(s.byte(82) + s.byte(83), 0);
        }
        TearDown();
    }
}

TEST_F(Polling, SixFailuresInARowLoseTheControllerOnce)
{
    startQuick();
    ASSERT_TRUE(device->startDiagnostics());
    ASSERT_TRUE(samplesAtLeast(2));
    sim->dropNext(6);
    ASSERT_TRUE(eventually(onlyTheReaperLeft));
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
    ASSERT_TRUE(eventually(onlyTheReaperLeft));
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
    ASSERT_TRUE(eventually(onlyTheReaperLeft));
    EXPECT_EQ(listener.lost, 1);
    EXPECT_FALSE(device->isConnected());
    EXPECT_EQ(device->diagData().count(), 0u);
    DiagRecording rec;
    ASSERT_TRUE(CDiagFile::readRecording(recording, rec));
    EXPECT_GE(rec.records.size(), 3u);
    EXPECT_FALSE(device->reconnect()) << "nothing answers on the last port";
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
