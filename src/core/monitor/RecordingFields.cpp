#include "monitor/RecordingFields.h"

#include <algorithm>
#include <cmath>

#include "lang/translate.h"
#include "link/LinkTiming.h"
#include "monitor/RecordingLoader.h"
#include "platform/NumberText.h"

namespace tarvola {

namespace {

constexpr double kLineBaud = 38400;
constexpr int kBitsPerByte = 10;            // start bit, eight data bits, stop bit
constexpr int kPollWireBytes = 12 + 88;     // the poll request and the sample reply

constexpr std::array<RecordingField, kRecordFields> kFields{{
    {"Tryb pracy", 0, "", 0},
    {"Obroty silnika", 0, "1/min", 0},
    {"Wtrysk benz. %d", 1, "ms", 2}, {"Wtrysk gazu %d", 1, "ms", 2},
    {"Wtrysk benz. %d", 2, "ms", 2}, {"Wtrysk gazu %d", 2, "ms", 2},
    {"Wtrysk benz. %d", 3, "ms", 2}, {"Wtrysk gazu %d", 3, "ms", 2},
    {"Wtrysk benz. %d", 4, "ms", 2}, {"Wtrysk gazu %d", 4, "ms", 2},
    {"Wtrysk benz. %d", 5, "ms", 2}, {"Wtrysk gazu %d", 5, "ms", 2},
    {"Wtrysk benz. %d", 6, "ms", 2}, {"Wtrysk gazu %d", 6, "ms", 2},
    {"Wtrysk benz. %d", 7, "ms", 2}, {"Wtrysk gazu %d", 7, "ms", 2},
    {"Wtrysk benz. %d", 8, "ms", 2}, {"Wtrysk gazu %d", 8, "ms", 2},
    {"Ciśnienie gazu", 0, "kPa", 0},
    {"Podciśnienie", 0, "kPa", 0},
    {"Temp. gazu", 0, "°C", 0},
    {"Temp. redukt.", 0, "°C", 0},
    {"Lambda %d", 1, "V", 1},
    {"Lambda %d", 2, "V", 1},
}};

std::string withNumber(std::string text, int number)
{
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(number));
    return text;
}

} // namespace

double recordingSamplePeriodSeconds()
{
    static const double period = [] {
        const double wireMs = kPollWireBytes * kBitsPerByte * 1000.0 / kLineBaud;
        return std::round(LinkTiming::standard().pollPauseMs + wireMs) / 1000.0;
    }();
    return period;
}

double recordTimeSeconds(std::size_t record)
{
    return static_cast<double>(record) * recordingSamplePeriodSeconds();
}

std::size_t recordAtSeconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    const double index = std::round(seconds / recordingSamplePeriodSeconds());
    return index >= 1e18 ? static_cast<std::size_t>(1e18) : static_cast<std::size_t>(index);
}

const RecordingField& recordingField(std::size_t field)
{
    return kFields[std::min(field, kFields.size() - 1)];
}

std::string recordingFieldName(std::size_t field)
{
    const RecordingField& f = recordingField(field);
    return withNumber(translate(f.polishName), f.number);
}

std::string recordingFieldHeader(std::size_t field)
{
    const RecordingField& f = recordingField(field);
    std::string header = recordingFieldName(field);
    if (*f.unit)
        header += std::string(" [") + f.unit + "]";
    return header;
}

std::string recordingTimeHeader()
{
    return translate("Czas") + " [s]";
}

std::string recordingValueText(std::size_t field, double value)
{
    return fixedText(value, recordingField(field).decimals);
}

std::vector<FieldReading> readingsAt(const RecordingData& data, std::size_t record)
{
    std::vector<FieldReading> readings;
    if (data.empty())
        return readings;
    record = std::min(record, data.size() - 1);
    readings.reserve(kRecordFields);
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        const double value = data.value(f, record);
        readings.push_back({recordingFieldName(f), recordingField(f).unit, value, recordingValueText(f, value)});
    }
    return readings;
}

} // namespace tarvola
