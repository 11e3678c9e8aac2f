// The whole-configuration actions against the virtual controller: the order of the requests of both
// complete writes, the first failure ending them, what a loaded file may change, and saving.

#include <filesystem>
#include <regex>
#include <string>

#include "SimFixture.h"
#include "lang/translate.h"
#include "settings/CSettingsFile.h"
#include "service/SettingsActions.h"

using namespace tarvola;
using namespace tarvola::test;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kLoadOrder{"c2", "w3", "w4", "w15", "w7", "map", "w26", "w9", "c2", "c10"};
const std::vector<std::string> kFactoryOrder{"c2", "w3", "w4", "w15", "w7", "c20", "c19", "w9", "w26", "c2", "c10"};

class CompleteWrite : public SimLink {
protected:
    fs::path dir = scratch();
    std::string fileOf(const CDeviceSettings& r)
    {
        const auto p = (dir / "car.xset").string();
        EXPECT_TRUE(writeSettingsRecord(p, r));
        return p;
    }
};

} // namespace

TEST_F(CompleteWrite, LoadWritesInLoadOrderAndKeepsTheControllersOwnFields)
{
    start();
    CDeviceSettings fileRecord;
    fileRecord.m_base.m_switchRPM = 1800;
    fileRecord.m_advancedSetup.m_advancedFlags = 0x10; // bit 0 clear in the file
    fileRecord.m_advancedSetup.m_serviceTime = 777;    // carried by no key anyway
    fileRecord.m_carInfo.m_vendor = "from file";
    const auto file = fileOf(fileRecord);

    device->m_settings.m_advancedSetup.m_advancedFlags = 0x01; // bit 0 set live
    device->m_settings.m_advancedSetup.m_serviceTime = 4321;
    device->m_settings.m_base.m_pcStamp = {1, 2, 3, 4};
    device->m_settings.m_carInfo.m_vendor = "live";
    device->m_settings.m_adv.m_channelBytes = {8, 8, 8, 8, 8, 8, 8, 8};
    sim->clearReceived();

    const auto outcome = loadSettings(*device, file);
    ASSERT_EQ(outcome.result, ActionResult::Done) << outcome.message;
    EXPECT_EQ(steps(), kLoadOrder);
    const auto& live = device->m_settings;
    EXPECT_EQ(live.m_base.m_switchRPM, 1800);
    EXPECT_EQ(live.m_advancedSetup.m_advancedFlags, 0x11);
    EXPECT_EQ(live.m_advancedSetup.m_serviceTime, 4321u);
    EXPECT_EQ(live.m_carInfo.m_vendor, "live");
    EXPECT_EQ(live.m_adv.m_channelBytes, CAdvSettings{}.m_channelBytes); // from the fresh record
    EXPECT_TRUE(prompt.messages.empty());

    // The controller got bit 0 kept.
    device->m_settings.m_advancedSetup.m_advancedFlags = 0;
    ASSERT_TRUE(device->readSettings(SettingsBlock::AdvancedSetup));
    EXPECT_EQ(device->m_settings.m_advancedSetup.m_advancedFlags, 0x11);
}

TEST_F(CompleteWrite, FactorySettingsAskFirstThenWriteInFactoryOrder)
{
    start();
    device->m_settings.m_advancedSetup.m_advancedFlags = 0x01;
    device->m_settings.m_advancedSetup.m_serviceTime = 4321;
    prompt.answer = false;
    EXPECT_EQ(restoreFactorySettings(*device).result, ActionResult::Cancelled);
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(device->m_settings.m_advancedSetup.m_serviceTime, 4321u);

    prompt.answer = true;
    prompt.messages.clear();
    const auto outcome = restoreFactorySettings(*device);
    ASSERT_EQ(outcome.result, ActionResult::Done) << outcome.message;
    EXPECT_EQ(steps(), kFactoryOrder);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{translate("Czy chcesz przywrócić ustawienia fabryczne?")});
    EXPECT_EQ(device->m_settings.m_advancedSetup, CAdvancedSetup{}); // whole, bit 0 and service time too
}

// The first failing step ends the write: nothing after it is sent, and a file that cannot be read
// sends nothing and changes nothing. A failed reset has its own message.
TEST_F(CompleteWrite, TheFirstFailingStepEndsTheWrite)
{
    struct Case {
        bool factory;
        int ignoredSub;
        WriteStep step;
        std::size_t sentSteps; // steps of the order that reached the controller, the failing one included
        const char* message;   // how the last message begins
    };
    const Case cases[] = {
        {false, -1, WriteStep::ReadFile, 0, "Nie można wczytać ustawień z pliku"},
        {false, 2, WriteStep::PetrolSwitch, 1, "Nie powiodło się ustawienie urządzenia!"},
        {false, 10, WriteStep::Reset, kLoadOrder.size(), "Nie powiodło się zresetowanie urządzenia!"},
        {true, 19, WriteStep::StoreMap, 7, "Nie powiodło się ustawienie urządzenia!"},
    };
    start({}, failFast());
    const auto file = fileOf(CDeviceSettings{});
    for (const auto& c : cases) {
        SCOPED_TRACE(stepName(c.step));
        sim->ignoreControlRequest(c.ignoredSub);
        sim->clearReceived();
        prompt.answer = true;
        device->m_settings.m_base.m_switchRPM = 2500;
        const auto outcome = c.factory ? restoreFactorySettings(*device)
                                       : loadSettings(*device, c.sentSteps ? file : (dir / "absent.xset").string());
        EXPECT_EQ(outcome.result, ActionResult::Failed);
        EXPECT_EQ(outcome.failedStep, c.step) << stepName(outcome.failedStep);
        const auto& order = c.factory ? kFactoryOrder : kLoadOrder;
        EXPECT_EQ(steps(), std::vector<std::string>(order.begin(), order.begin() + static_cast<long>(c.sentSteps)));
        EXPECT_EQ(prompt.messages.back().rfind(translate(c.message), 0), 0u) << prompt.messages.back();
        if (c.sentSteps == 0) {
            EXPECT_EQ(device->m_settings.m_base.m_switchRPM, 2500);
        }
    }
}

TEST_F(CompleteWrite, SaveStampsTheRecordAndReportsAFailedWrite)
{
    start();
    const auto file = (dir / "saved.xset").string();
    ASSERT_EQ(saveSettings(*device, file).result, ActionResult::Done);
    const std::string stamp = device->m_settings.m_timeStamp;
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d-\d\d-\d{4}-\d\d:\d\d:\d\d)"))) << stamp;
    CSettingsFile f;
    std::string text;
    ASSERT_TRUE(f.open(file, false));
    ASSERT_TRUE(f.readString("m_timeStamp", text));
    EXPECT_EQ(text, stamp);

    const auto bad = saveSettings(*device, (fs::path(file) / "inside-a-file.xset").string());
    EXPECT_EQ(bad.result, ActionResult::Failed);
    EXPECT_EQ(prompt.messages.back().rfind(translate("Nie można wpisać ustawień do pliku z danymi samochodu"), 0), 0u);

    // A backup leaves the live record alone (the stamp is taken here: the clock may have moved on to
    // the next second since the first save).
    const std::string live = device->m_settings.m_timeStamp;
    const auto first = backupSettings(*device, dir.string());
    const auto second = backupSettings(*device, dir.string());
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(fs::path(*first).filename().string().rfind("backup-", 0), 0u);
    EXPECT_EQ(device->m_settings.m_timeStamp, live);
}
