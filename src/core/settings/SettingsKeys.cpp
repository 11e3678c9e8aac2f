#include "settings/SettingsKeys.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>
#include <unordered_map>

#include "maps/MapModel.h"
#include "settings/SettingsBlocks.h"
#include "settings/Conversions.h"

namespace tarvola {

enum class SettingsKey::Carry : std::uint8_t {
    Any,         // integers and texts: the field's own range decides
    PcOnly,      // never sent: any finite number
    Rpm,         // 16-bit period code
    Time16,      // 25 µs steps, 16 bits
    Time8,       // 25 µs steps, one byte
    FineTime16,  // 4 µs steps, 16 bits
    SignedFineTime16,  // 4 µs steps, 16 bits two's complement
    Pressure,    // pressure byte
    Temperature, // a sensor table entry
    HalfSeconds, // truncate(s × 2)
    RoundedHalfSeconds,
    Delay,       // 25 ms steps
    PressureGain,
    Tenths,
    Fifths,
    Volts,
    SupplyVolts,
    Pwm,
    Percent,     // value + 100 in one byte
    Serial,      // text of at most 16 characters
};

namespace {

using Carry = SettingsKey::Carry;

struct CodeRule {
    double (*raw)(double);
    double lo;
    double hi;
};

// The unsaturated code of each wire rule and the codes its field holds.
std::optional<CodeRule> codeRule(Carry carry)
{
    switch (carry) {
    case Carry::Rpm: return CodeRule{rpmPeriodCodeRaw, 1, 65535};
    case Carry::Time16: return CodeRule{timeCodeRaw, 0, 65535};
    case Carry::Time8: return CodeRule{timeCodeRaw, 0, 255};
    case Carry::FineTime16: return CodeRule{fineTimeCodeRaw, 0, 65535};
    case Carry::SignedFineTime16: return CodeRule{fineTimeCodeRaw, -32768, 32767};
    case Carry::Pressure: return CodeRule{pressureCodeRaw, 0, 255};
    case Carry::HalfSeconds: return CodeRule{halfSecondCodeRaw, 0, 255};
    case Carry::RoundedHalfSeconds: return CodeRule{roundedHalfSecondCodeRaw, 0, 255};
    case Carry::Delay: return CodeRule{delayCodeRaw, 0, 255};
    case Carry::PressureGain: return CodeRule{pressureGainCodeRaw, -128, 127};
    case Carry::Tenths: return CodeRule{tenthsCodeRaw, 0, 255};
    case Carry::Fifths: return CodeRule{fifthsCodeRaw, 0, 255};
    case Carry::Volts: return CodeRule{voltageCodeRaw, 0, 255};
    case Carry::SupplyVolts: return CodeRule{supplyVoltageCodeRaw, 0, 255};
    case Carry::Pwm: return CodeRule{pwmCodeRaw, 0, 255};
    case Carry::Percent: return CodeRule{percentByteRaw, 0, 255};
    default: return std::nullopt;
    }
}

std::string formatNumber(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

template <class T>
std::string formatInteger(T value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string_view trimmed(std::string_view v)
{
    constexpr std::string_view blanks = " \t\r\n";
    const auto first = v.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return v.substr(first, v.find_last_not_of(blanks) - first + 1);
}

// A whole-text decimal number in the "C" locale; from_chars ignores the process locale.
std::optional<double> parseNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || result.ec == std::errc::invalid_argument || result.ptr != text.data() + text.size())
        return std::nullopt;
    if (result.ec == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity(); // refused below as not finite
    return value;
}

template <class T>
bool setInteger(T* field, const std::string& name, double value, std::string_view text, std::string& error)
{
    if (value != std::trunc(value)) {
        error = name + ": " + std::string(text) + " is not a whole number";
        return false;
    }
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (value < lo || value > hi) {
        error = name + ": " + std::string(text) + " lies outside " + formatInteger(std::numeric_limits<T>::min()) +
                ".." + formatInteger(std::numeric_limits<T>::max());
        return false;
    }
    *field = static_cast<T>(value);
    return true;
}

bool checkWire(Carry carry, const std::string& name, double value, std::string_view text, std::string& error)
{
    if (carry == Carry::Temperature) {
        if (value < kTemperatureTableMin || value > kTemperatureTableMax) {
            error = name + ": " + std::string(text) + " lies outside the sensor tables (" +
                    formatInteger(kTemperatureTableMin) + ".." + formatInteger(kTemperatureTableMax) + " °C)";
            return false;
        }
        return true;
    }
    const auto rule = codeRule(carry);
    if (!rule)
        return true;
    const double code = rule->raw(value);
    if (!codeFits(code, rule->lo, rule->hi)) {
        error = name + ": " + std::string(text) + " cannot be sent to the controller: its code " + formatNumber(code) +
                " lies outside " + formatNumber(rule->lo) + ".." + formatNumber(rule->hi);
        return false;
    }
    return true;
}

// ---- the table ----

constexpr auto None = KeyTarget::None;
constexpr auto Block = KeyTarget::Block;
constexpr auto Map = KeyTarget::Map;
constexpr auto NoBlock = SettingsBlock::Base; // placeholder for keys no block carries

FieldType typeOf(const SettingsKey::FieldRef& ref)
{
    switch (ref.index()) {
    case 0: return FieldType::Double;
    case 1: return FieldType::U8;
    case 2: return FieldType::U16;
    case 3: return FieldType::U32;
    case 4: return FieldType::I32;
    default: return FieldType::Text;
    }
}

class Table {
public:
    std::vector<SettingsKey> keys;

    void add(std::string name, KeyTarget target, SettingsBlock block, Carry carry, SettingsKey::Access access)
    {
        // The storage type follows from the field itself, so it cannot disagree with the record.
        const FieldType type = typeOf(access(m_probe));
        keys.emplace_back(std::move(name), type, target, block, carry, std::move(access));
    }

private:
    CDeviceSettings m_probe;
};

// The key is the field's own path, so name and field cannot drift apart.
#define TARVOLA_KEY(table, path, target, block, carry) \
    (table).add(#path, target, block, carry, [](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.path; })

std::string indexed(const char* base, std::size_t index)
{
    return std::string(base) + "[" + std::to_string(index) + "]";
}

std::vector<SettingsKey> buildKeys()
{
    using SB = SettingsBlock;
    Table t;
    t.keys.reserve(417);

    TARVOLA_KEY(t, m_timeStamp, None, NoBlock, Carry::Any);

    TARVOLA_KEY(t, m_devInfo.m_version, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_injCount, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_serial, None, NoBlock, Carry::Serial);
    TARVOLA_KEY(t, m_devInfo.m_prodDate, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_flags1, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_flags2, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_deviceID, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_statistic.gas, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_statistic.lpg, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_devInfo.m_statistic.modify, None, NoBlock, Carry::Any);

    TARVOLA_KEY(t, m_carInfo.m_vendor, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_model, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_engine, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_power, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_prodYear, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_injectors, None, NoBlock, Carry::Any);
    TARVOLA_KEY(t, m_carInfo.m_reductorPress, None, NoBlock, Carry::PcOnly);

    TARVOLA_KEY(t, m_base.m_switchRPM, Block, SB::Base, Carry::Rpm);
    TARVOLA_KEY(t, m_base.m_switchTempr, Block, SB::Base, Carry::Temperature);
    TARVOLA_KEY(t, m_base.m_sparkDivider, Block, SB::Base, Carry::Any);
    TARVOLA_KEY(t, m_base.m_switchPressure, Block, SB::Base, Carry::Pressure);
    TARVOLA_KEY(t, m_base.m_switchDelay, Block, SB::Base, Carry::HalfSeconds);
    TARVOLA_KEY(t, m_base.m_switchMinGasTime, Block, SB::Base, Carry::Time16);
    TARVOLA_KEY(t, m_base.m_flags, Block, SB::Base, Carry::Any);
    TARVOLA_KEY(t, m_base.m_emulatorDelay, Block, SB::Base, Carry::Delay);
    TARVOLA_KEY(t, m_base.m_pressureGain, Block, SB::Base, Carry::PressureGain);
    TARVOLA_KEY(t, m_base.m_pressureRef, Block, SB::Base, Carry::Pressure);
    TARVOLA_KEY(t, m_base.m_pressAverageCount, Block, SB::Base, Carry::Fifths);
    TARVOLA_KEY(t, m_base.m_temprRef, Block, SB::Base, Carry::Temperature);
    TARVOLA_KEY(t, m_base.m_temprGain, Block, SB::Base, Carry::Tenths);
    TARVOLA_KEY(t, m_base.m_temprBottom, Block, SB::Base, Carry::Temperature);
    TARVOLA_KEY(t, m_base.m_temprUpper, Block, SB::Base, Carry::Temperature);
    TARVOLA_KEY(t, m_base.m_minVCC, Block, SB::Base, Carry::SupplyVolts);
    TARVOLA_KEY(t, m_base.m_maxTemprInside, Block, SB::Base, Carry::Temperature);
    TARVOLA_KEY(t, m_base.m_maxRPMHigh, Block, SB::Base, Carry::Rpm);
    TARVOLA_KEY(t, m_base.m_maxRPMLow, Block, SB::Base, Carry::Rpm);

    TARVOLA_KEY(t, m_adv.m_pwmOffset, Block, SB::Adv, Carry::Time8);
    TARVOLA_KEY(t, m_adv.m_pwm, Block, SB::Adv, Carry::Pwm);
    TARVOLA_KEY(t, m_adv.m_injectorWarmingImpulse, Block, SB::Adv, Carry::Time8);
    TARVOLA_KEY(t, m_adv.m_warmingTime, Block, SB::Adv, Carry::HalfSeconds);
    TARVOLA_KEY(t, m_adv.m_warmingUpperTempr, Block, SB::Adv, Carry::Temperature);
    TARVOLA_KEY(t, m_adv.m_injectorType, Block, SB::Adv, Carry::Any);
    TARVOLA_KEY(t, m_adv.m_minLPGTime, Block, SB::Adv, Carry::Time8);
    TARVOLA_KEY(t, m_adv.m_ignoreLPGTime, Block, SB::Adv, Carry::Time8);
    TARVOLA_KEY(t, m_adv.m_engineSignalBehavior, Block, SB::Adv, Carry::Any);
    TARVOLA_KEY(t, m_adv.m_flags, Block, SB::Adv, Carry::Any);
    TARVOLA_KEY(t, m_adv.m_cutOffExitDelay, Block, SB::Adv, Carry::HalfSeconds);
    TARVOLA_KEY(t, m_adv.m_cutOffExitEmulatorDelay, Block, SB::Adv, Carry::Delay);
    TARVOLA_KEY(t, m_adv.m_cutOffPressSwitch, Block, SB::Adv, Carry::Pressure);

    for (std::size_t i = 0; i < 8; ++i)
        t.add(indexed("m_mainCorr.m_mainCorr", i), Block, SB::MainCorr, Carry::SignedFineTime16,
              [i](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.m_mainCorr.m_mainCorr[i]; });

    TARVOLA_KEY(t, m_sensorsSetup.m_lambdaEmulatorOn, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_lambdaEmulatorDelay, Block, SB::SensorsSetup, Carry::RoundedHalfSeconds);
    TARVOLA_KEY(t, m_sensorsSetup.m_lambdaSecond, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_lambdaType, Block, SB::SensorsSetup, Carry::Any);
    for (std::size_t i = 0; i < kLambdaEmulatorPoints; ++i)
        t.add(indexed("m_sensorsSetup.m_lambdaEmulatorTable", 1000 + 500 * i), Block, SB::SensorsSetup, Carry::Volts,
              [i](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.m_sensorsSetup.m_lambdaEmulatorTable[i]; });
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelFull, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelHgw, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelHalf, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelQuarter, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelRes, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelType, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_fuelSensorType, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_temprEngineSensor, Block, SB::SensorsSetup, Carry::Any);
    TARVOLA_KEY(t, m_sensorsSetup.m_temprLPGSensor, Block, SB::SensorsSetup, Carry::Any);

    // Pairs are numbered from 1 in the keys and held from index 0 in the record.
    for (std::size_t n = 1; n <= kSetupTimesCount; ++n)
        t.add(indexed("m_setupTimes1", n), Block, SB::SetupTimes, Carry::Percent,
              [n](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.m_setupTimes1[n - 1]; });
    TARVOLA_KEY(t, m_tableMask, Block, SB::SetupTimes, Carry::Any);
    for (std::size_t n = 1; n <= kSetupTimesCount; ++n)
        t.add(indexed("m_setupTimes2", n), Block, SB::SetupTimes, Carry::Percent,
              [n](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.m_setupTimes2[n - 1]; });

    // Cells are filed under the upper bounds of their bands: row key r + 2, speed key 500 × c + 1000.
    for (std::size_t r = 0; r < kInjMapRows; ++r)
        for (std::size_t c = 0; c < kInjMapColumns; ++c)
            t.add(indexed("m_injMapTable", mapRowKey(r)) + "[" + std::to_string(mapRpmKey(c)) + "]", Map, NoBlock,
                  Carry::Percent,
                  [r, c](CDeviceSettings& s) -> SettingsKey::FieldRef { return &s.m_injMapTable[r][c]; });
    TARVOLA_KEY(t, m_corrMap.m_flags, Map, NoBlock, Carry::Any);

    TARVOLA_KEY(t, m_advancedSetup.m_minimalLPGRPM, Block, SB::AdvancedSetup, Carry::Rpm);
    TARVOLA_KEY(t, m_advancedSetup.m_switchCorr, Block, SB::AdvancedSetup, Carry::Any);
    TARVOLA_KEY(t, m_advancedSetup.m_switchCorrTime, Block, SB::AdvancedSetup, Carry::HalfSeconds);
    TARVOLA_KEY(t, m_advancedSetup.m_advancedFlags, Block, SB::AdvancedSetup, Carry::Any);

    return std::move(t.keys);
}

#undef TARVOLA_KEY

} // namespace

SettingsKey::SettingsKey(std::string name, FieldType type, KeyTarget target, SettingsBlock block, Carry carry,
                         Access access)
    : m_name(std::move(name)), m_type(type), m_target(target), m_block(block), m_carry(carry),
      m_access(std::move(access))
{
}

std::string SettingsKey::text(const CDeviceSettings& settings) const
{
    // The access only hands out a pointer into the record; nothing is written through it here.
    const FieldRef ref = m_access(const_cast<CDeviceSettings&>(settings));
    return std::visit(
        [](auto* field) -> std::string {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, std::string>)
                return *field;
            else if constexpr (std::is_same_v<T, double>)
                return formatNumber(*field);
            else
                return formatInteger(*field);
        },
        ref);
}

std::optional<double> SettingsKey::number(const CDeviceSettings& settings) const
{
    const FieldRef ref = m_access(const_cast<CDeviceSettings&>(settings));
    return std::visit(
        [](auto* field) -> std::optional<double> {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, std::string>)
                return std::nullopt;
            else
                return static_cast<double>(*field);
        },
        ref);
}

bool SettingsKey::set(CDeviceSettings& settings, std::string_view value, std::string& error) const
{
    const FieldRef ref = m_access(settings);
    if (auto* text = std::get_if<std::string*>(&ref)) {
        if (value.find_first_of("\r\n") != std::string_view::npos) {
            error = m_name + ": a line break cannot be stored";
            return false;
        }
        if (m_carry == Carry::Serial && value.size() > 16) {
            error = m_name + ": longer than 16 characters";
            return false;
        }
        **text = std::string(value);
        return true;
    }

    const auto number = parseNumber(value);
    if (!number) {
        error = m_name + ": \"" + std::string(value) + "\" is not a number";
        return false;
    }
    if (!std::isfinite(*number)) {
        error = m_name + ": " + std::string(trimmed(value)) + " is not a finite number";
        return false;
    }
    const std::string_view shown = trimmed(value);
    return std::visit(
        [&](auto* field) -> bool {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return false; // handled above
            } else if constexpr (std::is_same_v<T, double>) {
                if (!checkWire(m_carry, m_name, *number, shown, error))
                    return false;
                *field = *number;
                return true;
            } else {
                return setInteger(field, m_name, *number, shown, error);
            }
        },
        ref);
}

const std::vector<SettingsKey>& settingsKeys()
{
    static const std::vector<SettingsKey> keys = buildKeys();
    return keys;
}

const SettingsKey* findSettingsKey(std::string_view name)
{
    static const std::unordered_map<std::string_view, const SettingsKey*> index = [] {
        std::unordered_map<std::string_view, const SettingsKey*> map;
        for (const auto& key : settingsKeys())
            map.emplace(key.name(), &key);
        return map;
    }();
    const auto found = index.find(name);
    return found == index.end() ? nullptr : found->second;
}

std::string formatSettingsNumber(double value)
{
    return formatNumber(value);
}

} // namespace tarvola
