// The firmware update against the virtual controller: the whole sequence and what reaches the
// controller, the refusals that must leave it alone, and failures on the way.

#include <filesystem>

#include "FirmwareImageBuilder.h"
#include "SimFixture.h"
#include "errors/IError.h"
#include "lang/translate.h"
#include "service/FirmwareUpdate.h"

using namespace tarvola;
using namespace tarvola::test;
namespace fs = std::filesystem;

namespace {

const std::string kProgrammingFailed = "Nie powiodło się zaprogramowanie urządzenia!";

FirmwareImageContents imageOf(std::uint16_t version, std::size_t dataSize = 9380)
{
    FirmwareImageContents c;
    c.version = version;
    c.data = firmwareTestData(dataSize);
    return c;
}

class FirmwareUpdate : public SimLink {
protected:
    fs::path dir = scratch();
    void SetUp() override { fs::create_directories(dir / "backups"); }
    std::string imageFile(const FirmwareImageContents& contents, const std::string& name = "k480.img")
    {
        const auto file = (dir / name).string();
        EXPECT_TRUE(writeBinaryFile(file, buildFirmwareFile(contents)));
        return file;
    }
    FirmwareUpdateOptions options() const { return {(dir / "backups").string(), {}, {}}; }
    std::size_t backups() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir / "backups"), fs::directory_iterator{}));
    }
    // Nothing but the petrol switch (and the polls that wait for it) reached the controller.
    void expectOnlyThePetrolStep() const
    {
        EXPECT_TRUE(steps().empty() || steps() == std::vector<std::string>{"c2"}) << ::testing::PrintToString(steps());
    }
};

} // namespace

TEST_F(FirmwareUpdate, WritesTheImageAtItsWordAddressesAndComesBackWithTheNewVersion)
{
    start();
    ASSERT_TRUE(device->startDiagnostics());
    const FirmwareImageContents newer = imageOf(0x0207);
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    auto o = options();
    o.progress = [&](std::size_t sent, std::size_t total) { progress.emplace_back(sent, total); };
    o.backedUp = [&](const std::string&) { EXPECT_FALSE(sim->programming()); }; // before anything is written
    const auto outcome = updateFirmware(*device, imageFile(newer), o);
    ASSERT_EQ(outcome.result, ActionResult::Done) << outcome.detail;
    EXPECT_TRUE(prompt.messages.empty());

    // 9320 image bytes are 73 blocks: the vector page and words 4096..4608 are sent.
    std::vector<std::uint16_t> words{128, 192};
    for (std::uint16_t w = 4096; w <= 4608; w += 64)
        words.push_back(w);
    ASSERT_EQ(sim->firmwareWordAddresses(), words);
    const auto image = expectedProgramImage(newer.data);
    const auto flash = sim->flash();
    for (const std::size_t at : {256u, 8192u, 8320u, 9216u}) // the gap closed up at 8320
        for (std::size_t i = 0; i < 128; ++i)
            ASSERT_EQ(flash[at + i], at + i < image.size() ? image[at + i] : 0) << at + i;
    EXPECT_EQ(flash[512], 0xFF); // the boot loader is never touched
    EXPECT_EQ(progress.size(), words.size());
    EXPECT_EQ(progress.back(), std::make_pair(words.size(), words.size()));

    // The petrol step, programming once, the blocks, 96 then 10, then the link check of a new connection.
    const auto r = steps();
    ASSERT_GE(r.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 6),
              (std::vector<std::string>{"c2", "w250", "w251", "c96", "c10", "c204"}));
    EXPECT_EQ(count(250), 1);
    EXPECT_EQ(count(251), static_cast<int>(words.size()));

    EXPECT_EQ(device->m_settings.m_devInfo.m_version, 0x0207);
    EXPECT_TRUE(device->pollingOn()); // it ran before, so it runs again
    EXPECT_EQ(fs::path(outcome.backupPath).parent_path(), dir / "backups");
    EXPECT_TRUE(fs::exists(outcome.backupPath));
}

// Every refusal before programming leaves the controller alone: nothing but the petrol step reaches
// it, and no backup is kept. Settings that were not all read would be backed up with defaults in them.
TEST_F(FirmwareUpdate, RefusalsLeaveTheControllerAlone)
{
    start({}, failFast());
    FirmwareImageContents otherDevice = imageOf(0x0207), badFormat = imageOf(0x0207), damaged = imageOf(0x0207);
    otherDevice.name = "VELDRANIX K48"; // the name must match exactly
    badFormat.formatWord = 0x0102;
    damaged.checkWordError = 1;
    const std::string programmingFailed = translate(kProgrammingFailed);
    struct Case {
        const char* name;
        FirmwareImageContents contents;
        FirmwareStep step;
        std::string message; // the one message shown; "" when not checked
        const char* detail;  // in the detail of a failure
        std::function<void(FirmwareUpdateOptions&)> prepare;
    };
    const Case cases[] = {
        {"other device", otherDevice, FirmwareStep::DeviceName, programmingFailed, "", {}},
        {"format", badFormat, FirmwareStep::FileFormat, programmingFailed, "", {}},
        {"damaged", damaged, FirmwareStep::LoadFile, programmingFailed, "", {}},
        {"too short", imageOf(0x0207, 8380), FirmwareStep::LoadFile, programmingFailed, "", {}},
        {"older, declined", imageOf(0x0205), FirmwareStep::OlderVersion, "", "", {}},
        {"backup folder is a file", imageOf(0x0207), FirmwareStep::Backup, "", "",
         [&](FirmwareUpdateOptions& o) { o.backupFolder = (dir / "k480.img" / "not-a-folder").string(); }},
        {"a block unread", imageOf(0x0207), FirmwareStep::Backup, "", "setupTimes",
         [&](FirmwareUpdateOptions&) {
             sim->ignoreControlRequest(12); // the setup times block
             ASSERT_TRUE(device->openPort(path));
         }},
        // Last: the controller says it takes no firmware, and hears nothing at all of it.
        {"updates disabled", imageOf(0x0207), FirmwareStep::Permission,
         translate("Aktualizacja firmware jest zablokowana w tym sterowniku."), "",
         [&](FirmwareUpdateOptions&) { device->m_settings.m_devInfo.m_flags1 &= ~flags::FirmwareUpdates; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = imageFile(c.contents);
        auto o = options();
        if (c.prepare)
            c.prepare(o);
        sim->clearReceived();
        prompt.messages.clear();
        const auto outcome = updateFirmware(*device, file, o);
        EXPECT_EQ(outcome.result, c.step == FirmwareStep::OlderVersion ? ActionResult::Cancelled : ActionResult::Failed);
        EXPECT_EQ(outcome.failedStep, c.step);
        EXPECT_EQ(outcome.detail.empty(), outcome.result == ActionResult::Cancelled);
        EXPECT_NE(outcome.detail.find(c.detail), std::string::npos) << outcome.detail;
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_TRUE(c.message.empty() || prompt.messages[0] == c.message) << prompt.messages[0];
        expectOnlyThePetrolStep();
        EXPECT_TRUE(c.step != FirmwareStep::Permission || steps().empty());
        EXPECT_EQ(backups(), 0u);
    }
    device->m_settings.m_devInfo.m_flags1 |= flags::FirmwareUpdates;

    // A controller that stays on gas: the file is not even looked at.
    sim->setNeverPetrol(true);
    device->m_settings.m_base.m_emulatorDelay = 0.1; // a short poll budget
    prompt.messages.clear();
    EXPECT_EQ(updateFirmware(*device, (dir / "no-such.img").string(), options()).failedStep,
              FirmwareStep::PetrolSwitch);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{translate("Nie powiodło się przełączenie na benzynę!")});
}

TEST_F(FirmwareUpdate, FailuresOnceProgrammingHasBegun)
{
    LinkTiming t = quickTiming();
    t.readTimeoutConstantMs = 100;
    start({}, t);
    const auto image = imageFile(imageOf(0x0207));
    auto o = options();
    o.progress = [&](std::size_t sent, std::size_t) {
        if (sent == 3)
            sim->setFault(sim::Fault::Silent, 0.0, 0); // the controller goes quiet
    };
    const auto outcome = updateFirmware(*device, image, o);
    EXPECT_EQ(outcome.failedStep, FirmwareStep::WriteBlocks);
    EXPECT_EQ(outcome.blocksSent, 3u);
    EXPECT_EQ(outcome.message, translate(kProgrammingFailed));
    EXPECT_TRUE(fs::exists(outcome.backupPath)); // the backup stays for the fitter

    // The port goes away in the middle: the link error is the caller's to show.
    sim->stop();
    start({}, t);
    o.progress = [&](std::size_t sent, std::size_t) {
        if (sent == 2)
            sim->vanish();
    };
    EXPECT_THROW(updateFirmware(*device, image, o), IError);
}
