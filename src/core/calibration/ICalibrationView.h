#pragma once
// What the calibration page shows, told by the core as it changes. The GUI page repaints the chart,
// the texts and the progress bar; the command line prints; tests record. Called on the thread that
// runs the calibration; a view lives at least as long as it is set on its CMultiplierCalibration.

#include <vector>

namespace tarvola {

// One measurement pass of the autocalibration: the averaged petrol injection time on petrol (P) and
// on gas (G), and their difference G − P, in ms.
struct CalibrationPass {
    int index = 0;
    double petrolMs = 0;
    double gasMs = 0;
    double differenceMs = 0;
};

class ICalibrationView {
public:
    virtual ~ICalibrationView() = default;
    // The multiplier line changed (edited, computed, cleared, reset).
    virtual void lineChanged() {}
    // The point maps were read again: fill levels and clouds.
    virtual void mapsChanged() {}
    // The live point or the live petrol and gas times moved.
    virtual void liveChanged() {}
    // The main correction (its text on the page) changed.
    virtual void mainCorrectionChanged() {}
    // The autocalibration started or ended: the button reads "Wyłącz kalibrację" while busy.
    virtual void busyChanged(bool /*busy*/) {}
    // While an autocalibration runs the property sheet's tabs are disabled.
    virtual void tabsEnabled(bool /*enabled*/) {}
    // Progress of the autocalibration, 0 … 100.
    virtual void progressChanged(int /*percent*/) {}
    // The autocalibration measured the gas pressure and set the pressure references from it.
    virtual void pressureMeasured(double /*kPa*/) {}
    // A measurement pass of the autocalibration ended.
    virtual void passMeasured(const CalibrationPass& /*pass*/) {}
};

} // namespace tarvola
