// The live parameters: what the supported mask enables, the batches and their round-robin, the
// period of the rear oxygen sensor once the batch is down to one, and the value formats.

#include <gtest/gtest.h>

#include <algorithm>

#include "obd/ObdLiveTable.h"

using namespace tarvola;

namespace {
using Pids = std::vector<std::uint8_t>;

std::uint32_t maskOf(std::initializer_list<int> pids)
{
    std::uint32_t m = 0;
    for (int p : pids)
        m |= 1u << (32 - p);
    return m;
}

Pids pidsOf(const std::vector<BusRequestItem>& batch)
{
    Pids pids;
    for (const auto& r : batch) {
        EXPECT_EQ(r.length, 2);
        EXPECT_EQ(r.service, 1);
        pids.push_back(r.pid);
    }
    return pids;
}

std::vector<bool> enabled(const ObdLiveTable& t)
{
    std::vector<bool> e;
    for (const auto& entry : t.entries())
        e.push_back(entry.enabled);
    return e;
}
} // namespace

TEST(ObdLiveTable, SupportedMaskEnablesEntriesAndFallsBackToAirFlow)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x06, 0x07, 0x0B, 0x0C, 0x10, 0x14, 0x15}));
    EXPECT_EQ(enabled(t), (std::vector<bool>{true, true, true, false, false, true, true, false, false}));
    EXPECT_EQ(t.entries()[0].request.pid, 0x0B) << "manifold pressure wins when both are there";

    t.applySupportedMask(maskOf({0x08, 0x09, 0x10}));
    EXPECT_EQ(t.entries()[0].request.pid, 0x10);
    EXPECT_EQ(t.entries()[0].quantity, ObdQuantity::AirFlow);
    EXPECT_TRUE(t.entries()[0].enabled);

    // Back on a car with a manifold sensor, entry 0 asks it again.
    t.applySupportedMask(maskOf({0x0B}));
    EXPECT_EQ(t.entries()[0].quantity, ObdQuantity::ManifoldPressure);

    // Nothing known or nothing useful supported: the bank 1 trims are asked all the same.
    for (const auto mask : {std::optional<std::uint32_t>{}, std::optional<std::uint32_t>{0u},
                            std::optional<std::uint32_t>{maskOf({0x0C, 0x0D, 0x1C})}}) {
        t.applySupportedMask(mask);
        EXPECT_EQ(enabled(t), (std::vector<bool>{false, true, true, false, false, false, false, false, false}));
    }
}

TEST(ObdLiveTable, BatchesGoRoundRobinAndTheFirstWrapEndsTheFirstRound)
{
    ObdLiveTable t;
    EXPECT_TRUE(t.nextBatch().empty()) << "nothing enabled: nothing asked, and the loop ends";
    t = ObdLiveTable{};
    t.applySupportedMask(maskOf({0x06, 0x07, 0x08, 0x09, 0x0B, 0x14, 0x15, 0x18, 0x19}));
    EXPECT_EQ(t.batchSize(), 5);
    EXPECT_EQ(pidsOf(t.nextBatch()), (Pids{0x0B, 0x06, 0x07, 0x08, 0x09}));
    EXPECT_TRUE(t.firstRound());
    EXPECT_EQ(pidsOf(t.nextBatch()), (Pids{0x14, 0x15, 0x18, 0x19, 0x0B}));
    EXPECT_FALSE(t.firstRound());
    EXPECT_EQ(t.index(), 1u);
    // A batch of five ignores the periods.
    EXPECT_EQ(pidsOf(t.nextBatch()), (Pids{0x06, 0x07, 0x08, 0x09, 0x14}));
    EXPECT_EQ(pidsOf(t.nextBatch()), (Pids{0x15, 0x18, 0x19, 0x0B, 0x06}));
}

TEST(ObdLiveTable, BatchOfOneAsksTheRearSensorOnceInSixTurns)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x0B, 0x06, 0x07, 0x14, 0x15}));
    t.setBatchSize(0);
    EXPECT_EQ(t.batchSize(), 1);
    // The first round asks everything once, the rear sensor included; from then on its turn comes
    // once a pass: skipped five times, asked the sixth.
    Pids asked;
    for (int exchange = 0; exchange < 205; ++exchange) {
        const auto pids = pidsOf(t.nextBatch());
        ASSERT_EQ(pids.size(), 1u);
        asked.push_back(pids[0]);
    }
    EXPECT_EQ(Pids(asked.begin(), asked.begin() + 5), (Pids{0x0B, 0x06, 0x07, 0x14, 0x15}));
    std::vector<std::size_t> rearAt;
    for (std::size_t i = 5; i < asked.size(); ++i)
        if (asked[i] == 0x15)
            rearAt.push_back(i);
    ASSERT_GE(rearAt.size(), 3u);
    EXPECT_EQ(std::count(asked.begin() + 5, asked.begin() + static_cast<std::ptrdiff_t>(rearAt[0]), 0x14), 6);
    for (std::size_t i = 1; i < rearAt.size(); ++i)
        EXPECT_EQ(rearAt[i] - rearAt[i - 1], 25u) << "six passes of four, and the rear sensor once";
}

TEST(ObdLiveTable, AnswersAreDecodedIntoEveryEntryAskingTheirParameter)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x06, 0x07, 0x10, 0x14}));
    t.decode(std::vector<ObdBusFrame>{{0x7E8, {0x04, 0x41, 0x10, 0x01, 0x2C, 0x55, 0x55, 0x55}},
                                      {0x7E8, {0x03, 0x41, 0x06, 0x80, 0x55, 0x55, 0x55, 0x55}},
                                      {0x7E8, {0x03, 0x41, 0x07, 0x71, 0x55, 0x55, 0x55, 0x55}},
                                      {0x7E8, {0x04, 0x41, 0x14, 0x5A, 0x80, 0x55, 0x55, 0x55}},
                                      {0x7E8, {0x03, 0x7F, 0x01, 0x31, 0x55, 0x55, 0x55, 0x55}}});
    const std::pair<std::size_t, const char*> texts[] = {{0, "3.00"}, {1, "0.00"}, {2, "-11.72"}, {5, "0.45"}, {3, ""}};
    for (const auto& [entry, text] : texts)
        EXPECT_EQ(t.entries()[entry].text, text) << entry;
    EXPECT_TRUE(t.bank1Present()) << "its long trim answered";
    EXPECT_FALSE(t.bank2Present());

    // A bank is present only once the car answers its long trim: enabled, or a short trim, is not
    // enough, and a new mask forgets what the last car had.
    t.applySupportedMask(maskOf({0x06, 0x07, 0x08, 0x09}));
    EXPECT_FALSE(t.bank1Present());
    t.decode(std::vector<ObdBusFrame>{{0x7E8, {0x03, 0x41, 0x08, 0x80, 0x55, 0x55, 0x55, 0x55}},
                                      {0x7E8, {0x03, 0x41, 0x09, 0x80, 0x55, 0x55, 0x55, 0x55}}});
    EXPECT_FALSE(t.bank1Present());
    EXPECT_TRUE(t.bank2Present());

    EXPECT_EQ(formatObdValue(ObdQuantity::ManifoldPressure, 35, 0), "35");
    EXPECT_EQ(formatObdValue(ObdQuantity::FuelTrim, 255, 0), "99.22");
    EXPECT_EQ(formatObdValue(ObdQuantity::FuelTrim, 0, 0), "-100.00");
    EXPECT_EQ(formatObdValue(ObdQuantity::AirFlow, 255, 255), "655.35");
    EXPECT_EQ(formatObdValue(ObdQuantity::OxygenVolts, 200, 0), "1.00");
}
