#include "service/SettingsActions.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <utility>

#include "errors/IError.h"
#include "lang/CommonTexts.h"
#include "lang/translate.h"
#include "platform/AppConfig.h"
#include "device/CLPGDevice.h"
#include "settings/CSettingsFile.h"

namespace tarvola {

std::string localTime(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char buffer[64];
    return std::string(buffer, std::strftime(buffer, sizeof buffer, format, &parts));
}

namespace {

constexpr const char* kSaveFailed = kSaveFailedText;
constexpr const char* kLoadFailed = "Nie można wczytać ustawień z pliku";
constexpr const char* kFactoryQuestion = "Czy chcesz przywrócić ustawienia fabryczne?";

ActionOutcome fail(CLPGDevice& device, WriteStep step, std::string message)
{
    device.prompt().error(message);
    return {ActionResult::Failed, step, std::move(message)};
}

bool runStep(CLPGDevice& device, WriteStep step)
{
    switch (step) {
    case WriteStep::PetrolSwitch: return device.switchToPetrolAndWait();
    case WriteStep::Base: return device.writeSettings(SettingsBlock::Base);
    case WriteStep::Adv: return device.writeSettings(SettingsBlock::Adv);
    case WriteStep::MainCorr: return device.writeSettings(SettingsBlock::MainCorr);
    case WriteStep::SetupTimes: return device.writeSettings(SettingsBlock::SetupTimes);
    case WriteStep::Map: return device.writeMap();
    case WriteStep::ClearMap: return device.clearMap();
    case WriteStep::StoreMap: return device.storeMap();
    case WriteStep::AdvancedSetup: return device.writeSettings(SettingsBlock::AdvancedSetup);
    case WriteStep::SensorsSetup: return device.writeSettings(SettingsBlock::SensorsSetup);
    case WriteStep::Reset: return device.clearErrors();
    default: return false;
    }
}

// Writes the live record step by step and stops at the first step that fails. A link error object
// ends the action with the action's name and the error's text, as a handler of it must show both.
ActionOutcome completeWrite(CLPGDevice& device, std::initializer_list<WriteStep> steps, const char* actionName)
{
    CBusyScope busy(device.prompt());
    WriteStep current = WriteStep::None;
    try {
        for (const WriteStep step : steps) {
            current = step;
            if (!runStep(device, step))
                return fail(device, step, translate(step == WriteStep::Reset ? kDeviceResetFailedText : kDeviceSettingFailedText));
        }
    } catch (const IError& e) {
        return fail(device, current, errorBoxText(actionName, e));
    }
    return {};
}

} // namespace

const char* stepName(WriteStep step)
{
    switch (step) {
    case WriteStep::None: return "none";
    case WriteStep::ReadFile: return "read file";
    case WriteStep::WriteFile: return "write file";
    case WriteStep::PetrolSwitch: return "switch to petrol";
    case WriteStep::Base: return "base";
    case WriteStep::Adv: return "adv";
    case WriteStep::MainCorr: return "main correction";
    case WriteStep::SetupTimes: return "setup times";
    case WriteStep::Map: return "map";
    case WriteStep::ClearMap: return "clear map";
    case WriteStep::StoreMap: return "store map";
    case WriteStep::AdvancedSetup: return "advanced setup";
    case WriteStep::SensorsSetup: return "sensors setup";
    case WriteStep::Reset: return "reset";
    }
    return "?";
}

std::optional<std::string> settingsFolder()
{
    return userDataFolder("settings");
}

void mergeLoadedSettings(CDeviceSettings& live, const CDeviceSettings& loaded)
{
    // The PC stamp says which PC last wrote this controller, not which one wrote the file.
    const auto pcStamp = live.m_base.m_pcStamp;
    live.m_base = loaded.m_base;
    live.m_base.m_pcStamp = pcStamp;
    live.m_adv = loaded.m_adv;
    live.m_mainCorr = loaded.m_mainCorr;
    live.m_setupTimes1 = loaded.m_setupTimes1;
    live.m_setupTimes2 = loaded.m_setupTimes2;
    live.m_tableMask = loaded.m_tableMask;
    live.m_injMapTable = loaded.m_injMapTable;
    live.m_corrMap = loaded.m_corrMap;
    live.m_sensorsSetup = loaded.m_sensorsSetup;
    // The service time belongs to this controller, and so does bit 0 of the advanced flags.
    auto& adv = live.m_advancedSetup;
    adv.m_minimalLPGRPM = loaded.m_advancedSetup.m_minimalLPGRPM;
    adv.m_switchCorr = loaded.m_advancedSetup.m_switchCorr;
    adv.m_switchCorrTime = loaded.m_advancedSetup.m_switchCorrTime;
    adv.m_maxLoadTime = loaded.m_advancedSetup.m_maxLoadTime;
    adv.m_advancedFlags = static_cast<std::uint8_t>((adv.m_advancedFlags & 0x01u) |
                                                    (loaded.m_advancedSetup.m_advancedFlags & ~0x01u));
}

void mergeFactorySettings(CDeviceSettings& live, const CDeviceSettings& defaults)
{
    mergeLoadedSettings(live, defaults);
    live.m_base = defaults.m_base;
    live.m_advancedSetup = defaults.m_advancedSetup;
}

ActionOutcome saveSettings(CLPGDevice& device, const std::string& path)
{
    CBusyScope busy(device.prompt());
    device.m_settings.m_timeStamp = localTime("%d-%m-%Y-%H:%M:%S");
    if (!writeSettingsRecord(path, device.m_settings))
        return fail(device, WriteStep::WriteFile, translate(kSaveFailed) + "\n" + path);
    return {};
}

ActionOutcome loadSettings(CLPGDevice& device, const std::string& path)
{
    CDeviceSettings loaded;
    {
        CBusyScope busy(device.prompt());
        std::string error;
        if (!readSettingsRecord(path, loaded, error))
            return fail(device, WriteStep::ReadFile, translate(kLoadFailed) + "\n" + error);
    }
    return loadSettingsRecord(device, loaded);
}

ActionOutcome loadSettingsRecord(CLPGDevice& device, const CDeviceSettings& loaded)
{
    CLPGDevice::ChangeBatch batch(device);
    mergeLoadedSettings(device.m_settings, loaded);
    device.noteChange(DeviceChange::of(DeviceChange::Replaced));
    return completeWrite(device,
                         {WriteStep::PetrolSwitch, WriteStep::Base, WriteStep::Adv, WriteStep::MainCorr,
                          WriteStep::SetupTimes, WriteStep::Map, WriteStep::AdvancedSetup, WriteStep::SensorsSetup,
                          WriteStep::Reset},
                         "CVeldranixDoc::OnFileReadSettings()");
}

ActionOutcome restoreFactorySettings(CLPGDevice& device)
{
    if (!device.prompt().yesNo(translate(kFactoryQuestion)))
        return {ActionResult::Cancelled, WriteStep::None, ""};
    CLPGDevice::ChangeBatch batch(device);
    mergeFactorySettings(device.m_settings, CDeviceSettings{});
    device.noteChange(DeviceChange::of(DeviceChange::Replaced));
    return completeWrite(device,
                         {WriteStep::PetrolSwitch, WriteStep::Base, WriteStep::Adv, WriteStep::MainCorr,
                          WriteStep::SetupTimes, WriteStep::ClearMap, WriteStep::StoreMap, WriteStep::SensorsSetup,
                          WriteStep::AdvancedSetup, WriteStep::Reset},
                         "CVeldranixDoc::OnDefaultValues()");
}

std::optional<std::string> backupSettings(const CLPGDevice& device, const std::string& folder)
{
    namespace fs = std::filesystem;
    std::string dir = folder;
    if (dir.empty()) {
        const auto standard = settingsFolder();
        if (!standard)
            return std::nullopt;
        dir = *standard;
    }
    CDeviceSettings copy = device.m_settings;
    copy.m_timeStamp = localTime("%d-%m-%Y-%H:%M:%S");
    const std::string stem = "backup-" + localTime("%Y%m%d-%H%M%S");
    // Two backups within one second must not overwrite each other.
    fs::path target = fs::path(dir) / (stem + ".xset");
    std::error_code ec;
    for (int n = 2; fs::exists(target, ec) && n < 100; ++n)
        target = fs::path(dir) / (stem + "-" + std::to_string(n) + ".xset");
    if (fs::exists(target, ec) || !writeSettingsRecord(target.string(), copy))
        return std::nullopt;
    return target.string();
}

} // namespace tarvola
