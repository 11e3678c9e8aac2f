#include "service/OfflineSettings.h"

#include "lang/translate.h"
#include "settings/CSettingsFile.h"

namespace tarvola {

bool COfflineSettings::open(const std::string& path, std::string& error)
{
    if (m_device.isConnected()) {
        error = translate("Plik ustawień można otworzyć bez sterownika tylko wtedy, gdy żaden nie jest podłączony.");
        return false;
    }
    CDeviceSettings file;
    if (!readSettingsRecord(path, file, error))
        return false;
    CLPGDevice::ChangeBatch batch(m_device);
    m_device.m_settings = file;
    m_path = path;
    m_modified = false;
    if (m_device.isOffline())
        m_device.noteChange(DeviceChange{DeviceChange::Replaced, 0});  // one file after another
    m_device.setOffline(true);
    changed();
    return true;
}

void COfflineSettings::close()
{
    if (!active())
        return;
    CLPGDevice::ChangeBatch batch(m_device);
    m_device.m_settings = CDeviceSettings{};
    m_path.clear();
    m_modified = false;
    m_device.setOffline(false);
    changed();
}

bool COfflineSettings::save(const std::string& path)
{
    if (!active())
        return false;
    const std::string target = path.empty() ? m_path : path;
    if (target.empty() || saveSettings(m_device, target).result != ActionResult::Done)
        return false;
    m_path = target;
    m_modified = false;
    changed();
    return true;
}

void COfflineSettings::noteChange(const DeviceChange& change)
{
    if (!active() || m_attempting || m_modified || change.has(DeviceChange::Replaced))
        return;
    if (change.blocks != 0 || change.has(DeviceChange::Map)) {
        m_modified = true;
        changed();
    }
}

bool COfflineSettings::connectAttempt(const std::function<bool()>& attempt)
{
    if (!active())
        return attempt();
    const CDeviceSettings file = m_device.m_settings;
    m_attempting = true;
    bool connected = false;
    try {
        connected = attempt() && m_device.isConnected();
    } catch (...) {
        m_attempting = false;
        m_device.m_settings = file;
        throw;
    }
    m_attempting = false;
    if (!connected) {
        // Nothing answered, or a link check passed but no controller stayed: the file as it was.
        m_device.m_settings = file;
        return false;
    }
    // The record now holds the controller's settings; the file's wait beside it.
    m_prepared = file;
    m_preparedPath = std::exchange(m_path, {});
    m_preparedModified = std::exchange(m_modified, false);
    m_device.setOffline(false);
    changed();
    return true;
}

bool COfflineSettings::savePrepared()
{
    if (!m_prepared || m_preparedPath.empty())
        return false;
    CDeviceSettings copy = *m_prepared;
    copy.m_timeStamp = localTime("%d-%m-%Y-%H:%M:%S");
    if (!writeSettingsRecord(m_preparedPath, copy)) {
        m_device.prompt().error(translate(kSaveFailedText) + "\n" + m_preparedPath);
        return false;
    }
    m_preparedModified = false;
    return true;
}

ActionOutcome COfflineSettings::writePrepared(std::optional<std::string>& backup)
{
    backup.reset();
    if (!m_prepared || !m_device.isConnected())
        return {ActionResult::Cancelled, WriteStep::None, ""};
    const CDeviceSettings prepared = *m_prepared;
    discardPrepared();
    // Blocks that were not read hold defaults: a backup of them would put wrong values back later.
    std::string refusal;
    if (!m_device.unreadBlocks().empty())
        refusal = translate(kNotAllReadText);
    else if (!(backup = backupSettings(m_device)))
        refusal = translate(kSaveFailedText) + "\n" + settingsFolder().value_or("");
    if (!refusal.empty()) {
        m_device.prompt().error(refusal);
        return {ActionResult::Failed, WriteStep::WriteFile, refusal};
    }
    return loadSettingsRecord(m_device, prepared);
}

void COfflineSettings::discardPrepared()
{
    m_prepared.reset();
    m_preparedPath.clear();
    m_preparedModified = false;
}

void COfflineSettings::changed()
{
    if (m_onChange)
        m_onChange();
}

} // namespace tarvola
