#pragma once
// The texts of the live readouts, one home for their formats: the dashboard and the large display
// show the same values the same way ("%.1f" petrol and gas times, "%.2f" gas time of cylinder 1,
// lambdas and supply, "%.0f" pressures, temperatures and engine speed).

#include <QString>
#include <array>

#include "monitor/DiagValues.h"

namespace tarvola::gui {

struct ReadoutTexts {
    std::array<QString, diag::Cylinders> petrol, gas;
    QString gasTime, rpm, gasPressure, manifold, gasTemp, reducerTemp, supply, lambda1, lambda2;
};

inline ReadoutTexts readoutTexts(const CDiag& sample, const DiagContext& context, Channel3Repeat repeat)
{
    const auto times = shownCylinderTimes(sample, context, repeat);
    const DiagValues v = diagValues(sample, context);
    ReadoutTexts t;
    for (std::size_t i = 0; i < times.size(); ++i) {
        t.petrol[i] = QString::asprintf("%.1f", times[i].petrolMs);
        t.gas[i] = QString::asprintf("%.1f", times[i].gasMs);
    }
    t.gasTime = QString::asprintf("%.2f", times[0].gasMs);
    t.rpm = QString::asprintf("%.0f", shownRpm(v.rpm));
    t.gasPressure = QString::asprintf("%.0f", v.gasPressureKPa);
    t.manifold = QString::asprintf("%.0f", shownManifoldKPa(v.manifoldKPa));
    t.gasTemp = QString::asprintf("%.0f", v.gasTempC);
    t.reducerTemp = QString::asprintf("%.0f", v.reducerTempC);
    t.supply = QString::asprintf("%.2f", v.supplyVolts);
    t.lambda1 = QString::asprintf("%.2f", v.lambda1Volts);
    t.lambda2 = QString::asprintf("%.2f", v.lambda2Volts);
    return t;
}

} // namespace tarvola::gui
