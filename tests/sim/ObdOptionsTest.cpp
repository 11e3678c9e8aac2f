// The OBD options of tarvola-sim: the car's bus, and stored trouble codes given as a fitter writes
// them, with a clear refusal of anything that is not a code.
#include <gtest/gtest.h>

#include "ObdCar.h"
#include "Options.h"
#include "VirtualController.h"

using namespace tarvola::sim;

namespace {
bool parse(std::vector<std::string> args, CommandLine& cl, std::string& error) {
    return parseCommandLine(args, cl, error);
}
}  // namespace

TEST(ObdOptions, TroubleCodesInEveryLetterAndSpacing) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(parse({"--dtc", "P0171,P0301"}, cl, error)) << error;
    EXPECT_EQ(*cl.sim.troubleCodes, (std::vector<std::uint16_t>{0x0171, 0x0301}));
    ASSERT_TRUE(parse({"--dtc", "p0a1f, C1234 ,B2001,U3FFF"}, cl, error)) << error;
    EXPECT_EQ(*cl.sim.troubleCodes, (std::vector<std::uint16_t>{0x0A1F, 0x5234, 0xA001, 0xFFFF}));
    ASSERT_TRUE(parse({"--dtc", "none"}, cl, error)) << error;
    EXPECT_TRUE(cl.sim.troubleCodes->empty());
    ASSERT_TRUE(parse({}, cl, error));
    EXPECT_FALSE(cl.sim.troubleCodes) << "without --dtc the car keeps its own codes";
}

TEST(ObdOptions, BadTroubleCodesAreRefusedByName) {
    CommandLine cl;
    std::string error;
    for (const char* bad : {"", "P017", "P01711", "X0171", "P4171", "P01G1", "P0171,", ",P0171", "P0171,,P0301",
                            "P0000", "P0171;P0301", "0171"}) {
        error.clear();
        EXPECT_FALSE(parse({"--dtc", bad}, cl, error)) << bad;
        EXPECT_NE(error.find("--dtc"), std::string::npos) << bad << ": " << error;
    }
    std::string many;
    for (int i = 0; i < 33; ++i) many += (i ? ",P01" : "P01") + std::to_string(10 + i);
    EXPECT_FALSE(parse({"--dtc", many}, cl, error));
    EXPECT_NE(error.find("at most"), std::string::npos);
    EXPECT_FALSE(parse({"--dtc"}, cl, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
}

TEST(ObdOptions, BusOptionReachesTheCarAndTheConnectionRecord) {
    CommandLine cl;
    std::string error;
    EXPECT_EQ(cl.sim.obdBus, ObdBus::Can11);
    EXPECT_FALSE(parse({"--obd", "can"}, cl, error));
    EXPECT_NE(error.find("kline"), std::string::npos);
    const std::pair<const char*, std::uint32_t> buses[] = {{"can11", 0x7E0}, {"kline", 0x7A0}, {"can29", 0x18DB33F1}};
    for (const auto& [name, base] : buses) {
        ASSERT_TRUE(parse({"--obd", name, "--dtc", "P0420"}, cl, error)) << error;
        VirtualController sim(cl.sim);
        const auto record = sim.settingsBlock(Block::ObdConnection);
        EXPECT_EQ(getLE32(&record[0]), base) << name;
        EXPECT_EQ(record[8], 1) << "the gateway starts connected";
        EXPECT_EQ(sim.troubleCodes(), std::vector<std::uint16_t>{0x0420});
    }
    EXPECT_NE(std::string(usageText()).find("--obd"), std::string::npos);
    EXPECT_NE(std::string(usageText()).find("--dtc"), std::string::npos);
}
