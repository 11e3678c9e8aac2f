#include "settings/ServiceInfo.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace tarvola {

std::string RunningTime::text() const
{
    std::array<char, 40> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%u : %02u : %02u", static_cast<unsigned>(hours),
                  static_cast<unsigned>(minutes), static_cast<unsigned>(seconds));
    return buffer.data();
}

RunningTime runningTimeFromHalfSeconds(std::uint32_t halfSeconds)
{
    const std::uint32_t total = halfSeconds / 2;
    return {total / 3600, total / 60 % 60, total % 60};
}

std::uint32_t wholeHours(std::uint32_t halfSeconds)
{
    return halfSeconds / kHalfSecondsPerHour;
}

std::string pcCodeText(const PcStamp& stamp)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%02X%02X-%02X%02X", unsigned{stamp[2]}, unsigned{stamp[3]},
                  unsigned{stamp[0]}, unsigned{stamp[1]});
    return buffer.data();
}

std::optional<std::uint32_t> remainingServiceHours(const CDeviceSettings& settings)
{
    if ((settings.m_advancedSetup.m_advancedFlags & flags::ServiceReminder) == 0)
        return std::nullopt;
    const std::uint32_t due = wholeHours(settings.m_advancedSetup.m_serviceTime);
    const std::uint32_t done = wholeHours(settings.m_devInfo.m_statistic.lpg);
    // Unsigned subtraction past the service would wrap to four billion hours.
    return due > done ? due - done : 0;
}

std::string VehicleServiceInfo::thisPcDisplayText() const
{
    return thisPcText ? *thisPcText : std::string(kUnknownPcCodeText);
}

VehicleServiceInfo vehicleServiceInfo(const CDeviceSettings& settings, bool statisticsRead,
                                      const std::optional<PcStamp>& thisPc)
{
    VehicleServiceInfo info;
    if (statisticsRead) {
        info.petrolTime = runningTimeFromHalfSeconds(settings.m_devInfo.m_statistic.gas);
        info.gasTime = runningTimeFromHalfSeconds(settings.m_devInfo.m_statistic.lpg);
    }
    info.stampText = pcCodeText(settings.m_base.m_pcStamp);
    if (thisPc)
        info.thisPcText = pcCodeText(*thisPc);
    info.remainingHours = remainingServiceHours(settings);
    return info;
}

VehicleServiceInfo vehicleServiceInfo(const CDeviceSettings& settings, bool statisticsRead)
{
    return vehicleServiceInfo(settings, statisticsRead, thisPcStamp());
}

std::vector<ServiceDistanceChoice> serviceDistanceChoices()
{
    std::vector<ServiceDistanceChoice> choices{{"Wyłączony", 0}, {"500", 500}};
    for (std::uint32_t km = 1000; km <= 50000; km += 1000)
        choices.push_back({std::to_string(km), km});
    return choices;
}

std::uint32_t serviceTimeForDistance(std::uint32_t lpgHalfSeconds, std::uint32_t km)
{
    // Both terms fit 32 bits, so their sum times 7200 fits 64; only the result needs the clamp.
    const std::uint64_t hours = std::uint64_t{km / kServiceAverageSpeedKmh} + wholeHours(lpgHalfSeconds);
    const std::uint64_t halfSeconds = hours * kHalfSecondsPerHour;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(halfSeconds, std::numeric_limits<std::uint32_t>::max()));
}

void setNextService(CDeviceSettings& settings, std::uint32_t km)
{
    auto& setup = settings.m_advancedSetup;
    if (km != 0)
        setup.m_advancedFlags = static_cast<std::uint8_t>(setup.m_advancedFlags | flags::ServiceReminder);
    else
        setup.m_advancedFlags = static_cast<std::uint8_t>(setup.m_advancedFlags & ~flags::ServiceReminder);
    setup.m_serviceTime = serviceTimeForDistance(settings.m_devInfo.m_statistic.lpg, km);
}

} // namespace tarvola
