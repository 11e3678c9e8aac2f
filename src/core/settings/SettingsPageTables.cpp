// The controls of the four settings pages: what each shows, what it changes and what it writes.

#include <cmath>
#include <limits>

#include "settings/Conversions.h"
#include "settings/SettingsPages.h"

namespace tarvola {

namespace {

using S = CDeviceSettings;
using B = SettingsBlock;
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

std::uint8_t toByte(double v) { return saturateU8(truncateTowardZero(v)); }

// A control over a double field.
template <typename Field>
SettingControl number(int id, const char* handler, const char* label, const char* unit, int group,
                      std::vector<PageItem> items, Field field, std::vector<B> blocks)
{
    SettingControl c;
    c.id = id;
    c.handler = handler;
    c.label = label;
    c.unit = unit;
    c.group = group;
    c.items = std::move(items);
    c.get = [field](const S& s) { return static_cast<double>(field(const_cast<S&>(s))); };
    c.set = [field](S& s, double v) {
        auto& f = field(s);
        using T = std::remove_reference_t<decltype(f)>;
        if constexpr (std::is_same_v<T, std::uint8_t>)
            f = toByte(v);
        else
            f = v;
    };
    c.blocks = std::move(blocks);
    return c;
}

// A control over some bits of a byte: the value is 1 when all of `bits` are set.
template <typename Field>
SettingControl bits(int id, ControlKind kind, const char* handler, const char* label, int group,
                    std::vector<PageItem> items, Field field, std::uint8_t mask, std::vector<B> blocks)
{
    SettingControl c;
    c.id = id;
    c.kind = kind;
    c.handler = handler;
    c.label = label;
    c.group = group;
    c.items = std::move(items);
    c.get = [field, mask](const S& s) { return (field(const_cast<S&>(s)) & mask) == mask ? 1.0 : 0.0; };
    c.set = [field, mask](S& s, double v) {
        auto& f = field(s);
        f = static_cast<std::uint8_t>(v != 0 ? (f | mask) : (f & ~mask));
    };
    c.blocks = std::move(blocks);
    return c;
}

SettingControl check(int id, const char* handler, const char* label, int group, auto field, std::uint8_t mask,
                     std::vector<B> blocks)
{
    return bits(id, ControlKind::Check, handler, label, group, {}, field, mask, std::move(blocks));
}

std::vector<PageItem> texts(std::initializer_list<std::pair<const char*, double>> list)
{
    std::vector<PageItem> items;
    for (const auto& [text, value] : list)
        items.push_back({value, 0, text});
    return items;
}

std::vector<PageItem> sensorItems()
{
    return texts({{"10 kOHM", 0}, {"2.2 kOHM", 1}, {"4.7 kOHM", 2}});
}

std::vector<PageItem> fuelSensorItems()
{
    return texts({{"0-90 Ohm rosnący", 1}, {"0-90 Ohm malejący", 6}, {"50 kOhm malejący", 0},
                  {"50 kOhm rosnący", 5}, {"CNG Hall 5-0V", 3}, {"CNG Hall 0-5V", 4}});
}

SettingControl fuelSensorControl(int id, const char* handler, int group)
{
    auto c = number(id, handler, "Typ czujnika", "", group, fuelSensorItems(),
                    [](S& s) -> auto& { return s.m_sensorsSetup.m_fuelSensorType; }, {B::SensorsSetup});
    c.set = [](S& s, double v) {
        auto& f = s.m_sensorsSetup;
        f.m_fuelSensorType = toByte(v);
        FuelSensorPreset p{};
        if (fuelSensorPreset(f.m_fuelSensorType, p)) {
            f.m_fuelRes = p.res;
            f.m_fuelType = p.type;
            f.m_fuelFull = p.thresholds[0];
            f.m_fuelHgw = p.thresholds[1];
            f.m_fuelHalf = p.thresholds[2];
            f.m_fuelQuarter = p.thresholds[3];
        }
    };
    return c;
}

SettingControl slider(int id, const char* handler, const char* label, int group, auto field)
{
    auto c = number(id, handler, label, "", group, {}, field, {B::SensorsSetup});
    c.kind = ControlKind::Slider;
    return c;
}

auto advFlags = [](S& s) -> auto& { return s.m_advancedSetup.m_advancedFlags; };
auto baseFlags = [](S& s) -> auto& { return s.m_base.m_flags; };
auto adv8Flags = [](S& s) -> auto& { return s.m_adv.m_flags; };

SettingControl warmingCheck(int id, const char* handler, int group)
{
    auto c = check(id, handler, "Włączone", group, adv8Flags, flags::InjectorWarming, {B::Adv});
    c.needsConnection = false;
    return c;
}

SettingControl warmingTime(int id, const char* handler, int group)
{
    return number(id, handler, "Czas rozgrzewania wtryskiwaczy", "s", group, valueRange(0, 120, 5, 0),
                  [](S& s) -> auto& { return s.m_adv.m_warmingTime; }, {B::Adv});
}

SettingControl ignoreTime(int id, const char* handler, int group)
{
    return number(id, handler, "Ignorowanie impulsów benzyny poniżej", "ms", group, valueRange(0, 2, 0.1, 1),
                  [](S& s) -> auto& { return s.m_adv.m_ignoreLPGTime; }, {B::Adv});
}

SettingControl fastCheck(int id, const char* handler, int group)
{
    auto c = check(id, handler, "Tryb FAST", group, baseFlags, flags::FastSwitch, {B::Base});
    c.needsConnection = false;
    return c;
}

SettingControl enrichCheck(int id, const char* handler, int group)
{
    return check(id, handler, "Jednorazowe wzbogacenie", group, advFlags, flags::OneTimeEnrichment, {B::AdvancedSetup});
}

SettingControl enrichPercent(int id, const char* handler, int group)
{
    auto c = number(id, handler, "", "%", group, valueRange(0, 50, 1, 0),
                    [](S& s) -> auto& { return s.m_advancedSetup.m_switchCorr; }, {B::AdvancedSetup});
    c.set = [](S& s, double v) {
        s.m_advancedSetup.m_switchCorr = toByte(v);
        if (s.m_advancedSetup.m_switchCorr == 0)
            s.m_advancedSetup.m_advancedFlags &= static_cast<std::uint8_t>(~flags::OneTimeEnrichment);
    };
    return c;
}

SettingControl enrichTime(int id, const char* handler, int group)
{
    return number(id, handler, "przez", "s", group, valueRange(20, 120, 1, 0),
                  [](S& s) -> auto& { return s.m_advancedSetup.m_switchCorrTime; }, {B::AdvancedSetup});
}

SettingsPage makePetrolPage()
{
    SettingsPage p{"CPanelGasolinePage", "Parametry benzynowe", {"Sygnał obrotów", "Wtrysk benzyny"}, {}, 2100};
    auto& c = p.controls;
    c.push_back(number(2101, "CPanelGasolinePage::OnSelendokCmbRpmDiv", "Ilość cyl./cewkę", "", 0,
                       valueRange(1, 4, 1, 0), [](S& s) -> auto& { return s.m_base.m_sparkDivider; }, {B::Base}));
    c.push_back(bits(2102, ControlKind::List, "CPanelGasolinePage::OnSelendokCmbRpmLevel", "Poziom sygnału obrotów",
                     0, texts({{"5 V", 1}, {"12 V", 0}}), advFlags, flags::RpmSignal5V, {B::AdvancedSetup}));
    c.push_back(bits(2103, ControlKind::List, "CPanelGasolinePage::OnSelendokCmbEngineType", "Typ silnika", 0,
                     texts({{"STANDARD", 0}, {"TURBO", 1}}), advFlags, flags::Turbo, {B::AdvancedSetup}));

    SettingControl type;
    type.id = 2104;
    type.handler = "CPanelGasolinePage::OnSelendokCmbGasInjType";
    type.label = "Typ wtrysku benzynowego";
    type.group = 1;
    type.items = texts({{"Sekwencja", 0}, {"Full group", 2}});
    type.get = [](const S& s) {
        const int t = channelPatternType(s.m_adv.m_channelBytes, s.m_devInfo.m_injCount);
        return t < 0 ? kNoValue : static_cast<double>(t);
    };
    type.set = [](S& s, double v) {
        s.m_adv.m_channelBytes = channelPattern(static_cast<int>(truncateTowardZero(v)), s.m_devInfo.m_injCount);
    };
    type.blocks = {B::Adv};
    type.needsConnection = false;
    type.endsWithReset = true;
    type.clearWhenNoMatch = true;
    c.push_back(type);

    auto signal = check(2105, "CPanelGasolinePage::OnChkInjSignal", "Wtrysk benzyny sterowany +", 1,
                        [](S& s) -> auto& { return s.m_adv.m_engineSignalBehavior; }, flags::PetrolSignalPositive, {B::Adv});
    signal.endsWithReset = true;
    c.push_back(signal);

    auto lambda = number(2106, "CPanelGasolinePage::OnSelendokCmbLambdaType", "Typ sondy Lambda", "", 1,
                         texts({{"0 - 1 Volt", 1}, {"0.8 - 1.6 Volt", 6}, {"0 - 5 Volt", 2}, {"5 - 0 Volt", 4}}),
                         [](S& s) -> auto& { return s.m_sensorsSetup.m_lambdaType; }, {B::SensorsSetup});
    lambda.hidden = true;
    c.push_back(lambda);
    return p;
}

SettingsPage makeGasPage()
{
    SettingsPage p{"CPanelGasPage", "Parametry gazowe",
                   {"Wtryskiwacze gazowe", "Ciśnienie", "Czujniki temperatury", "Poziom gazu"}, {}, 2200};
    p.hasFuelLevel = true;
    auto& c = p.controls;
    auto inj = number(2201, "CPanelGasPage::OnSelendokCmbLpgInj", "Wtryskiwacz gazowy", "", 0,
                      texts({{"VALTEK/RAIL-IG 3 OHM", 1}, {"VALTEK/RAIL-IG 2 OHM", 15}, {"VALTEK/RAIL-IG 1 OHM", 9},
                             {"HANA H2000 1.9 OHM", 16}, {"HANA H2000 3 OHM", 17}, {"HANA H2000 A+ 1.3 OHM", 18},
                             {"HANA H2100 1.2 OHM", 19}, {"MAGICJET 2 OHM", 12}, {"KEIHIN", 5}, {"MATRIX", 4},
                             {"REG", 2}, {"ZAVOLI", 6}, {"PLANIJET", 10}}),
                      [](S& s) -> auto& { return s.m_adv.m_injectorType; }, {B::Adv});
    inj.set = [](S& s, double v) {
        s.m_adv.m_injectorType = toByte(v);
        const auto preset = injectorPreset(s.m_adv.m_injectorType);
        s.m_adv.m_pwm = preset.pwm;
        s.m_adv.m_pwmOffset = preset.pwmOffsetMs;
        s.m_adv.m_injectorWarmingImpulse = preset.warmingImpulseMs;
    };
    c.push_back(inj);
    c.push_back(warmingCheck(2207, "CPanelGasPage::OnChkInjWarming", 0));
    c.push_back(warmingTime(2208, "CPanelGasPage::OnSelendokCmbWarminTime", 0));
    auto ignore = ignoreTime(2209, "CPanelGasPage::OnSelendokCmbIgnoreTime", 0);
    ignore.hidden = true;
    c.push_back(ignore);

    c.push_back(number(2202, "CPanelGasPage::OnSelendokCmbPressSwitch", "Ciś. minimalne", "kPa", 1,
                       valueRange(0, 200, 1, 0), [](S& s) -> auto& { return s.m_base.m_switchPressure; }, {B::Base}));
    c.push_back(number(2203, "CPanelGasPage::OnSelendokCmbPressRef", "Ciś. robocze", "kPa", 1,
                       valueRange(50, 250, 1, 0), [](S& s) -> auto& { return s.m_base.m_pressureRef; }, {B::Base}));
    auto sensor = bits(2204, ControlKind::List, "CPanelGasPage::OnSelendokCmbPressSensorType", "Cz. cisnienia", 1,
                       texts({{"ABSOLUTE 400kPa", 1}, {"DIFFERENTIAL", 0}}), advFlags, flags::AbsoluteManifold, {B::AdvancedSetup});
    sensor.needsConnection = false;
    sensor.endsWithReset = true;
    c.push_back(sensor);

    c.push_back(number(2205, "CPanelGasPage::OnSelendokCmbTemprRedSensor", "Cz. temp. reduktora", "", 2,
                       sensorItems(), [](S& s) -> auto& { return s.m_sensorsSetup.m_temprEngineSensor; },
                       {B::Base, B::Adv, B::SensorsSetup}));
    c.push_back(number(2206, "CPanelGasPage::OnSelendokCmbTemprLpgSensor", "Cz. temp. gazu", "", 2, sensorItems(),
                       [](S& s) -> auto& { return s.m_sensorsSetup.m_temprLPGSensor; },
                       {B::Base, B::Adv, B::SensorsSetup}));

    c.push_back(fuelSensorControl(2210, "CPanelGasPage::OnSelendokCmbFuelSensor", 3));
    c.push_back(slider(fuelctl::FullSlider, "CPanelGasPage::OnSliderFuelLevel", "Pełny", 3,
                       [](S& s) -> auto& { return s.m_sensorsSetup.m_fuelFull; }));
    c.push_back(slider(fuelctl::HgwSlider, "CPanelGasPage::OnSliderFuelLevel", "3/4", 3,
                       [](S& s) -> auto& { return s.m_sensorsSetup.m_fuelHgw; }));
    c.push_back(slider(fuelctl::HalfSlider, "CPanelGasPage::OnSliderFuelLevel", "1/2", 3,
                       [](S& s) -> auto& { return s.m_sensorsSetup.m_fuelHalf; }));
    c.push_back(slider(fuelctl::QuarterSlider, "CPanelGasPage::OnSliderFuelLevel", "1/4", 3,
                       [](S& s) -> auto& { return s.m_sensorsSetup.m_fuelQuarter; }));
    return p;
}

SettingsPage makeSwitchPage()
{
    SettingsPage p{"CPanelSwitchPage", "Parametry przełączenia", {"Na gaz", "Na benzynę"}, {}, 2300};
    auto& c = p.controls;
    c.push_back(number(2301, "CPanelSwitchPage::OnSelendokCmbTemprSwitch", "Temperatura", "°C", 0,
                       valueRange(0, 70, 1, 0), [](S& s) -> auto& { return s.m_base.m_switchTempr; }, {B::Base}));
    c.push_back(number(2302, "CPanelSwitchPage::OnSelendokCmbRpmSwitch", "Obroty przełączania", "RPM", 0,
                       valueRange(500, 5000, 100, 0), [](S& s) -> auto& { return s.m_base.m_switchRPM; },
                       {B::Base}));
    c.push_back(number(2303, "CPanelSwitchPage::OnSelendokCmbSwitchDelay", "Czas zwłoki - zimny silnik", "s", 0,
                       valueRange(0, 120, 1, 0), [](S& s) -> auto& { return s.m_base.m_switchDelay; }, {B::Base}));

    SettingControl warm;
    warm.id = 2304;
    warm.handler = "CPanelSwitchPage::OnSelendokCmbSwitchDelayWarm";
    warm.label = "Czas zwłoki - ciepły silnik";
    warm.unit = "s";
    warm.items = valueRange(2, 10, 8, 0);
    warm.get = [](const S& s) { return (s.m_base.m_flags & flags::FastSwitch) ? 2.0 : 10.0; };
    warm.set = [](S& s, double v) {
        s.m_base.m_flags = static_cast<std::uint8_t>(v == 2 ? (s.m_base.m_flags | flags::FastSwitch) : (s.m_base.m_flags & ~flags::FastSwitch));
    };
    warm.blocks = {B::Base};
    c.push_back(warm);

    c.push_back(number(2305, "CPanelSwitchPage::OnSelendokCmbEmulatorDelay", "Przełączanie cylindrów", "s", 0,
                       valueRange(0, 5, 0.1, 1), [](S& s) -> auto& { return s.m_base.m_emulatorDelay; },
                       {B::Base}));
    c.push_back(check(2306, "CPanelSwitchPage::OnChkSwitchAllAtOnce", "Przełączaj jednocześnie przy autokalibracji",
                      0, advFlags, flags::SwitchAllAtOnce, {B::AdvancedSetup}));

    auto maxRpmItems = valueRange(2800, 8000, 100, 0);
    maxRpmItems.back().text = "Wyłączony";
    auto maxRpm = number(2307, "CPanelSwitchPage::OnSelendokCmbMaxRpm", "Maks. obroty", "RPM", 1, maxRpmItems,
                         [](S& s) -> auto& { return s.m_base.m_maxRPMHigh; }, {B::Base});
    maxRpm.set = [](S& s, double v) {
        s.m_base.m_maxRPMHigh = v;
        s.m_base.m_maxRPMLow = v - 1000;
        s.m_base.m_flags = static_cast<std::uint8_t>(v == 8000 ? (s.m_base.m_flags & ~flags::MaxRpmLimit) : (s.m_base.m_flags | flags::MaxRpmLimit));
    };
    c.push_back(maxRpm);

    auto loadItems = valueRange(5, 30, 1, 0);
    loadItems.insert(loadItems.begin(), PageItem{0, 0, "Wyłączony"});
    auto load = number(2308, "CPanelSwitchPage::OnSelendokCmbMaxLoad", "Obciążenie", "ms", 1, loadItems,
                       [](S& s) -> auto& { return s.m_advancedSetup.m_maxLoadTime; }, {B::AdvancedSetup});
    load.minVersion = 0x206;
    c.push_back(load);

    c.push_back(number(2309, "CPanelSwitchPage::OnSelendokCmbPressAverage", "Czas błędu ciśnienia", "s", 1,
                       valueRange(1, 40, 1, 1), [](S& s) -> auto& { return s.m_base.m_pressAverageCount; },
                       {B::Base}));

    auto minItems = valueRange(500, 2000, 100, 0);
    minItems.front().text = "Wyłączony";
    auto minRpm = number(2310, "CPanelSwitchPage::OnSelendokCmbMinRpm", "Min. obroty gazu", "RPM", 1, minItems,
                         [](S& s) -> auto& { return s.m_advancedSetup.m_minimalLPGRPM; }, {B::AdvancedSetup});
    minRpm.set = [](S& s, double v) {
        s.m_advancedSetup.m_minimalLPGRPM = v;
        auto& f = s.m_advancedSetup.m_advancedFlags;
        f = static_cast<std::uint8_t>(v == 500 ? (f & ~flags::MinGasRpmLimit) : (f | flags::MinGasRpmLimit));
    };
    c.push_back(minRpm);
    c.push_back(check(2311, "CPanelSwitchPage::OnChkMinLpgTempr", "Minimalna temperatura gazu 3 st. C", 1,
                      baseFlags, flags::MinGasTemp3C, {B::Base}));

    // Copies of controls that live on other pages; the controller variants that showed them here are
    // gone, but they behave as their twins.
    for (auto hidden : {fastCheck(2320, "CPanelSwitchPage::OnChkFastLpgSwitch", 0),
                        enrichCheck(2321, "CPanelSwitchPage::OnChkSwitchCorrEnable", 0),
                        enrichPercent(2322, "CPanelSwitchPage::OnSelendokSwitchCorr", 0),
                        enrichTime(2323, "CPanelSwitchPage::OnSelendokSwitchCorrTime", 0),
                        fuelSensorControl(2324, "CPanelSwitchPage::OnSelendokCmbFuelSensor", 1)}) {
        hidden.hidden = true;
        c.push_back(hidden);
    }
    return p;
}

SettingsPage makeAdvancedPage()
{
    SettingsPage p{"CAdvancedPage", "Zaawansowane",
                   {"Rozgrzewanie wtryskiwaczy", "Poprawki od ciśnienia", "Cut-off", "Wtrysk gazu", "Przełączanie na gaz"},
                   {}, 2400};
    p.needsPassword = true;
    auto& c = p.controls;
    c.push_back(warmingCheck(2401, "CAdvancedPage::OnChkInjWarming", 0));
    c.push_back(warmingTime(2402, "CAdvancedPage::OnSelendokCmbWarminTime", 0));
    c.push_back(number(2403, "CAdvancedPage::OnSelendokCmbPressRef", "Ciśnienie robocze", "kPa", 1,
                       valueRange(50, 200, 1, 0), [](S& s) -> auto& { return s.m_base.m_pressureRef; }, {B::Base}));
    c.push_back(number(2404, "CAdvancedPage::OnSelendokCmbPressGain", "Poprawka", "", 1, valueRange(0, 1.5, 0.1, 1),
                       [](S& s) -> auto& { return s.m_base.m_pressureGain; }, {B::Base}));
    auto cutOff = check(2406, "CAdvancedPage::OnChkCutOffSwitch", "Obsługa cut-off na benzynie", 2, adv8Flags, flags::CutOff,
                        {B::Adv});
    cutOff.needsConnection = false;
    c.push_back(cutOff);
    c.push_back(number(2407, "CAdvancedPage::OnSelendokCmbCutoffPressure", "Ciśnienie przy cut-off", "kPa", 2,
                       valueRange(120, 250, 5, 0), [](S& s) -> auto& { return s.m_adv.m_cutOffPressSwitch; },
                       {B::Adv}));
    c.push_back(number(2408, "CAdvancedPage::OnSelendokCmbCutoffExitDelay", "Powrót na gaz", "s", 2,
                       valueRange(0, 10, 0.5, 1), [](S& s) -> auto& { return s.m_adv.m_cutOffExitDelay; }, {B::Adv}));
    c.push_back(number(2409, "CAdvancedPage::OnSelendokCmbMinLpgInjTime", "Minimalny czas wtrysku gazowy", "ms", 3,
                       valueRange(0, 6, 0.1, 1), [](S& s) -> auto& { return s.m_adv.m_minLPGTime; }, {B::Adv}));
    c.push_back(ignoreTime(2410, "CAdvancedPage::OnSelendokCmbIgnoreTime", 3));
    auto continuous = check(2411, "CAdvancedPage::OnChkContinuousInj", "Obsługa wtrysku ciągłego benzyny", 3,
                            adv8Flags, flags::ContinuousInjection, {B::Adv});
    continuous.needsConnection = false;
    c.push_back(continuous);
    c.push_back(fastCheck(2405, "CAdvancedPage::OnChkFastLpgSwitch", 4));
    c.push_back(enrichCheck(2412, "CAdvancedPage::OnChkSwitchCorrEnable", 4));
    c.push_back(enrichPercent(2413, "CAdvancedPage::OnSelendokSwitchCorr", 4));
    c.push_back(enrichTime(2414, "CAdvancedPage::OnSelendokSwitchCorrTime", 4));
    return p;
}

} // namespace

const SettingsPage& petrolPage()
{
    static const SettingsPage page = makePetrolPage();
    return page;
}
const SettingsPage& gasPage()
{
    static const SettingsPage page = makeGasPage();
    return page;
}
const SettingsPage& switchPage()
{
    static const SettingsPage page = makeSwitchPage();
    return page;
}
const SettingsPage& advancedPage()
{
    static const SettingsPage page = makeAdvancedPage();
    return page;
}

} // namespace tarvola
