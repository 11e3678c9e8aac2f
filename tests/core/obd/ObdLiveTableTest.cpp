// The live parameters: what the supported mask enables, the batches and their round-robin, the
// period of the rear oxygen sensor once the batch is down to one, and the value formats.

#include <gtest/gtest.h>

#include <algorithm>

#include "obd/ObdLiveTable.h"

using namespace tarvola;

namespace {
std::uint32_t maskOf(std::initializer_list<int> pids)
{
    std::uint32_t m = 0;
    for (int p : pids)
        m |= 1u << (32 - p);
    return m;
}

std::vector<std::uint8_t> pidsOf(const std::vector<BusRequestItem>& batch)
{
    std::vector<std::uint8_t> pids;
    for (const auto& r : batch) {
        EXPECT_EQ(r.length, 2);
        EXPECT_EQ(r.service, 1);
        pids.push_back(r.pid);
    }
    return pids;
}
} // namespace

TEST(ObdLiveTable, SupportedMaskEnablesEntriesAndFallsBackToAirFlow)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x06, 0x07, 0x0B, 0x0C, 0x10, 0x14, 0x15}));
    const bool expected[] = {true, true, true, false, false, true, true, false, false};
    for (std::size_t i = 0; i < ObdLiveTable::kEntries; ++i)
        EXPECT_EQ(t.entries()[i].enabled, expected[i]) << i;
    EXPECT_EQ(t.entries()[0].request.pid, 0x0B) << "manifold pressure wins when both are there";
    EXPECT_TRUE(t.bank1Present());
    EXPECT_FALSE(t.bank2Present());

    t.applySupportedMask(maskOf({0x08, 0x09, 0x10}));
    EXPECT_EQ(t.entries()[0].request.pid, 0x10);
    EXPECT_EQ(t.entries()[0].quantity, ObdQuantity::AirFlow);
    EXPECT_TRUE(t.entries()[0].enabled);
    EXPECT_FALSE(t.bank1Present());
    EXPECT_TRUE(t.bank2Present());

    // Back on a car with a manifold sensor, entry 0 asks it again.
    t.applySupportedMask(maskOf({0x0B}));
    EXPECT_EQ(t.entries()[0].request.pid, 0x0B);
    EXPECT_EQ(t.entries()[0].quantity, ObdQuantity::ManifoldPressure);
}

TEST(ObdLiveTable, NothingSupportedStillAsksTheBankOneTrims)
{
    for (const std::optional<std::uint32_t> mask : {std::optional<std::uint32_t>{}, std::optional<std::uint32_t>{0u},
                                                    std::optional<std::uint32_t>{maskOf({0x0C, 0x0D, 0x1C})}}) {
        ObdLiveTable t;
        t.applySupportedMask(mask);
        for (std::size_t i = 0; i < ObdLiveTable::kEntries; ++i)
            EXPECT_EQ(t.entries()[i].enabled, i == 1 || i == 2) << i;
        EXPECT_TRUE(t.bank1Present());
    }
}

TEST(ObdLiveTable, BatchesGoRoundRobinAndTheFirstWrapEndsTheFirstRound)
{
    ObdLiveTable t;
    EXPECT_TRUE(t.nextBatch().empty()) << "nothing enabled: nothing asked, and the loop ends";
    t = ObdLiveTable{};
    t.applySupportedMask(maskOf({0x06, 0x07, 0x08, 0x09, 0x0B, 0x14, 0x15, 0x18, 0x19}));
    EXPECT_EQ(t.batchSize(), 5);
    EXPECT_EQ(pidsOf(t.nextBatch()), (std::vector<std::uint8_t>{0x0B, 0x06, 0x07, 0x08, 0x09}));
    EXPECT_TRUE(t.firstRound());
    EXPECT_EQ(pidsOf(t.nextBatch()), (std::vector<std::uint8_t>{0x14, 0x15, 0x18, 0x19, 0x0B}));
    EXPECT_FALSE(t.firstRound());
    EXPECT_EQ(t.index(), 1u);
    // A batch of five ignores the periods.
    EXPECT_EQ(pidsOf(t.nextBatch()), (std::vector<std::uint8_t>{0x06, 0x07, 0x08, 0x09, 0x14}));
    EXPECT_EQ(pidsOf(t.nextBatch()), (std::vector<std::uint8_t>{0x15, 0x18, 0x19, 0x0B, 0x06}));
}

TEST(ObdLiveTable, BatchOfOneAsksTheRearSensorOnceInSixTurns)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x0B, 0x06, 0x07, 0x14, 0x15}));
    t.setBatchSize(1);
    // The first round asks everything once, the rear sensor included.
    std::vector<std::uint8_t> first;
    for (int i = 0; i < 5; ++i)
        for (auto p : pidsOf(t.nextBatch()))
            first.push_back(p);
    EXPECT_EQ(first, (std::vector<std::uint8_t>{0x0B, 0x06, 0x07, 0x14, 0x15}));

    // From then on its turn comes once a pass: skipped five times, asked the sixth.
    std::vector<std::size_t> rearAt;
    std::vector<std::uint8_t> asked;
    for (int exchange = 0; exchange < 200; ++exchange) {
        const auto pids = pidsOf(t.nextBatch());
        ASSERT_EQ(pids.size(), 1u);
        if (pids[0] == 0x15)
            rearAt.push_back(asked.size());
        asked.push_back(pids[0]);
    }
    ASSERT_GE(rearAt.size(), 3u);
    EXPECT_EQ(std::count(asked.begin(), asked.begin() + static_cast<std::ptrdiff_t>(rearAt[0]), 0x14), 6);
    for (std::size_t i = 1; i < rearAt.size(); ++i)
        EXPECT_EQ(rearAt[i] - rearAt[i - 1], 25u) << "six passes of four, and the rear sensor once";
    EXPECT_EQ(t.entries()[6].period, 5);

    t.setBatchSize(0);
    EXPECT_EQ(t.batchSize(), 1);
}

TEST(ObdLiveTable, AnswersAreDecodedIntoEveryEntryAskingTheirParameter)
{
    ObdLiveTable t;
    t.applySupportedMask(maskOf({0x06, 0x07, 0x10, 0x14}));
    const std::vector<ObdBusFrame> frames{
        {0x7E8, {0x04, 0x41, 0x10, 0x01, 0x2C, 0x55, 0x55, 0x55}},
        {0x7E8, {0x03, 0x41, 0x06, 0x80, 0x55, 0x55, 0x55, 0x55}},
        {0x7E8, {0x03, 0x41, 0x07, 0x71, 0x55, 0x55, 0x55, 0x55}},
        {0x7E8, {0x04, 0x41, 0x14, 0x5A, 0x80, 0x55, 0x55, 0x55}},
        {0x7E8, {0x03, 0x7F, 0x01, 0x31, 0x55, 0x55, 0x55, 0x55}},
    };
    t.decode(frames);
    EXPECT_EQ(t.entries()[0].text, "3.00");
    EXPECT_EQ(t.entries()[1].text, "0.00");
    EXPECT_EQ(t.entries()[2].text, "-11.72");
    EXPECT_EQ(t.entries()[5].text, "0.45");
    EXPECT_EQ(t.entries()[3].text, "");

    EXPECT_EQ(formatObdValue(ObdQuantity::ManifoldPressure, 35, 0), "35");
    EXPECT_EQ(formatObdValue(ObdQuantity::FuelTrim, 255, 0), "99.22");
    EXPECT_EQ(formatObdValue(ObdQuantity::FuelTrim, 0, 0), "-100.00");
    EXPECT_EQ(formatObdValue(ObdQuantity::AirFlow, 255, 255), "655.35");
    EXPECT_EQ(formatObdValue(ObdQuantity::OxygenVolts, 200, 0), "1.00");
}
