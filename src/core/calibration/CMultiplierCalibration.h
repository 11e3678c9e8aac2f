#pragma once
// The calibration page without its drawing: the two point maps as read from the controller and
// sorted into pressure cells, the multiplier line with its editing rules and its delayed write, the
// erase commands with the petrol-map lock, the live point, and the busy flag the autocalibration
// holds while it runs. The GUI page draws what this says and forwards its buttons, keys and live
// samples; the command line drives it the same way.
//
// User-interface thread only. Messages go through the device's prompt, translated.

#include <cstdint>
#include <optional>
#include <string>

#include "calibration/ICalibrationView.h"
#include "calibration/MultiplierLine.h"
#include "device/CLPGDevice.h"
#include "platform/DeadlineTimer.h"

namespace tarvola {

class CEditHistory;

class CMultiplierCalibration {
public:
    static constexpr std::chrono::milliseconds kLineWritePeriod{1500};
    static constexpr int kLivePointEvery = 3;
    static constexpr int kMapReadEvery = 200;
    static constexpr const char* kEraseGasMapQuestion =
        "Po każdej modyfikacji mnożnika/poprawki zalecane jest skasowanie mapy gazowej.\nCzy chcesz skasować mapę "
        "gazową?";

    explicit CMultiplierCalibration(CLPGDevice& device, ClockFn clock = [] { return SteadyClock::now(); });

    CLPGDevice& device() { return m_device; }
    // The view must outlive this object or be reset to null before it goes; null tells nobody.
    void setView(ICalibrationView* view) { m_view = view; }
    ICalibrationView& view() { return m_view ? *m_view : m_noView; }

    // ---- state ----
    // Set while an autocalibration runs; clearing it stops the run at its next wait.
    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }
    // "Blokada": one flag for the whole program, protecting the petrol map from erasure.
    static bool petrolMapLocked();
    static void setPetrolMapLocked(bool locked);
    const SortedPointMaps& maps() const { return m_maps; }
    const MultiplierLine& line() const { return m_device.m_settings.m_setupTimes1; }
    // The live point (petrol time, manifold pressure value), once a third sample arrived.
    std::optional<CloudPoint> livePoint() const { return m_livePoint; }
    // Cylinder 1's live petrol and gas times, "%.2f ms"; empty before the first sample.
    const std::string& livePetrolText() const { return m_livePetrolText; }
    const std::string& liveGasText() const { return m_liveGasText; }
    // The main correction of cylinder 1, "%.2f".
    std::string mainCorrectionText() const;
    // The fill levels, "%.0f %%".
    std::string petrolFillText() const;
    std::string gasFillText() const;

    // ---- the page's commands ----
    // Reads both point maps and sorts them (connected only, wait cursor). False, with nothing
    // changed and no message, when either read fails.
    bool readMaps();
    // "Oblicz nastawy": the line gains the proposal from the two maps, is written (a failed write
    // is retried by the line write timer), then the gas-map question. Not while busy or unconnected.
    // True when the line was written at once.
    bool createLine();
    // The proposal "Oblicz nastawy" would apply to the maps as read, without changing anything.
    LineProposal proposal() const { return proposeLineChange(m_maps.petrol, m_maps.gas); }
    // "Kasuj benzynę" (refused while busy or locked) and "Kasuj gaz" (refused while busy).
    void clearPetrolMap();
    void clearGasMap();
    // "Kasuj nastawy": the line back to its factory values (all 0), written, redrawn. Not while busy.
    void clearLine();
    // The line to 0 and written, for the autocalibration's restore step (the busy flag aside).
    void resetLine();
    // Asks whether to erase the gas map, recommended after every change of the line or correction.
    void askEraseGasMap();
    // Erases the gas map (a failure shows its message) and reads the maps again, busy or not.
    bool eraseGasMapNow();

    // ---- the chart ----
    // A point moved to multiplier x: stores trunc((x − 1) × 100) when it differs and restarts the
    // line write timer. Connected only.
    void onCorrChanged(int index, double multiplier);
    // Page Up / Page Down: every entry ±1 %, clamped; restarts the line write timer.
    void onIncrementAll(bool up);
    // The line write timer: call often (the GUI from a QTimer); writes the setup times when due.
    // True when it fired and the write succeeded (a failure stays silent).
    bool tick();
    const DeadlineTimer& lineWriteTimer() const { return m_lineTimer; }

    // ---- live samples ----
    // Every new live sample: the live times, every third sample the live point, every 200th sample
    // the maps read again.
    void onLiveSample(const CDiag& sample);
    // Hands every sample the polling thread added since the last call to onLiveSample. The model
    // keeps the count, so two views of the page (the main window's and the charts dialog's) never
    // hand it the same sample twice.
    void takeNewSamples();
    // Samples that came while no view of the page was shown are not the page's to count.
    void skipWaitingSamples();

    // Writes the setup times now; a failure starts the line write timer. True when written.
    bool writeLineOrRetry();

    // Every change of the line made here (a point, Page Up / Page Down, "Oblicz nastawy", "Kasuj
    // nastawy") goes into `history` (null: none) as a step that puts the whole line back and writes it.
    void setHistory(CEditHistory* history) { m_history = history; }

private:
    // Records the change from `before` to the line as it is now.
    void recordLine(const char* name, const MultiplierLine& before);
    bool restoreLine(const MultiplierLine& line);

    bool connected() const { return m_device.isConnected(); }
    std::uint64_t m_seen = 0;  // live samples handed to onLiveSample so far
    // The line may be changed: a controller's or a settings file worked on offline.
    bool editable() const { return m_device.editable(); }

    CLPGDevice& m_device;
    ICalibrationView* m_view = nullptr;
    ICalibrationView m_noView;
    bool m_busy = false;
    SortedPointMaps m_maps;
    DeadlineTimer m_lineTimer;
    std::optional<CloudPoint> m_livePoint;
    std::string m_livePetrolText;
    std::string m_liveGasText;
    int m_livePointCountdown = kLivePointEvery;
    int m_mapReadCountdown = kMapReadEvery;
    CEditHistory* m_history = nullptr;
};

} // namespace tarvola
