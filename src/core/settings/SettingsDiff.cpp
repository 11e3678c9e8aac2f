#include "settings/SettingsDiff.h"

#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "settings/SettingsKeys.h"
#include "settings/SettingsPages.h"

namespace tarvola {

namespace {

bool leftOut(const std::string& name)
{
    return name == "m_timeStamp" || name.rfind("m_devInfo.m_statistic.", 0) == 0;
}

// A value the control offers that differs from what it shows for `record`.
std::optional<double> otherValue(const SettingControl& control, const CDeviceSettings& record)
{
    const double shown = control.get ? control.get(record) : NAN;
    if (control.kind == ControlKind::Check)
        return shown == 1 ? 0.0 : 1.0;
    for (const PageItem& item : control.items)
        if (!(item.value == shown))
            return item.value;
    if (control.kind == ControlKind::Slider && std::isfinite(shown))
        return shown + 1;
    return std::nullopt;
}

// Key name → Polish label, found by letting every page control set a value and seeing which keys
// change: the pages stay the one place that says which control edits which field.
const std::map<std::string, std::string>& labels()
{
    static const std::map<std::string, std::string> table = [] {
        // A control that sets several fields at once (a sensor type with its thresholds) names a key
        // only when no control that sets fewer fields names it.
        std::map<std::string, std::pair<std::size_t, std::string>> best;
        const CDeviceSettings defaults;
        const auto& keys = settingsKeys();
        for (const SettingsPage* page : {&petrolPage(), &gasPage(), &switchPage(), &advancedPage()})
            for (const SettingControl& control : page->controls) {
                if (!control.set || *control.label == '\0')
                    continue;
                const auto value = otherValue(control, defaults);
                if (!value)
                    continue;
                CDeviceSettings probe = defaults;
                control.set(probe, *value);
                std::vector<std::string> changed;
                for (const SettingsKey& key : keys)
                    if (key.text(probe) != key.text(defaults))
                        changed.push_back(key.name());
                for (const std::string& name : changed) {
                    auto [it, fresh] = best.try_emplace(name, changed.size(), control.label);
                    if (!fresh && changed.size() < it->second.first)
                        it->second = {changed.size(), control.label};
                }
            }
        std::map<std::string, std::string> t;
        for (auto& [name, entry] : best)
            t.emplace(name, std::move(entry.second));
        return t;
    }();
    return table;
}

} // namespace

std::string settingLabel(const std::string& keyName)
{
    const auto& t = labels();
    if (const auto it = t.find(keyName); it != t.end())
        return it->second;
    if (keyName.rfind("m_injMapTable", 0) == 0)
        return "Mapa";
    if (keyName.rfind("m_setupTimes1", 0) == 0)
        return "Linia mnożnika";
    if (keyName.rfind("m_mainCorr.", 0) == 0)
        return "Korekcje";
    return {};
}

std::vector<SettingDifference> settingsDifferences(const CDeviceSettings& first, const CDeviceSettings& second)
{
    std::vector<SettingDifference> out;
    for (const SettingsKey& key : settingsKeys()) {
        if (leftOut(key.name()))
            continue;
        std::string before = key.text(first);
        std::string after = key.text(second);
        if (before != after)
            out.push_back({&key, settingLabel(key.name()), std::move(before), std::move(after)});
    }
    return out;
}

} // namespace tarvola
