#include "monitor/DeviceErrors.h"

namespace tarvola {

namespace {

constexpr const char* kMemoryTexts[] = {
    "Błąd zapisu do pamięci",
    "Błąd odczytu z pamięci",
    "Błąd ustawienia adresu pamięci",
    "Błędne dane w pamięci stałej",
    "Błąd zapisu struktury do pamięci",
    "Błąd odczytu struktury z pamięci",
    "Błędny typ struktury pamięci",
    "Błąd sumy kontrolnej w pamięci",
};

constexpr const char* kInjectorTexts[] = {
    "Błąd wtryskiwacza gazu 1", "Błąd wtryskiwacza gazu 2", "Błąd wtryskiwacza gazu 3",
    "Błąd wtryskiwacza gazu 4", "Błąd wtryskiwacza gazu 5", "Błąd wtryskiwacza gazu 6",
    "Błąd wtryskiwacza gazu 7", "Błąd wtryskiwacza gazu 8",
};

constexpr const char* kSensorTexts[] = {
    "Brak sygnału RPM",
    "Błąd - czujnik ciśnienia",
    "Błąd - czujnik temperatury gazu",
    "Błąd - czujnik temperatury reduktora",
    "Błąd - niskie napięcie zasilania.",
    "Błąd - czujnik temperatury wewnętrznej sterownika",
};

constexpr const char* kCanTexts[] = {
    "Błąd magistrali CAN",
};

constexpr const char* kTransmissionTexts[] = {
    "Nieznana komenda", "Nieznana ramka", "Błędny nagłówek ramki", "Błąd CRC ramki", "Błąd inny niż transmisji",
};

constexpr std::array<DeviceErrorCategoryDef, kDeviceErrorCategoryCount> kCategories = {{
    {DeviceErrorCategory::Memory, "Dane", kMemoryTexts, false},
    {DeviceErrorCategory::Injectors, "Wtryskiwacze", kInjectorTexts, true},
    {DeviceErrorCategory::Sensors, "Czujniki", kSensorTexts, false},
    {DeviceErrorCategory::Can, "CAN", kCanTexts, false},
    {DeviceErrorCategory::Transmission, "Transmisja", kTransmissionTexts, false},
}};

} // namespace

std::span<const DeviceErrorCategoryDef, kDeviceErrorCategoryCount> deviceErrorCategories()
{
    return kCategories;
}

const DeviceErrorCategoryDef* deviceErrorCategory(std::size_t index)
{
    return index < kCategories.size() ? &kCategories[index] : nullptr;
}

std::vector<StoredDeviceError> decodeStoredErrors(const StoredErrorFlags& flags)
{
    std::vector<StoredDeviceError> out;
    for (std::size_t i = 0; i < kStoredErrorByteCount; ++i) {
        const DeviceErrorCategoryDef& category = kCategories[i];
        const unsigned byte = flags[i];
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((byte & (1u << bit)) == 0)
                continue;
            StoredDeviceError e;
            e.byteIndex = i;
            e.category = category.id;
            e.bit = static_cast<std::uint8_t>(bit);
            if (bit < category.bitTexts.size()) {
                e.polishText = category.bitTexts[bit];
                e.orFollows = category.joinedByOr && (byte >> (bit + 1)) != 0;
            }
            out.push_back(e);
        }
    }
    return out;
}

} // namespace tarvola
