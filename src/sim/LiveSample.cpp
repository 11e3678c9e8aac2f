// Encoding of the live diagnostic sample.
#include "LiveSample.h"

#include <algorithm>
#include <cmath>

#include "Conversions.h"

namespace tarvola::sim {
namespace {

// The controller's own use of the car's fuel trims, reported as percentage + 100.
std::uint8_t obdCorrectionByte(const EngineSnapshot& engine, const Bytes& correctionRecord, unsigned bankBit) {
    if ((correctionRecord[0] & bankBit) == 0) return 100;
    const long limit = correctionRecord[2];
    const long c = std::clamp(std::lround(engine.shortTrimPercent + engine.longTrimPercent), -limit, limit);
    return static_cast<std::uint8_t>(100 + c);
}

}  // namespace

std::uint16_t gasCorrectionCode(double correctionMs) {
    const long counts = std::lround(correctionMs / 0.025);
    if (counts >= 0) return static_cast<std::uint16_t>(std::min<long>(counts, 60000));
    return static_cast<std::uint16_t>(65535 + std::max<long>(counts, 60001 - 65535));
}

Bytes encodeLiveSample(const EngineSnapshot& engine, const ControllerMemory& memory) {
    Bytes s(kLiveSampleSize, 0);
    const Bytes correction = memory.block(Block::ObdCorrection);
    s[0] = static_cast<std::uint8_t>(engine.workMode);
    s[1] = engine.switchState;
    s[2] = temperatureCode(engine.reducerCelsius, memory.reducerSensorColumn());
    s[3] = temperatureCode(engine.gasCelsius, memory.gasSensorColumn());
    s[4] = obdCorrectionByte(engine, correction, 0x02);
    s[5] = supplyCode(engine.supplyVolts);
    s[6] = voltageCode(engine.lambda1Volts);
    s[7] = voltageCode(engine.lambda2Volts);
    s[8] = pressureCode(engine.gasPressureKPa);
    s[10] = manifoldCode(engine.manifoldKPa, memory.absoluteManifoldSensor());
    s[11] = engine.gasMask;
    s[14] = engine.fuelLevel;
    s[15] = obdCorrectionByte(engine, correction, 0x01);
    putBE16(&s[16], engine.running ? rpmPeriodCode(engine.rpm) : 0);
    for (int i = 0; i < engine.injectors && i < 8; ++i) {
        const auto u = static_cast<std::size_t>(i);
        // Cylinder i owns entries 2i and 2i + 1; this engine has one petrol pulse per cycle.
        const std::size_t k = 2 * u;
        putBE16(&s[18 + 4 * k], timeCode25us(engine.petrolMs[u]));
        putBE16(&s[20 + 4 * k], engine.running ? gasCorrectionCode(engine.gasMs[u] - engine.petrolMs[u]) : 0);
    }
    return s;
}

}  // namespace tarvola::sim
