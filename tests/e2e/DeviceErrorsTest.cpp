// Stored faults read from and cleared in the virtual controller through the error model.

#include "SimFixture.h"
#include "service/DeviceErrorsCommands.h"

using namespace tarvola;
using namespace tarvola::test;

namespace {
sim::SimOptions withErrors(std::array<std::uint8_t, 4> flags)
{
    sim::SimOptions o;
    o.errorFlags = flags;
    return o;
}
} // namespace

TEST_F(SimLink, StoredFaultsAreReadAndClearingSwitchesToPetrolFirst)
{
    start(withErrors({0x01, 0x06, 0x41, 0x01}));
    DeviceErrorReport r = readDeviceErrors(*device);
    ASSERT_TRUE(r.read);
    EXPECT_EQ(frames(), std::vector<std::vector<std::uint8_t>>{controlFrame(5)});
    EXPECT_EQ(r.flags, (StoredErrorFlags{0x01, 0x06, 0x41, 0x01}));
    ASSERT_EQ(r.errors.size(), 6u);
    EXPECT_EQ(r.errors[2].text, "Błąd wtryskiwacza gazu 3");
    EXPECT_EQ(r.text, device->storedErrorsText());
    EXPECT_TRUE(device->storedErrorsKnown());

    sim->setWorkMode(ModeGas);
    device->m_settings.m_base.m_emulatorDelay = 0.5;
    sim->clearReceived();
    ASSERT_TRUE(clearDeviceErrors(*device).cleared);
    const auto f = frames();
    ASSERT_GE(f.size(), 3u); // the switch, at least one poll that saw petrol, the clear
    EXPECT_EQ(f.front(), controlFrame(2));
    EXPECT_EQ(f.back(), controlFrame(10));
    EXPECT_TRUE(device->storedErrorsKnown());
    EXPECT_TRUE(device->storedErrors().empty());

    r = readDeviceErrors(*device);
    ASSERT_TRUE(r.read);
    EXPECT_EQ(r.flags, (StoredErrorFlags{0, 0, 0, 0}));
    EXPECT_EQ(r.text, "");
}

TEST_F(SimLink, FailuresAreReportedAndNeverPassForAnEmptyReading)
{
    start(withErrors({0, 0, 0x01, 0}));
    ASSERT_TRUE(readDeviceErrors(*device).read);
    sim->setFault(sim::Fault::Corrupt, 0.0, -1); // every reply spoiled

    const DeviceErrorReport r = readDeviceErrors(*device);
    EXPECT_FALSE(r.read);
    EXPECT_STREQ(r.failureText, kReadErrorsFailedText);
    EXPECT_FALSE(device->storedErrorsKnown()); // the earlier reading is not shown as current

    const DeviceErrorClearResult c = clearDeviceErrors(*device);
    EXPECT_FALSE(c.cleared);
    EXPECT_STREQ(c.failureText, kClearErrorsFailedText);
    for (const auto& frame : frames())
        EXPECT_NE(frame, controlFrame(10)) << "cleared although the petrol switch failed";
    EXPECT_EQ(sim->settingsBlock(sim::Block::ErrorFlags), (std::vector<std::uint8_t>{0, 0, 0x01, 0}));
}
