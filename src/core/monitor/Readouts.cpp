#include "monitor/Readouts.h"

#include "platform/NumberText.h"

namespace tarvola {

ReadoutTexts readoutTexts(const CDiag& sample, const DiagContext& context, Channel3Repeat repeat)
{
    const auto times = shownCylinderTimes(sample, context, repeat);
    const DiagValues v = diagValues(sample, context);
    ReadoutTexts t;
    for (std::size_t i = 0; i < times.size(); ++i) {
        t.petrol[i] = fixedText(times[i].petrolMs, 1);
        t.gas[i] = fixedText(times[i].gasMs, 1);
    }
    t.gasTime = fixedText(times[0].gasMs, 2);
    t.rpm = fixedText(shownRpm(v.rpm), 0);
    t.gasPressure = fixedText(v.gasPressureKPa, 0);
    t.manifold = fixedText(shownManifoldKPa(v.manifoldKPa), 0);
    t.gasTemp = fixedText(v.gasTempC, 0);
    t.reducerTemp = fixedText(v.reducerTempC, 0);
    t.supply = fixedText(v.supplyVolts, 2);
    t.lambda1 = fixedText(v.lambda1Volts, 2);
    t.lambda2 = fixedText(v.lambda2Volts, 2);
    return t;
}

} // namespace tarvola
