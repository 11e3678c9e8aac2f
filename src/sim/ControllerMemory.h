// The controller's memory: one 4 KiB byte image holding every settings block, the OBD records,
// the stored error flags and the 288-byte fuel map block at address 320.
//
// Blocks are kept exactly as the controller holds them (multi-byte numbers big-endian, scaled
// codes rather than engineering units), so a block read returns the bytes the last write put
// there, and a memory read over a block shows the same bytes. The engine model reads its
// settings back out of this image through the decoded accessors below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ByteOrder.h"

namespace tarvola::sim {

enum class Block {
    Base,           // code 3 / sub-code 7, 28 bytes
    Adv,            // code 4 / sub-code 8, 21 bytes
    MainCorr,       // code 15 / sub-code 22, 16 bytes
    SetupTimes,     // code 7 / sub-code 12, 42 bytes
    Sensors,        // code 9 / sub-code 14, 28 bytes
    AdvancedSetup,  // code 26 / sub-code 34, 30 bytes
    ObdConnection,  // code 18 / sub-code 27, 12 bytes (32-bit fields little-endian)
    ObdCorrection,  // code 27 / sub-code 35, 18 bytes
    ErrorFlags,     // sub-code 5, 4 bytes
};

struct BlockPlace {
    std::uint16_t address;
    std::size_t size;
};
BlockPlace blockPlace(Block b);

class ControllerMemory {
public:
    static constexpr std::size_t kSize = 4096;
    static constexpr std::uint16_t kMapAddress = 320;
    static constexpr std::size_t kMapSize = 288;
    static constexpr int kMapRows = 19;     // petrol injection time bands
    static constexpr int kMapColumns = 15;  // engine speed bands
    static constexpr std::size_t kMapFlagsOffset = 285;
    static constexpr std::size_t kMapCheckOffset = 286;

    // Factory contents; the variant controller holds sensor-type code 3 where the plain one holds 1.
    explicit ControllerMemory(bool variant = false);
    void loadFactoryDefaults(bool variant);

    // Raw access. Both refuse (return false, change nothing) a range that runs off the end.
    bool read(std::uint32_t address, std::size_t n, std::uint8_t* out) const;
    bool write(std::uint32_t address, const std::uint8_t* data, std::size_t n);

    Bytes block(Block b) const;
    // Replaces a whole block; refuses a payload of the wrong size.
    bool setBlock(Block b, const Bytes& bytes);

    const std::uint8_t* mapBlock() const { return &mem_[kMapAddress]; }
    std::uint8_t* mapBlock() { return &mem_[kMapAddress]; }

    // Decoded settings for the engine model.
    double emulatorDelaySeconds() const;        // base byte 20, 25 ms steps
    double switchTemperatureCelsius() const;    // base byte 6, reducer sensor column
    double workingPressureKPa() const;          // base byte 13, the pressure reference
    std::uint8_t advancedFlags() const;         // advanced setup byte 12
    bool absoluteManifoldSensor() const { return (advancedFlags() & 0x10) != 0; }
    double mainCorrectionMs(int cylinder) const;  // main corrections, signed codes of 0.004 ms
    int multiplierPercent(int bucket) const;      // setup times byte `bucket` (0..19) − 100
    int reducerSensorColumn() const;              // sensor setup byte 25
    int gasSensorColumn() const;                  // sensor setup byte 26
    std::array<std::uint8_t, 4> errorFlags() const;
    void setErrorFlags(const std::array<std::uint8_t, 4>& flags);

private:
    std::array<std::uint8_t, kSize> mem_{};
};

}  // namespace tarvola::sim
