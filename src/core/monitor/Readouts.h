#pragma once
// The texts of the live readouts, one home for their formats: the dashboard and the large display
// show the same values the same way (one decimal for petrol and gas times, two for the gas time of
// cylinder 1, the lambdas and the supply, none for pressures, temperatures and engine speed), in the
// "C" locale whatever the user's.

#include <array>
#include <string>

#include "monitor/DiagValues.h"

namespace tarvola {

struct ReadoutTexts {
    std::array<std::string, diag::Cylinders> petrol, gas;
    std::string gasTime, rpm, gasPressure, manifold, gasTemp, reducerTemp, supply, lambda1, lambda2;
};

ReadoutTexts readoutTexts(const CDiag& sample, const DiagContext& context, Channel3Repeat repeat);

} // namespace tarvola
