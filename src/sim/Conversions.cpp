// Unit conversions of the controller and its sensor temperature table.
#include "Conversions.h"

#include <algorithm>
#include <cmath>

namespace tarvola::sim {
namespace {

std::uint8_t saturateByte(double v) {
    const long r = std::lround(v);
    return static_cast<std::uint8_t>(std::clamp<long>(r, 0, 255));
}

constexpr int kTemperatureTable[3][256] = {
    {  // characteristic 0
        209, 203, 198, 192, 187, 182, 177, 173, 168, 164, 160, 156, 152, 148, 144, 141,
        138, 135, 132, 129, 126, 123, 121, 118, 116, 114, 111, 109, 107, 106, 104, 102,
        100, 99, 97, 96, 94, 93, 92, 91, 89, 88, 87, 86, 85, 84, 83, 82,
        81, 80, 79, 78, 77, 77, 76, 75, 74, 73, 73, 72, 71, 70, 70, 69,
        68, 68, 67, 66, 66, 65, 64, 64, 63, 63, 62, 61, 61, 60, 60, 59,
        59, 58, 58, 57, 57, 56, 55, 55, 54, 54, 53, 53, 53, 52, 52, 51,
        51, 50, 50, 49, 49, 48, 48, 47, 47, 47, 46, 46, 45, 45, 44, 44,
        44, 43, 43, 42, 42, 41, 41, 41, 40, 40, 39, 39, 39, 38, 38, 37,
        37, 37, 36, 36, 35, 35, 35, 34, 34, 33, 33, 33, 32, 32, 31, 31,
        31, 30, 30, 30, 29, 29, 28, 28, 28, 27, 27, 26, 26, 26, 25, 25,
        24, 24, 24, 23, 23, 23, 22, 22, 21, 21, 21, 20, 20, 19, 19, 19,
        18, 18, 17, 17, 16, 16, 16, 15, 15, 14, 14, 14, 13, 13, 12, 12,
        11, 11, 10, 10, 9, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4,
        4, 3, 2, 2, 1, 1, 0, 0, -1, -2, -2, -3, -3, -4, -5, -5,
        -6, -7, -7, -8, -9, -10, -10, -11, -12, -13, -14, -15, -15, -16, -17, -18,
        -19, -20, -21, -22, -23, -24, -25, -26, -27, -29, -30, -31, -32, -33, -35, -36,
    },
    {  // characteristic 1
        255, 255, 255, 255, 255, 255, 255, 255, 237, 190, 157, 134, 120, 110, 102, 96,
        91, 87, 83, 80, 77, 74, 72, 69, 67, 65, 63, 62, 60, 59, 57, 56,
        55, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 43, 42, 41, 41, 40,
        39, 38, 38, 37, 36, 36, 35, 34, 34, 33, 32, 32, 31, 31, 30, 29,
        29, 28, 28, 27, 27, 26, 26, 25, 25, 24, 24, 23, 23, 22, 22, 22,
        21, 21, 20, 20, 19, 19, 19, 18, 18, 17, 17, 17, 16, 16, 15, 15,
        15, 14, 14, 13, 13, 13, 12, 12, 12, 11, 11, 11, 10, 10, 9, 9,
        9, 8, 8, 8, 7, 7, 7, 6, 6, 6, 5, 5, 5, 4, 4, 4,
        3, 3, 3, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, -1, -1, -1,
        -2, -2, -2, -3, -3, -3, -4, -4, -4, -5, -5, -5, -6, -6, -6, -7,
        -7, -7, -7, -8, -8, -8, -9, -9, -9, -10, -10, -10, -11, -11, -11, -12,
        -12, -12, -13, -13, -13, -14, -14, -15, -15, -15, -16, -16, -16, -17, -17, -17,
        -18, -18, -18, -19, -19, -20, -20, -20, -21, -21, -22, -22, -22, -23, -23, -23,
        -24, -24, -25, -25, -26, -26, -26, -27, -27, -28, -28, -29, -29, -29, -30, -30,
        -31, -31, -32, -32, -33, -33, -34, -34, -35, -35, -36, -36, -37, -37, -38, -38,
        -39, -39, -40, -40, -41, -41, -42, -42, -43, -43, -44, -45, -45, -46, -46, -47,
    },
    {  // characteristic 2
        203, 184, 169, 156, 145, 135, 128, 121, 116, 112, 108, 104, 101, 98, 96, 93,
        91, 89, 87, 85, 83, 82, 80, 79, 77, 76, 75, 73, 72, 71, 70, 69,
        68, 67, 66, 65, 64, 63, 62, 61, 60, 60, 59, 58, 57, 57, 56, 55,
        54, 54, 53, 52, 52, 51, 50, 50, 49, 49, 48, 47, 47, 46, 46, 45,
        45, 44, 44, 43, 43, 42, 42, 41, 41, 40, 40, 39, 39, 38, 38, 37,
        37, 37, 36, 36, 35, 35, 34, 34, 34, 33, 33, 32, 32, 31, 31, 31,
        30, 30, 29, 29, 29, 28, 28, 28, 27, 27, 26, 26, 26, 25, 25, 25,
        24, 24, 24, 23, 23, 22, 22, 22, 21, 21, 21, 20, 20, 20, 19, 19,
        19, 18, 18, 18, 17, 17, 17, 16, 16, 16, 15, 15, 15, 14, 14, 13,
        13, 13, 12, 12, 12, 11, 11, 11, 10, 10, 10, 9, 9, 9, 8, 8,
        8, 7, 7, 7, 6, 6, 6, 5, 5, 5, 4, 4, 3, 3, 3, 2,
        2, 2, 1, 1, 1, 0, 0, -1, -1, -1, -2, -2, -3, -3, -3, -4,
        -4, -5, -5, -5, -6, -6, -7, -7, -7, -8, -8, -9, -9, -10, -10, -11,
        -11, -12, -12, -13, -13, -14, -14, -15, -15, -16, -16, -17, -17, -18, -18, -19,
        -19, -20, -21, -21, -22, -22, -23, -24, -24, -25, -25, -26, -27, -27, -28, -29,
        -30, -30, -31, -32, -32, -33, -34, -35, -35, -36, -37, -38, -39, -39, -40, -41,
    },
};

}  // namespace

std::uint16_t rpmPeriodCode(double rpm) {
    if (rpm <= 0) return 0;
    const long r = std::lround(4800000.0 / rpm);
    return static_cast<std::uint16_t>(std::clamp<long>(r, 1, 65535));
}

double rpmFromPeriodCode(std::uint16_t code) { return code == 0 ? 0.0 : 4800000.0 / code; }

std::uint16_t timeCode25us(double ms) {
    const long r = std::lround(ms / 0.025);
    return static_cast<std::uint16_t>(std::clamp<long>(r, 0, 65535));
}

std::uint8_t pressureCode(double kPa) { return saturateByte(255.0 * (0.004 * kPa + 0.04)); }

double pressureFromCode(std::uint8_t code) { return std::max(0.0, (code / 255.0 - 0.04) / 0.004); }

std::uint8_t manifoldCode(double kPa, bool absoluteSensor) {
    if (absoluteSensor) return saturateByte((kPa * 0.002421 - 0.00842) * 255.0);
    return pressureCode(101.0 - kPa);
}

double manifoldFromCode(std::uint8_t code, bool absoluteSensor) {
    if (absoluteSensor) return (code / 255.0 + 0.00842) / 0.002421;
    return 101.0 - pressureFromCode(code);
}

std::uint8_t supplyCode(double volts) { return saturateByte(volts / 6.0 * 255.0 / 5.0); }

std::uint8_t voltageCode(double volts) { return saturateByte(volts * 255.0 / 5.0); }

int temperatureFromCode(std::uint8_t code, int column) {
    return kTemperatureTable[std::clamp(column, 0, 2)][code];
}

std::uint8_t temperatureCode(double celsius, int column) {
    const int c = std::clamp(column, 0, 2);
    for (int code = 0; code < 256; ++code)
        if (kTemperatureTable[c][code] <= celsius) return static_cast<std::uint8_t>(code);
    return 0;
}

int sensorColumn(std::uint8_t sensorByte) {
    switch (sensorByte) {
    case 0: return 0;
    case 2: return 2;
    default: return 1;  // 1, the variant's 3, and anything unknown
    }
}

}  // namespace tarvola::sim
