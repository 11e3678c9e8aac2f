#pragma once
// The simulated live samples of demo mode: slow ramps of engine speed, pressures, lambda and
// injection times, so that every display moves without a controller.
//
// The sequence is process-wide, as the controller it stands for would be: every demo poll, from
// the polling thread or from the switch-to-petrol wait, takes the next sample. Thread-safe.

#include <cstdint>
#include <span>

#include "monitor/DiagValues.h"

namespace tarvola {

// Writes the next simulated sample into the first 82 bytes of `payload` (the rest of a longer
// span is left alone; a shorter one receives nothing). `workMode` is the simulated mode (3 gas,
// anything else petrol); the temperature codes follow the sensor columns of `context`.
// Returns true for the first sample of the sequence: the caller then starts a fresh sample buffer.
bool nextDemoSample(std::span<std::uint8_t> payload, std::uint8_t workMode, const DiagContext& context);

// Only for tests: the next sample is the first of the sequence again.
void resetDemoSequenceForTesting();

} // namespace tarvola
