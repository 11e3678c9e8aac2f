// The trouble-code table and the three shapes of a code's text.

#include <gtest/gtest.h>

#include "obd/COBDCodes.h"

using namespace tarvola;

TEST(ObdCodes, EveryEntryIsAGenericPowertrainCodeNamedAfterItself)
{
    const auto& table = COBDCodes::instance().table();
    EXPECT_EQ(table.begin()->first, 0x0100);
    EXPECT_EQ(table.rbegin()->first, 0x0656);
    for (const auto& [code, text] : table) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "P%04X   ", static_cast<unsigned>(code));
        EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
        EXPECT_GT(text.size(), 9u) << text;
        // Every digit of the two-byte form is decimal: P01A0 would be no code at all.
        for (int shift : {0, 4, 8})
            EXPECT_LE((code >> shift) & 0xF, 9) << text;
    }
}

TEST(ObdCodes, TextOfKnownShortenedAndUnknownCodes)
{
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0x0123, "P0123   Throttle/Pedal Position Sensor/Switch A Circuit High Input"},
        // A code without a digit in 0x0F00 is looked up as P01xx and shown beside its own form.
        {0x0071, "P0071  UNKNOWN  P0171   System too Lean (Bank 1)"},
        {0x0000, "P0000  UNKNOWN  P0100   Mass or Volume Air Flow Circuit Malfunction"},
        {0x0029, "P0029  UNKNOWN "},
        {0x0129, "P0129  UNKNOWN "},
        // Codes outside the table keep their letter: the top two bits, then four digits of 0..3FFF.
        {0x3FFF, "P3FFF  UNKNOWN "},
        {0x4035, "C0035  UNKNOWN "},
        {0x4171, "C0171  UNKNOWN "},
        {0x9234, "B1234  UNKNOWN "},
        {0xC100, "U0100  UNKNOWN "},
        {0xFFFF, "U3FFF  UNKNOWN "},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(troubleCodeText(code), text) << code;
}
