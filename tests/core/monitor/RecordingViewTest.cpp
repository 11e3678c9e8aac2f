// The recording viewer's window over a recording: zoom and pan never leave the recording, the
// records of the window and the cursor's record, the time axis' ticks, and the curves' scaling.

#include <gtest/gtest.h>

#include <cmath>

#include "monitor/CDiagFile.h"
#include "monitor/RecordingFields.h"
#include "monitor/RecordingLoader.h"
#include "monitor/RecordingView.h"

using namespace tarvola;

namespace {

const double kPeriod = recordingSamplePeriodSeconds();

// 1001 records: the last one at 1000 periods.
RecordingView viewOf(std::size_t records = 1001)
{
    RecordingView v;
    v.setRecords(records);
    return v;
}

TEST(RecordingViewTest, ZoomAndPanStayInsideTheRecording)
{
    const double end = 1000 * kPeriod;
    const double narrowest = RecordingView::kMinRecordsShown * kPeriod;
    struct Case {
        const char* what;
        void (*act)(RecordingView&);
        double left, width;
    };
    const Case cases[] = {
        {"fit shows everything", [](RecordingView&) {}, 0, end},
        {"zoom in keeps the anchor's share", [](RecordingView& v) { v.zoom(0.5, v.duration() / 4); }, end / 8, end / 2},
        {"zoom out past the recording fits it", [](RecordingView& v) { v.zoom(0.5, 10); v.zoom(10, 10); }, 0, end},
        {"zoom in stops at the narrowest window",
         [](RecordingView& v) { v.zoom(1e-9, v.duration() / 2); }, end / 2 - narrowest / 2, narrowest},
        {"band in either order", [](RecordingView& v) { v.zoomTo(25.2, 12.6); }, 12.6, 12.6},
        {"a band too narrow widens about its middle", [](RecordingView& v) { v.zoomTo(50, 50.1); },
         50.05 - narrowest / 2, narrowest},
        {"a band off the end is pulled back", [](RecordingView& v) { v.zoomTo(v.duration() - 5, v.duration() + 15); }, end - 20, 20},
        {"pan past the end stops at the end", [](RecordingView& v) { v.zoomTo(0, 10); v.pan(1e6); }, end - 10, 10},
        {"pan before the start stops at 0", [](RecordingView& v) { v.zoomTo(30, 40); v.pan(-1e6); }, 0, 10},
        {"a fitted view does not pan", [](RecordingView& v) { v.pan(30); }, 0, end},
        {"nonsense is ignored", [](RecordingView& v) { v.zoom(0, 1); v.zoom(std::nan(""), 1); v.panTo(std::nan("")); }, 0, end},
    };
    for (const Case& c : cases) {
        RecordingView v = viewOf();
        c.act(v);
        EXPECT_NEAR(v.left(), c.left, 1e-9) << c.what;
        EXPECT_NEAR(v.width(), c.width, 1e-9) << c.what;
    }
}

TEST(RecordingViewTest, EmptyAndSingleRecordRecordingsHaveAWindow)
{
    for (std::size_t records : {0u, 1u}) {
        RecordingView v = viewOf(records);
        EXPECT_GT(v.width(), 0) << records;
        v.zoom(0.1, 0);
        v.pan(5);
        EXPECT_EQ(v.left(), 0) << records;
        EXPECT_EQ(v.visibleRecords().end, records) << records;
    }
    RecordingView empty = viewOf(0);
    empty.setCursor(3);
    EXPECT_FALSE(empty.cursorRecord());
}

TEST(RecordingViewTest, WindowAndCursorNameTheirRecords)
{
    RecordingView v = viewOf();
    EXPECT_EQ(v.visibleRecords().first, 0u);
    EXPECT_EQ(v.visibleRecords().end, 1001u);
    // Records on both edges belong to the window, though their float times miss it by a hair.
    v.zoomTo(100 * kPeriod, 200 * kPeriod);
    EXPECT_EQ(v.visibleRecords().first, 100u);
    EXPECT_EQ(v.visibleRecords().end, 201u);
    v.zoomTo(100.5 * kPeriod, 199.5 * kPeriod);
    EXPECT_EQ(v.visibleRecords().first, 101u);
    EXPECT_EQ(v.visibleRecords().end, 200u);

    const struct {
        double seconds;
        std::size_t record;
    } cursors[] = {{-4, 0}, {0, 0}, {10.4 * kPeriod, 10}, {10.6 * kPeriod, 11}, {1e9, 1000}};
    for (const auto& c : cursors) {
        v.setCursor(c.seconds);
        ASSERT_TRUE(v.cursorRecord()) << c.seconds;
        EXPECT_EQ(*v.cursorRecord(), c.record) << c.seconds;
    }
    v.setRecords(20);
    EXPECT_FALSE(v.cursorRecord()) << "a new recording starts without a cursor";
}

TEST(RecordingViewTest, TimeTicksUseRoundSteps)
{
    const struct {
        double left, right;
        int maxTicks;
        double step;
        int decimals;
        std::size_t count;
        double first;
    } cases[] = {
        {0, 126, 10, 20, 0, 7, 0},
        {0, 3600, 8, 500, 0, 8, 0},
        {330.05, 331.31, 10, 0.2, 1, 6, 330.2},
        {0, 0.9, 10, 0.1, 1, 10, 0},
    };
    for (const auto& c : cases) {
        const TimeTicks t = timeTicks(c.left, c.right, c.maxTicks);
        EXPECT_NEAR(t.step, c.step, 1e-12) << c.left << ".." << c.right;
        EXPECT_EQ(t.decimals, c.decimals) << c.left << ".." << c.right;
        ASSERT_EQ(t.at.size(), c.count) << c.left << ".." << c.right;
        EXPECT_NEAR(t.at.front(), c.first, 1e-9) << c.left << ".." << c.right;
    }
    EXPECT_TRUE(timeTicks(5, 5, 10).at.empty());
    EXPECT_EQ(tickLabel(-1e-12, 1), "0.0");
    EXPECT_EQ(tickLabel(330.2, 1), "330.2");
}

TEST(RecordingViewTest, CurvesScaleEveryChannelByItsFullScale)
{
    RecordingData data;
    std::array<double, kRecordFields> f{};
    f[1] = 12000;               // above the engine speed's full scale: clamped to the top
    f[2] = 10;                  // cylinder 1 petrol: a quarter of 40 ms
    f[3] = 20;                  // cylinder 1 gas
    f[4] = 39;                  // cylinder 2: not drawn
    f[18] = 125;                // gas pressure: half of 250 kPa
    f[21] = -5;                 // reducer temperature below 0: clamped to the bottom
    f[23] = 2.5;                // lambda 2: half of 5 V
    data.append(f);
    f[1] = 5000;
    data.append(f);
    const RecordingCurves curves = recordingCurves(data);
    const float expected[osc::kChannels] = {100, 25, 50, 50, 0, 0, 0, 0, 50};
    for (int c = 0; c < osc::kChannels; ++c) {
        ASSERT_EQ(curves[static_cast<std::size_t>(c)].points.size(), 2u) << c;
        EXPECT_FLOAT_EQ(curves[static_cast<std::size_t>(c)].points[0].y, expected[c]) << c;
    }
    EXPECT_FLOAT_EQ(curves[osc::Rpm].points[1].y, 50);
    EXPECT_FLOAT_EQ(curves[osc::Rpm].points[1].x, static_cast<float>(kPeriod));

    // The readings list colours a field as the curve that draws it.
    const struct {
        std::size_t field;
        int channel;
    } fields[] = {{0, -1}, {1, osc::Rpm}, {2, osc::PetrolTime}, {3, osc::GasTime}, {4, -1}, {17, -1},
                  {18, osc::GasPressure}, {19, osc::Manifold}, {21, osc::ReducerTemp}, {23, osc::Lambda2}, {24, -1}};
    for (const auto& row : fields)
        EXPECT_EQ(recordingFieldChannel(row.field), row.channel) << row.field;
}

} // namespace
