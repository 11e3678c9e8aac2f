// The 82-byte live diagnostic sample (reply code 1) built from the engine's state and the
// controller's settings. The 16-bit fields from offset 16 on are big-endian.
#pragma once

#include <cstdint>

#include "ByteOrder.h"
#include "ControllerMemory.h"
#include "EngineModel.h"

namespace tarvola::sim {

inline constexpr std::size_t kLiveSampleSize = 82;

Bytes encodeLiveSample(const EngineSnapshot& engine, const ControllerMemory& memory);

// A gas time correction in counts of 0.025 ms: negative corrections travel as 65535 + count,
// which keeps them above 60000; positive ones saturate at 60000.
std::uint16_t gasCorrectionCode(double correctionMs);

}  // namespace tarvola::sim
