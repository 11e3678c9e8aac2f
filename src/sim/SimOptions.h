// Options of the virtual controller: which controller it pretends to be, how its engine starts,
// which faults it shows on the line and whether it keeps to the wire's pace.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvola::sim {

// The engine's adjustable parts and the ranges the options and the hooks keep them to.
constexpr double kDefaultGasFlow = 0.95;   // relative flow of the gas injectors
constexpr double kMinGasFlow = 0.2;
constexpr double kMaxGasFlow = 5.0;
constexpr double kDefaultGasDeadMs = 1.2;  // opening dead time of the gas injectors
constexpr double kMinGasDeadMs = -5.0;
constexpr double kMaxGasDeadMs = 10.0;
constexpr double kMinTimeScale = 1.0;      // the engine's clock against the wall clock
constexpr double kMaxTimeScale = 100.0;

enum class Fault { None, Silent, Corrupt, BadStart, Truncate, Late, Noise };

enum class EngineStart { Petrol, Gas, Auto };

// The bus the car behind the OBD gateway speaks.
enum class ObdBus { Can11, KLine, Can29 };

struct SimOptions {
    std::uint8_t variant = 0;  // 0x21 for the variant controller
    int injectors = 4;
    std::uint16_t version = 0x0206;
    bool noDiag = false;
    // The identity reports firmware updates disabled (bit 2 of its first flag word clear) and the
    // controller refuses to enter programming.
    bool noFirmwareUpdate = false;
    Fault fault = Fault::None;
    double faultRate = 0.0;  // probability per request
    long faultAfter = -1;    // >= 0: every request after the first N good ones is faulted
    std::uint64_t seed = 1;
    bool pace = false;

    // Engine extras.
    EngineStart start = EngineStart::Petrol;  // mode at power-on
    bool warm = false;                        // reducer and gas already at running temperature
    bool cold = false;                        // a cold start at 15 °C that warms slowly (warm wins)
    bool driveCycle = false;                  // cycle through idle and load points instead of idling
    double timeScale = kMinTimeScale;         // the engine's clock against the wall clock
    long stallAfter = -1;                     // >= 0: the engine stops once N live polls were answered
    double gasFlow = kDefaultGasFlow;
    double gasDeadMs = kDefaultGasDeadMs;

    // Stored error flags at power-on (memory, injectors, sensors, CAN); the reset request clears them.
    std::array<std::uint8_t, 4> errorFlags{};

    // The car behind the OBD gateway: its bus (the connection record's base identifier follows it)
    // and its stored trouble codes in two-byte form (unset: the car's own few).
    ObdBus obdBus = ObdBus::Can11;
    std::optional<std::vector<std::uint16_t>> troubleCodes;
};

const char* faultName(Fault f);
// Accepts silent, corrupt, badstart, truncate, late, noise and none; false for anything else.
bool parseFault(const std::string& text, Fault& out);
// Accepts can11, kline and can29; false for anything else.
bool parseObdBus(const std::string& text, ObdBus& out);

}  // namespace tarvola::sim
