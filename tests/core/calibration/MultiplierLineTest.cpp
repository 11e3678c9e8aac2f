// The multiplier line's arithmetic: sorting the point maps into pressure cells, the trusted cell
// averages, the bucket rules of "Oblicz nastawy", and the chart's point rules.

#include <gtest/gtest.h>

#include "calibration/CAutoCalibration.h"
#include "calibration/MultiplierLine.h"

using namespace tarvola;

namespace {
// A point map whose bin holds `count` samples averaging `ms`.
void putBin(CPointMap& map, std::size_t bin, double ms, std::uint16_t count)
{
    map.sums[bin] = static_cast<std::uint32_t>(ms / 0.004 * count + 0.5);
    map.counts[bin] = count;
    map.total = static_cast<std::uint16_t>(map.total + count);
}

std::array<double, kSetupTimesCount> buckets(std::initializer_list<double> head)
{
    std::array<double, kSetupTimesCount> m{};
    std::size_t i = 0;
    for (double v : head)
        m[i++] = v;
    return m;
}
} // namespace

TEST(MultiplierLine, BucketsFillExtendAndSmooth)
{
    const LineProposal p = proposeFromBuckets(buckets({0, 0, 5, 0, 8}));
    EXPECT_EQ(p.first, 2);
    EXPECT_EQ(p.last, 4);
    const std::array<double, kSetupTimesCount> expected{5, 5, 5, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
    EXPECT_EQ(p.buckets, expected);
    EXPECT_DOUBLE_EQ(p.smoothed[3], 7.0);
    EXPECT_EQ(p.change[3], 7);
    EXPECT_EQ(p.change[2], 6);  // (5 + 5 + 8) / 3
    EXPECT_EQ(p.change[0], 5);  // the ends are not smoothed
    EXPECT_EQ(p.change[19], 8);

    // Bucket means beyond ±50 are clamped before anything else; halves round away from zero.
    const LineProposal big = proposeFromBuckets(buckets({80, -7.5, -7.5}));
    EXPECT_EQ(big.buckets[0], 50);
    EXPECT_EQ(big.change[2], -8);  // -7.5 at the end of the filled run, extended upwards
    EXPECT_EQ(big.change[19], -8);

    // Nothing measured: nothing changes.
    const LineProposal none = proposeFromBuckets({});
    for (int c : none.change)
        EXPECT_EQ(c, 0);
}

TEST(MultiplierLine, TrustedCellAverages)
{
    PressureCell ten;
    for (int i = 0; i < 10; ++i)
        ten.add(2.0);
    EXPECT_EQ(ten.trustedAverage(), 0);  // more than 10 samples needed
    ten.add(3.0);                         // 11: passes; 3.0 lies more than 15 % off the mean
    EXPECT_NEAR(ten.mean(), 23.0 / 11, 1e-12);
    EXPECT_DOUBLE_EQ(ten.trustedAverage(), 2.0);

    // Samples spread within the band all count; no sample within it gives 0.
    PressureCell spread;
    PressureCell split;
    for (int i = 0; i < 6; ++i) {
        spread.add(1.9);
        spread.add(2.3);
        split.add(1.0);
        split.add(3.0);
    }
    EXPECT_NEAR(spread.trustedAverage(), 2.1, 1e-12);
    EXPECT_EQ(split.trustedAverage(), 0);
}

TEST(MultiplierLine, BinPressureValuesAndFill)
{
    // Differential sensor: codes 83 − 3i, only bins 0..24.
    EXPECT_EQ(binPressureValue(0, false), 30);  // 101 − 71.4
    EXPECT_EQ(binPressureCell(0, false), 15);
    EXPECT_EQ(binPressureValue(24, false), 100);
    EXPECT_EQ(binPressureValue(25, false), -1);
    // Absolute sensor: codes trunc(i·156/72 + 11), truncated values, all 31 bins.
    EXPECT_EQ(binPressureValue(0, true), 21);
    EXPECT_EQ(binPressureCell(0, true), 10);
    EXPECT_EQ(binPressureValue(30, true), 126);
    EXPECT_EQ(binPressureValue(31, true), -1);

    CPointMap map;
    map.total = 15000;
    EXPECT_DOUBLE_EQ(fillLevel(map), 50.0);
    map.total = 65535;
    EXPECT_DOUBLE_EQ(fillLevel(map), 100.0);
}

TEST(MultiplierLine, SortingAndProposalFromPointMaps)
{
    // One bin in each map, the gas time 10 % above the petrol time at 3 ms.
    CPointMap petrol;
    CPointMap gas;
    putBin(petrol, 4, 3.0, 200);
    putBin(gas, 4, 3.3, 120);
    const SortedPointMaps sorted = sortPointMaps(petrol, gas, true);
    const int k = binPressureCell(4, true);
    ASSERT_GE(k, 0);
    EXPECT_EQ(sorted.petrol[static_cast<std::size_t>(k)].count(), 11u);  // eleven copies of one bin
    EXPECT_DOUBLE_EQ(sorted.gas[static_cast<std::size_t>(k)].mean(), 3.3);
    const std::vector<CloudPoint> cloud = sorted.petrolCloud();
    ASSERT_EQ(cloud.size(), 11u);
    EXPECT_EQ(cloud[0], (CloudPoint{3.0, 2.0 * k}));

    const LineProposal p = proposeLineChange(sorted.petrol, sorted.gas);
    for (int c : p.change)
        EXPECT_EQ(c, 10);

    // A line already near the top is clamped.
    MultiplierLine line{};
    line[5] = 45;
    const MultiplierLine after = applyProposal(line, p);
    EXPECT_EQ(after[5], 50);
    EXPECT_EQ(after[0], 10);

    // A bin seen only on petrol gives no difference at all.
    CPointMap none;
    const SortedPointMaps single = sortPointMaps(petrol, none, true);
    for (int c : proposeLineChange(single.petrol, single.gas).change)
        EXPECT_EQ(c, 0);
}

TEST(MultiplierLine, ChartPointRules)
{
    // The stored percentage truncates (x − 1) × 100 in double arithmetic.
    double x = 1.0;
    for (int i = 0; i < 7; ++i)
        x = multiplierUp(x);
    EXPECT_EQ(percentOf(x), 7);
    EXPECT_EQ(percentOf(draggedMultiplier(1.1304)), 12);
    EXPECT_EQ(percentOf(draggedMultiplier(0.93)), -6);
    EXPECT_EQ(draggedMultiplier(1.7), 1.5);
    EXPECT_EQ(draggedMultiplier(0.1), 0.5);
    EXPECT_EQ(multiplierUp(1.5), 1.5);
    EXPECT_EQ(multiplierDown(0.5), 0.5);
    EXPECT_EQ(percentOf(multiplierOf(-50)), -50);

    MultiplierLine line{};
    line.fill(50);
    line[0] = -50;
    const MultiplierLine up = incrementedLine(line, true);
    EXPECT_EQ(up[1], 50);
    EXPECT_EQ(up[0], -49);
    EXPECT_EQ(incrementedLine(line, false)[0], -50);
}

TEST(AutoCalibrationRules, SettleCountAndKeptDifferences)
{
    EXPECT_EQ(CAutoCalibration::settleCount(1.5, 4, false), 50);
    EXPECT_EQ(CAutoCalibration::settleCount(6.375, 8, false), 50);  // 31 is raised to 50
    EXPECT_EQ(CAutoCalibration::settleCount(40, 8, false), 200);
    EXPECT_EQ(CAutoCalibration::settleCount(1.5, 4, true), 5);

    EXPECT_EQ(CAutoCalibration::keptDifferences({0.20, 0.22, 0.18}).size(), 3u);
    // One big first difference and two small ones: all within ten times the mean.
    EXPECT_EQ(CAutoCalibration::keptDifferences({0.36, 0.01, -0.01}).size(), 3u);
    // Differences that cancel out leave a tiny mean: every one deviates by more than ten times it.
    EXPECT_TRUE(CAutoCalibration::keptDifferences({1.0, 1.0, -1.9}).empty());
    // A mean of exactly zero keeps everything rather than dividing by it.
    EXPECT_EQ(CAutoCalibration::keptDifferences({0.02, -0.02, 0.0}).size(), 3u);
}
