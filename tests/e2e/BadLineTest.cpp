// A misbehaving line: garbage, corrupted and cut replies, and a controller that vanishes mid-frame.
// Every spoiled reply costs one attempt, and the line recovers with the controller.

#include "SimFixture.h"

using namespace tarvola;
using namespace tarvola::test;

TEST_F(SimLink, EverySpoiledReplyIsAFailedAttempt)
{
    for (auto fault : {sim::Fault::Corrupt, sim::Fault::BadStart, sim::Fault::Truncate, sim::Fault::Noise,
                       sim::Fault::Silent}) {
        SCOPED_TRACE(sim::faultName(fault));
        start({}, failFast());
        sim->setFault(fault, 0.0, 0);
        device->m_settings.m_devInfo.m_statistic = {1, 2, 3};
        EXPECT_FALSE(device->readStatistics());
        EXPECT_EQ(device->m_settings.m_devInfo.m_statistic.gas, 1u);
        EXPECT_EQ(sim->received().size(), 2u);
        // The line recovers as soon as the controller does.
        sim->setFault(sim::Fault::None, 0.0, -1);
        EXPECT_TRUE(device->readStatistics());
        TearDown();
    }
}

TEST_F(SimLink, ControllerVanishingMidFrameFailsCleanly)
{
    start();
    sim->vanishMidFrame();
    bool ok = true;
    try {
        ok = device->readIdentity();
    } catch (const CRSError& e) {
        ok = false;
        EXPECT_EQ(e.code(), CRSError::CantReadWrite);
    }
    EXPECT_FALSE(ok);
    // The port is gone: the next command reports it as a port error.
    std::array<std::uint8_t, 4> flags{};
    EXPECT_THROW(device->readErrorFlags(flags), CRSError);
    // And the search for a controller on it quietly finds nothing.
    EXPECT_FALSE(device->openPort(path));
}
