// The stored-error model: which bits have texts, the dialog's text with its line breaks and " lub",
// and the texts following a change of language.

#include <gtest/gtest.h>

#include "monitor/CLPGDeviceErr.h"

using namespace tarvola;

TEST(DeviceErrors, EveryBitIsDecodedByteByByteAndOnlyDefinedBitsHaveTexts)
{
    const auto defined = decodeStoredErrors({0xFF, 0xFF, 0x3F, 0x01});
    ASSERT_EQ(defined.size(), 8u + 8u + 6u + 1u);
    for (std::size_t i = 1; i < defined.size(); ++i)
        EXPECT_LT(defined[i - 1].byteIndex * 8 + defined[i - 1].bit, defined[i].byteIndex * 8 + defined[i].bit);
    for (const auto& f : defined) {
        EXPECT_TRUE(f.recognised()) << f.byteIndex << "/" << int(f.bit);
        EXPECT_EQ(static_cast<std::size_t>(f.category), f.byteIndex);
    }
    for (const auto& f : decodeStoredErrors({0, 0, 0xC0, 0xFE}))
        EXPECT_FALSE(f.recognised()) << f.byteIndex << "/" << int(f.bit);
    EXPECT_TRUE(decodeStoredErrors({0, 0, 0, 0}).empty());
}

TEST(DeviceErrors, DialogTextOfTypicalReadings)
{
    CLPGDeviceErr model;
    EXPECT_EQ(model.decodeErrors({0, 0, 0, 0}), "");
    EXPECT_EQ(model.decodeErrors({0, 0, 0x41, 0}), "\r\nBrak sygnału RPM \r\nNierozpoznany kod błędu = 0x40 \r\n");
    // The highest injector fault of a reading has no " lub" after it; CAN follows on its own lines.
    EXPECT_EQ(model.decodeErrors({0, 0x80, 0, 0x01}), "\r\nBłąd wtryskiwacza gazu 8 \r\n\r\nBłąd magistrali CAN \r\n");
    EXPECT_EQ(model.decodeErrors({0x80, 0x0A, 0, 0xA0}),
              "\r\nBłąd sumy kontrolnej w pamięci \r\n"
              "\r\nBłąd wtryskiwacza gazu 2 lub \r\nBłąd wtryskiwacza gazu 4 \r\n"
              "\r\nNierozpoznany kod błędu = 0x20 \r\nNierozpoznany kod błędu = 0x80 \r\n");
    // " lub" belongs to the injectors alone.
    EXPECT_EQ(model.decodeCategory(2, 0x03), "\r\nBrak sygnału RPM \r\nBłąd - czujnik ciśnienia ");
    EXPECT_EQ(model.decodeCategory(5, 0), "Nierozpoznany kod błędu");
    // The transmission category has no stored byte; it is reached only by its index.
    EXPECT_EQ(model.errorList().size(), 5u);
    EXPECT_EQ(model.decodeCategory(4, 0x09), "\r\nNieznana komenda \r\nBłąd CRC ramki ");
}

TEST(DeviceErrors, RebuildShowsTheStoredFaultsInTheNewLanguage)
{
    bool english = false;
    CLPGDeviceErr model([&](const std::string& polish) { return english ? "EN<" + polish + ">" : polish; });
    EXPECT_FALSE(model.storedErrorsKnown());
    model.setStoredErrorFlags({0, 0x03, 0x40, 0});

    english = true;
    // Names are translated on every call; the bit texts when the list is rebuilt.
    EXPECT_EQ(model.errorList()[1]->name(), "EN<Wtryskiwacze>");
    EXPECT_EQ(model.errorList()[1]->texts()[0], "Błąd wtryskiwacza gazu 1");
    model.rebuildErrorList();
    EXPECT_EQ(model.storedErrorsText(), "\r\nEN<Błąd wtryskiwacza gazu 1>EN< lub> \r\nEN<Błąd wtryskiwacza gazu 2> \r\n"
                                        "\r\nEN<Nierozpoznany kod błędu> = 0x40 \r\n");
    const auto entries = model.storedErrors();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].category, "EN<Czujniki>");
    EXPECT_EQ(entries[2].text, "EN<Nierozpoznany kod błędu> = 0x40");
}
