#pragma once
// The per-cylinder correction dialog as plain rules: the eight texts of m_mainCorr.m_mainCorr, the
// "Zmiana dla wszystkich" flag, which cylinders are shown and which spin controls work, the spin
// steps with their bounds, and the apply timer that writes a burst of steps to the controller once,
// 500 ms after the last of them. The dialog lays out the controls and forwards their events here.
//
// Texts are numbers with two decimals in the "C" locale ("1.25", "-0.40"). Steps are worked out in
// hundredths of a millisecond, so a value reached by a hundred small steps is exactly what it reads.

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/DeadlineTimer.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

class CEditHistory;
class CLPGDevice;

enum class MainCorrApplyOutcome {
    NotConnected, // nothing written, the record unchanged
    Written,      // the record holds the texts and the controller took the block
    Failed,       // the record holds the texts, the controller did not take them (error shown)
    Raised,       // an error object stopped the write (shown to the user)
};

class CMainCorrEditor {
public:
    static constexpr int kCylinders = 8;
    // The corrections a step may reach, in hundredths of a millisecond (−3.00 .. 6.00 ms).
    static constexpr int kMinHundredths = static_cast<int>(kMainCorrLowestMs * 100);
    static constexpr int kMaxHundredths = static_cast<int>(kMainCorrHighestMs * 100);
    static constexpr std::chrono::milliseconds kApplyPeriod{500};

    // Opens on the device's record (see open()). `device` must outlive the editor; `clock` drives
    // the apply timer.
    explicit CMainCorrEditor(CLPGDevice& device, ClockFn clock = [] { return SteadyClock::now(); });

    // Fills the eight texts from m_mainCorr.m_mainCorr with "%.2f".
    void open();

    // Cylinder indices are 0..7; anything else reads as an empty text and is ignored on change.
    const std::string& text(int cylinder) const;
    // The user typed into a cylinder's text. It is read at the next spin step and at the next apply.
    void setText(int cylinder, std::string text);

    bool changeForAll() const { return m_changeForAll; }
    void setChangeForAll(bool on) { m_changeForAll = on; }

    // How many cylinder rows are shown: the controller's injector count, bounded to 0..8.
    int visibleCylinders() const;
    bool cylinderVisible(int cylinder) const { return cylinder >= 0 && cylinder < visibleCylinders(); }
    // Cylinder 1's spin controls work while connected; the others' only while connected and with
    // "Zmiana dla wszystkich" unchecked (checked, cylinder 1 speaks for all).
    bool spinEnabled(int cylinder) const;

    // One spin step on a cylinder: `step` is the spin control's delta, and the control reports −1
    // for its upward arrow and +1 for its downward one (its range runs from high to low), so the new
    // value is the text − 0.01 × step, or − 0.10 × step for the coarse spin. Within −3.00 .. 6.00
    // the new value goes into this cylinder's text, or into all eight with "Zmiana dla wszystkich",
    // and the apply timer restarts; outside it, or on a hidden or disabled control, nothing changes.
    // True when the texts changed.
    bool spin(int cylinder, int step, bool coarse);
    bool stepUp(int cylinder, bool coarse = false) { return spin(cylinder, -1, coarse); }
    bool stepDown(int cylinder, bool coarse = false) { return spin(cylinder, +1, coarse); }

    const DeadlineTimer& applyTimer() const { return m_applyTimer; }
    // Timer expiry: while connected, the texts go into m_mainCorr.m_mainCorr and the block is written;
    // a failed write shows "Nie powiodło się ustawienie urządzenia!". A text that is not a number
    // keeps the record's value, one beyond −3.00 .. 6.00 is held at the bound; either way the text
    // is put right to show what was written.
    MainCorrApplyOutcome apply();
    // Runs apply() when the apply timer is due; true when it ran.
    bool tick();

    // Every write of the corrections goes into `history` (null: none) as a step that writes the
    // eight values of before or after it again.
    void setHistory(CEditHistory* history) { m_history = history; }

    // A correction as a text: "%.2f" in the "C" locale.
    static std::string format(double ms);
    // The number a text holds, in the "C" locale; nothing when it is not a finite number.
    static std::optional<double> parse(const std::string& text);

private:
    // The cylinder's value in hundredths: its text, or the record's value when the text is no number.
    long long hundredthsOf(int cylinder) const;

    using Corrections = std::array<double, kCylinders>;
    bool restore(const Corrections& values);

    CLPGDevice& m_device;
    CEditHistory* m_history = nullptr;
    std::array<std::string, kCylinders> m_texts;
    bool m_changeForAll = true;
    DeadlineTimer m_applyTimer;
};

} // namespace tarvola
