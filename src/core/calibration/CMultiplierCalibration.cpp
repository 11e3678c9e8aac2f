#include "calibration/CMultiplierCalibration.h"

#include <atomic>
#include <vector>

#include "calibration/EditHistory.h"
#include "lang/CommonTexts.h"
#include "lang/translate.h"
#include "monitor/DiagValues.h"
#include "platform/NumberText.h"

namespace tarvola {

namespace {
std::atomic<bool> g_petrolMapLocked{false};


std::string format(double value, int decimals, const char* unit)
{
    return fixedText(value, decimals) + unit;
}
} // namespace

CMultiplierCalibration::CMultiplierCalibration(CLPGDevice& device, ClockFn clock)
    : m_device(device), m_lineTimer(kLineWritePeriod, std::move(clock))
{
}

bool CMultiplierCalibration::petrolMapLocked()
{
    return g_petrolMapLocked;
}

void CMultiplierCalibration::setPetrolMapLocked(bool locked)
{
    g_petrolMapLocked = locked;
}

std::string CMultiplierCalibration::mainCorrectionText() const
{
    return format(m_device.m_settings.m_mainCorr.m_mainCorr[0], 2, "");
}

std::string CMultiplierCalibration::petrolFillText() const
{
    return format(m_maps.petrolFill, 0, " %");
}

std::string CMultiplierCalibration::gasFillText() const
{
    return format(m_maps.gasFill, 0, " %");
}

bool CMultiplierCalibration::readMaps()
{
    if (!connected())
        return false;
    CBusyScope wait(m_device.prompt());
    CPointMap petrol;
    CPointMap gas;
    if (!m_device.readPetrolMap(petrol) || !m_device.readGasMap(gas))
        return false;
    const bool absolute = (m_device.m_settings.m_advancedSetup.m_advancedFlags & flags::AbsoluteManifold) != 0;
    m_maps = sortPointMaps(petrol, gas, absolute);
    view().mapsChanged();
    return true;
}

bool CMultiplierCalibration::writeLineOrRetry()
{
    if (m_device.writeSettings(SettingsBlock::SetupTimes))
        return true;
    m_lineTimer.restart();
    return false;
}

bool CMultiplierCalibration::createLine()
{
    if (m_busy || !connected())
        return false;
    auto& line = m_device.m_settings.m_setupTimes1;
    const MultiplierLine before = line;
    line = applyProposal(line, proposal());
    recordLine("Oblicz nastawy", before);
    const bool written = writeLineOrRetry();
    view().lineChanged();
    askEraseGasMap();
    return written;
}

void CMultiplierCalibration::askEraseGasMap()
{
    if (m_device.prompt().yesNo(translate(kEraseGasMapQuestion)))
        eraseGasMapNow();
}

void CMultiplierCalibration::clearPetrolMap()
{
    if (m_busy || petrolMapLocked())
        return;
    if (!m_device.erasePetrolMap()) {
        m_device.prompt().error(translate(kDeviceSettingFailedText));
        return;
    }
    readMaps();
}

void CMultiplierCalibration::clearGasMap()
{
    if (!m_busy)
        eraseGasMapNow();
}

bool CMultiplierCalibration::eraseGasMapNow()
{
    if (!m_device.eraseGasMap()) {
        m_device.prompt().error(translate(kDeviceSettingFailedText));
        return false;
    }
    readMaps();
    return true;
}

void CMultiplierCalibration::clearLine()
{
    if (m_busy)
        return;
    const MultiplierLine before = m_device.m_settings.m_setupTimes1;
    resetLine();
    recordLine("Kasuj nastawy", before);
}

void CMultiplierCalibration::resetLine()
{
    m_device.m_settings.m_setupTimes1.fill(0);
    writeLineOrRetry();
    view().lineChanged();
}

void CMultiplierCalibration::onCorrChanged(int index, double multiplier)
{
    if (!editable() || index < 0 || index >= kLineEntries)
        return;
    const double v = percentOf(multiplier);
    double& entry = m_device.m_settings.m_setupTimes1[static_cast<std::size_t>(index)];
    if (v == entry)
        return;
    const MultiplierLine before = m_device.m_settings.m_setupTimes1;
    entry = v;
    recordLine("Punkt linii mnożnika", before);
    m_device.noteChange(DeviceChange::ofBlock(SettingsBlock::SetupTimes));
    m_lineTimer.restart();
    view().lineChanged();
}

void CMultiplierCalibration::onIncrementAll(bool up)
{
    if (!editable())
        return;
    auto& line = m_device.m_settings.m_setupTimes1;
    const MultiplierLine before = line;
    line = incrementedLine(line, up);
    recordLine(up ? "Linia mnożnika +1%" : "Linia mnożnika -1%", before);
    m_device.noteChange(DeviceChange::ofBlock(SettingsBlock::SetupTimes));
    m_lineTimer.restart();
    view().lineChanged();
}

void CMultiplierCalibration::recordLine(const char* name, const MultiplierLine& before)
{
    const MultiplierLine after = m_device.m_settings.m_setupTimes1;
    if (!m_history || after == before)
        return;
    m_history->record({name, [this, before] { return restoreLine(before); },
                       [this, after] { return restoreLine(after); }});
}

bool CMultiplierCalibration::restoreLine(const MultiplierLine& line)
{
    if (!editable() || m_busy)
        return false;
    m_device.m_settings.m_setupTimes1 = line;
    m_lineTimer.stop();
    // Written at once like "Oblicz nastawy"; a failed write is retried by the line write timer.
    if (!writeLineOrRetry())
        m_device.noteChange(DeviceChange::ofBlock(SettingsBlock::SetupTimes));
    view().lineChanged();
    return true;
}

bool CMultiplierCalibration::tick()
{
    if (!m_lineTimer.tick() || !editable())
        return false;
    return m_device.writeSettings(SettingsBlock::SetupTimes);  // a failure here stays silent
}

void CMultiplierCalibration::takeNewSamples()
{
    if (!connected())
        return;
    std::vector<CDiag> fresh;
    m_seen = m_device.diagData().copySince(m_seen, fresh);
    for (const CDiag& sample : fresh)
        onLiveSample(sample);
}

void CMultiplierCalibration::skipWaitingSamples()
{
    m_seen = m_device.diagData().appended();
}

void CMultiplierCalibration::onLiveSample(const CDiag& sample)
{
    if (!connected())
        return;
    const CylinderTimes first = cylinderTimes(sample, 0);
    m_livePetrolText = format(first.petrolMs, 2, " ms");
    m_liveGasText = format(first.gasMs, 2, " ms");
    const DiagContext context = contextFrom(m_device.m_settings);
    const double pressure = std::max(0.0, diagValues(sample, context).manifoldKPa);
    if (--m_livePointCountdown <= 0) {
        m_livePointCountdown = kLivePointEvery;
        m_livePoint = CloudPoint{first.petrolMs, pressure};
    }
    view().liveChanged();
    if (--m_mapReadCountdown <= 0) {
        m_mapReadCountdown = kMapReadEvery;
        readMaps();
    }
}

} // namespace tarvola
