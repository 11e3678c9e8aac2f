#pragma once
// The service computations behind "Informacje o pojeździe" and "Następny przegląd": running times
// from the statistics counters, the PC code texts, the gas hours left until the next service and
// the service time the reminder stores. Plain functions over the settings record; the dialogs (and
// the command line) only show what these return and write the advanced setup block.
//
// The counters and the service time are half seconds in unsigned 32 bits. Everything here is
// computed in whole numbers, so no count is ever rounded the wrong way by a binary fraction, and
// a service time that would pass the counter's range saturates at its top instead of wrapping.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/PcStamp.h"
#include "settings/CDeviceSettings.h"

namespace tarvola {

constexpr std::uint32_t kHalfSecondsPerHour = 7200;
// The reminder turns distance into gas running time at this average speed.
constexpr std::uint32_t kServiceAverageSpeedKmh = 50;

// A running time as the dialog shows it.
struct RunningTime {
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0; // 0..59
    std::uint32_t seconds = 0; // 0..59

    bool operator==(const RunningTime&) const = default;
    // "%d : %02d : %02d", for example "1 : 00 : 00".
    std::string text() const;
};

// Whole seconds are the half seconds halved and truncated. Cannot fail.
RunningTime runningTimeFromHalfSeconds(std::uint32_t halfSeconds);
// Whole hours of a half-second count, truncated.
std::uint32_t wholeHours(std::uint32_t halfSeconds);

// "%02X%02X-%02X%02X" of bytes 2, 3, 0, 1: the stamp and this PC's code share it, so equal
// numbers give equal texts.
std::string pcCodeText(const PcStamp& stamp);
// Shown for this PC's code when the platform cannot tell it: no stamp can ever give this text, so
// it never looks like a match with the controller's stamp. Reads "????-????"; the escape keeps the
// question marks from forming a trigraph.
constexpr const char* kUnknownPcCodeText = "???\?-????";

// Gas hours left until the service: whole service hours less whole gas hours, 0 when the service is
// already due. Nothing when the reminder (bit 0) is off: the field stays empty and "h" is hidden.
std::optional<std::uint32_t> remainingServiceHours(const CDeviceSettings& settings);

// Everything "Informacje o pojeździe" shows.
struct VehicleServiceInfo {
    // Petrol (m_statistic.gas) and gas (m_statistic.lpg) running times; nothing when the
    // statistics were not read from the controller, and both rows stay empty.
    std::optional<RunningTime> petrolTime;
    std::optional<RunningTime> gasTime;
    std::string stampText;                        // m_base.m_pcStamp
    std::optional<std::string> thisPcText;        // nothing when the platform cannot tell
    std::optional<std::uint32_t> remainingHours;  // as remainingServiceHours
    // This PC's code text, or kUnknownPcCodeText.
    std::string thisPcDisplayText() const;
    // True when this PC last wrote the controller's base settings.
    bool writtenByThisPc() const { return thisPcText && *thisPcText == stampText; }
};

// `statisticsRead` says whether the statistics were read from a connected controller just now;
// `thisPc` is this PC's stamp (thisPcStamp() in production).
VehicleServiceInfo vehicleServiceInfo(const CDeviceSettings& settings, bool statisticsRead,
                                      const std::optional<PcStamp>& thisPc);
VehicleServiceInfo vehicleServiceInfo(const CDeviceSettings& settings, bool statisticsRead);

// The distances "Następny przegląd" offers: "Wyłączony" = 0 (Polish source text, translated by the
// caller), "500", then "1000" to "50000" in steps of 1000. The list opens on the first.
struct ServiceDistanceChoice {
    std::string text;
    std::uint32_t km = 0;
};
std::vector<ServiceDistanceChoice> serviceDistanceChoices();

// The service time for a reminder `km` kilometres from now: (km / 50, an integer division, plus
// the whole gas hours already run) in half seconds, saturated at the counter's top.
std::uint32_t serviceTimeForDistance(std::uint32_t lpgHalfSeconds, std::uint32_t km);
// Sets m_advancedSetup.m_serviceTime as above and bit 0 of m_advancedFlags when km is not 0,
// clearing it otherwise; other bits stay. The service time is set even for 0, as the controller
// has always received it. The caller writes the advanced setup block.
void setNextService(CDeviceSettings& settings, std::uint32_t km);

} // namespace tarvola
