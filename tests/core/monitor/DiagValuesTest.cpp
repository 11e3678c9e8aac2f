// The live sample in engineering units: the per-cylinder time rules, the guards against a
// controller's odd values, and the recording line built from them.

#include <gtest/gtest.h>

#include "monitor/CDiagFile.h"
#include "monitor/DiagValues.h"

using namespace tarvola;

namespace {

void putWord(CDiag& s, std::size_t offset, std::uint16_t v)
{
    s.m_bytes[offset] = static_cast<std::uint8_t>(v & 0xFF);
    s.m_bytes[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Cylinder c's two petrol counts and the correction count of its first entry.
void setCylinder(CDiag& s, int c, std::uint16_t petrolA, std::uint16_t petrolB, std::uint16_t corrA,
                 std::uint16_t corrB = 0)
{
    putWord(s, diag::petrolTime(2 * c), petrolA);
    putWord(s, diag::petrolTime(2 * c + 1), petrolB);
    putWord(s, diag::gasCorrection(2 * c), corrA);
    putWord(s, diag::gasCorrection(2 * c + 1), corrB);
}

double rpmOf(std::uint16_t count)
{
    CDiag s;
    putWord(s, diag::PeriodCount, count);
    return diagValues(s, {}).rpm;
}

} // namespace

TEST(DiagValues, SpeedPressuresAndTemperatures)
{
    EXPECT_DOUBLE_EQ(rpmOf(5000), 960);
    EXPECT_EQ(rpmOf(0), 0); // a stopped engine: no division by zero, no infinity in a file
    EXPECT_EQ(shownRpm(rpmOf(48001)), 0);
    EXPECT_DOUBLE_EQ(shownRpm(rpmOf(48000)), 100);

    CDiag s;
    s.m_bytes[diag::GasPressure] = 10;
    s.m_bytes[diag::Manifold] = 255;
    s.m_bytes[diag::ReducerTemp] = 40;
    s.m_bytes[diag::GasTemp] = 40;
    DiagContext c;
    c.reducerSensor = 0;
    c.gasSensor = 9; // no such column: the standard characteristic
    DiagValues v = diagValues(s, c);
    EXPECT_EQ(v.gasPressureKPa, 0);
    EXPECT_EQ(v.reducerTempC, 89);
    EXPECT_EQ(v.gasTempC, 46);
    c.absoluteManifoldSensor = false; // 101 - 240 kPa: negative, shown as 0
    v = diagValues(s, c);
    EXPECT_LT(v.manifoldKPa, 0);
    EXPECT_EQ(shownManifoldKPa(v.manifoldKPa), 0);
}

TEST(DiagValues, CylinderTimesTakeTheLargerPetrolTimeAndItsCorrection)
{
    CDiag s;
    setCylinder(s, 0, 200, 400, 40, 80);
    EXPECT_EQ(cylinderTimes(s, 0), (CylinderTimes{10.00, 12.00}));
    setCylinder(s, 1, 300, 300, 40, 80); // tie: the first entry
    EXPECT_EQ(cylinderTimes(s, 1), (CylinderTimes{7.50, 8.50}));

    // Corrections above 60000 are negative; 60000 itself is not.
    setCylinder(s, 2, 400, 0, 65534);
    EXPECT_DOUBLE_EQ(entryCorrectionMs(s, 4), -0.025);
    EXPECT_DOUBLE_EQ(cylinderTimes(s, 2).gasMs, 9.98); // 9.975 rounds away from zero
    setCylinder(s, 3, 400, 0, 65535);
    EXPECT_DOUBLE_EQ(cylinderTimes(s, 3).gasMs, 10.00);
    setCylinder(s, 4, 400, 0, 60001);
    EXPECT_DOUBLE_EQ(cylinderTimes(s, 4).gasMs, 10.00 - 138.35);
    setCylinder(s, 5, 400, 0, 60000);
    EXPECT_DOUBLE_EQ(cylinderTimes(s, 5).gasMs, 1510.00);
}

TEST(DiagValues, ShownTimesObeyTheInjectorCountAndTheDisplayRules)
{
    CDiag s;
    for (int c = 0; c < 8; ++c)
        setCylinder(s, c, static_cast<std::uint16_t>(100 * (c + 1)), 0, 40);
    setCylinder(s, 1, 200, 0, 60001); // a negative gas time shows 0

    DiagContext ctx;
    ctx.injectorCount = 4;
    auto shown = shownCylinderTimes(s, ctx);
    EXPECT_EQ(shown[0], (CylinderTimes{2.5, 3.5}));
    EXPECT_EQ(shown[1], (CylinderTimes{5.0, 0.0}));
    EXPECT_EQ(shown[3], (CylinderTimes{10.0, 11.0}));
    EXPECT_EQ(shown[4], CylinderTimes{});
    EXPECT_EQ(shown[7], CylinderTimes{});

    // A controller's nonsense count neither overruns the eight columns nor shows anything odd.
    ctx.injectorCount = 200;
    EXPECT_EQ(shownCylinderTimes(s, ctx)[7], (CylinderTimes{20.0, 21.0}));
    ctx.injectorCount = -3;
    EXPECT_EQ(shownCylinderTimes(s, ctx)[0], CylinderTimes{});

    // Grouped petrol injection: cylinders 2 to 4 repeat cylinder 1 on the main view only.
    ctx.injectorCount = 6;
    ctx.channel3Zero = true;
    shown = shownCylinderTimes(s, ctx);
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(shown[3], shown[0]);
    EXPECT_EQ(shown[4], (CylinderTimes{12.5, 13.5}));
    EXPECT_EQ(shownCylinderTimes(s, ctx, Channel3Repeat::Ignore)[1], (CylinderTimes{5.0, 0.0}));
}

TEST(DiagValues, RecordLineHasTheFileFormat)
{
    CDiag s;
    s.m_bytes[diag::WorkMode] = 3;
    putWord(s, diag::PeriodCount, 65535); // 73.2 rpm, the slowest a sample can say: written, not 0
    setCylinder(s, 0, 200, 400, 0, 80);
    setCylinder(s, 5, 0, 0, 65534); // a negative gas time is written as it is
    setCylinder(s, 7, 1, 0, 65534); // 0.03 - 0.025 = 0.005, which rounds up
    s.m_bytes[diag::GasPressure] = 112;
    s.m_bytes[diag::Manifold] = 100;
    s.m_bytes[diag::Lambda1] = 51;
    s.m_bytes[diag::Lambda2] = 255;
    EXPECT_EQ(formatRecordLine(recordValues(s, {})),
              "3\t  73\t10.00\t12.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t-0.03\t"
              "0.00\t0.00\t0.03\t0.01\t100\t165\t255\t255\t1.0\t5.0\n");
}
