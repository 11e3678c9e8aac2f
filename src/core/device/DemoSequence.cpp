#include "device/DemoSequence.h"

#include <mutex>

#include "device/CLPGDevice.h"
#include "platform/Clock.h"
#include "settings/Conversions.h"

namespace tarvola {

namespace {

struct DemoState {
    double t = 123;          // base petrol time, counts
    int r = 1, rStep = 1;    // lambda ramp
    int c = 5000, cStep = 1; // period count
    int p = 110, pStep = 1;  // gas pressure code
    double q = 50, qStep = 0.1; // manifold code
    std::uint32_t n = 1;     // samples made so far + 1
};

std::mutex g_demoLock;
DemoState g_demo;

void putWord(std::span<std::uint8_t> out, std::size_t offset, double value)
{
    const std::uint16_t v = saturateU16(truncateTowardZero(value));
    out[offset] = static_cast<std::uint8_t>(v & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace

bool nextDemoSample(std::span<std::uint8_t> payload, std::uint8_t workMode, const DiagContext& context)
{
    if (payload.size() < kDiagPayloadSize)
        return false;
    const bool gas = workMode == ModeGas;
    std::lock_guard lock(g_demoLock);
    DemoState& s = g_demo;
    const bool first = s.n == 1;
    ++s.n;

    std::fill_n(payload.begin(), kDiagPayloadSize, std::uint8_t{0});
    payload[diag::WorkMode] = workMode;
    payload[diag::ActiveInjectors] = gas ? 255 : 0;
    payload[12] = gas ? 255 : 0;

    payload[diag::GasPressure] = static_cast<std::uint8_t>(s.p);
    payload[9] = 110;
    payload[diag::Manifold] = static_cast<std::uint8_t>(truncateTowardZero(s.q));
    payload[diag::GasTemp] = temperatureToCode(50, temperatureColumn(context.gasSensor));
    payload[diag::ReducerTemp] = temperatureToCode(70, temperatureColumn(context.reducerSensor));
    payload[diag::Supply] = static_cast<std::uint8_t>(truncateTowardZero(14.4 / 6 * 255 / 5));

    payload[diag::Lambda1] = static_cast<std::uint8_t>(s.r);
    payload[diag::Lambda2] = static_cast<std::uint8_t>(50 - s.r);
    payload[diag::FuelLevel] = 12;
    payload[diag::ObdCorrection1] = 101;
    payload[diag::ObdCorrection2] = 101;
    putWord(payload, diag::PeriodCount, s.c);

    static constexpr int kPetrolOffsets[8] = {1, -2, -1, 1, 2, 3, 2, 1};
    for (int i = 0; i < 8; ++i) {
        putWord(payload, diag::petrolTime(2 * i), s.t + kPetrolOffsets[i]);
        putWord(payload, diag::gasCorrection(2 * i), 80);
    }

    if (s.r >= 50)
        s.rStep = -1;
    else if (s.r <= 0)
        s.rStep = 1;
    if (s.c >= 5100)
        s.cStep = -1;
    else if (s.c <= 5000)
        s.cStep = 1;
    if (s.p >= 120)
        s.pStep = -1;
    else if (s.p <= 90)
        s.pStep = 1;
    if (s.q >= 100)
        s.qStep = -0.1;
    else if (s.q <= 20)
        s.qStep = 0.1;

    // The petrol time follows the manifold value, as a real engine's load would.
    s.t = (pressureCodeExact(101) - s.q) * 6;
    if (gas)
        s.t = roundHalfAway(0.9 * s.t);

    s.c += s.cStep;
    s.p += s.pStep;
    s.r += s.rStep;
    s.q += s.qStep;
    return first;
}

void resetDemoSequenceForTesting()
{
    std::lock_guard lock(g_demoLock);
    g_demo = DemoState{};
}

PollStatus CLPGDevice::demoPoll(DiagPayload& sample)
{
    sleepMs(timing().demoPollPauseMs);
    if (nextDemoSample(sample, m_demoWorkMode, m_diagData.context()))
        m_diagData.clear();
    return PollStatus::Read;
}

} // namespace tarvola
