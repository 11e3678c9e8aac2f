// The firmware update against the virtual controller: the whole sequence and what reaches the
// controller, the refusals that must leave it alone, and failures on the way.

#include <algorithm>
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
    fs::path dir = fs::temp_directory_path() / ("tarvola-fwu-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir / "backups"); }
    void TearDown() override
    {
        SimLink::TearDown();
        fs::remove_all(dir);
    }
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
    // Request codes ("c<sub>" for control requests), live polls left out.
    std::vector<std::string> requests() const
    {
        std::vector<std::string> out;
        for (const auto& f : frames())
            if (f[3] != 2 || f[4] != 6)
                out.push_back(f[3] == 2 ? "c" + std::to_string(f[4]) : std::to_string(f[3]));
        return out;
    }
    // Nothing but the petrol switch (and the polls that wait for it) reached the controller.
    void expectOnlyThePetrolStep() const
    {
        for (const auto& r : requests())
            EXPECT_EQ(r, "c2");
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

    // Programming once, the blocks, 96 then 10, then the link check of a new connection.
    const auto r = requests();
    const auto enter = std::find(r.begin(), r.end(), "250");
    ASSERT_NE(enter, r.end());
    EXPECT_TRUE(std::all_of(r.begin(), enter, [](const std::string& s) { return s == "c2"; }));
    ASSERT_GT(r.end() - enter, static_cast<std::ptrdiff_t>(words.size() + 3));
    EXPECT_EQ(std::vector<std::string>(enter + 1 + static_cast<std::ptrdiff_t>(words.size()), enter + 4 + static_cast<std::ptrdiff_t>(words.size())),
              (std::vector<std::string>{"c96", "c10", "c204"}));

    EXPECT_EQ(device->m_settings.m_devInfo.m_version, 0x0207);
    EXPECT_TRUE(device->pollingOn()); // it ran before, so it runs again
    EXPECT_EQ(fs::path(outcome.backupPath).parent_path(), dir / "backups");
    EXPECT_TRUE(fs::exists(outcome.backupPath));
}

TEST_F(FirmwareUpdate, RefusalsLeaveTheControllerAlone)
{
    start();
    FirmwareImageContents otherDevice = imageOf(0x0207), badFormat = imageOf(0x0207), damaged = imageOf(0x0207);
    otherDevice.name = "VELDRANIX K48"; // the name must match exactly
    badFormat.formatWord = 0x0102;
    damaged.checkWordError = 1;
    const std::pair<FirmwareImageContents, FirmwareStep> cases[] = {
        {otherDevice, FirmwareStep::DeviceName},
        {badFormat, FirmwareStep::FileFormat},
        {damaged, FirmwareStep::LoadFile},
        {imageOf(0x0207, 8380), FirmwareStep::LoadFile}};
    for (const auto& [contents, step] : cases) {
        sim->clearReceived();
        prompt.messages.clear();
        const auto outcome = updateFirmware(*device, imageFile(contents), options());
        EXPECT_EQ(outcome.failedStep, step);
        EXPECT_EQ(prompt.messages, std::vector<std::string>{translate(kProgrammingFailed)});
        EXPECT_FALSE(outcome.detail.empty());
        expectOnlyThePetrolStep();
    }

    // An older image answered No: the question and nothing else.
    sim->clearReceived();
    prompt.messages.clear();
    const auto declined = updateFirmware(*device, imageFile(imageOf(0x0205)), options());
    EXPECT_EQ(declined.result, ActionResult::Cancelled);
    EXPECT_EQ(prompt.messages.size(), 1u);
    expectOnlyThePetrolStep();
    EXPECT_EQ(backups(), 0u);

    // A controller that stays on gas: the file is not even looked at.
    sim->setNeverPetrol(true);
    device->m_settings.m_base.m_emulatorDelay = 0.1; // a short poll budget
    prompt.messages.clear();
    EXPECT_EQ(updateFirmware(*device, (dir / "no-such.img").string(), options()).failedStep,
              FirmwareStep::PetrolSwitch);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{translate("Nie powiodło się przełączenie na benzynę!")});
}

TEST_F(FirmwareUpdate, NothingIsProgrammedWithoutACompleteBackup)
{
    LinkTiming t = quickTiming();
    t.attempts = 2;
    t.readTimeoutConstantMs = 100;
    start({}, t);
    const auto image = imageFile(imageOf(0x0207));
    auto o = options();
    o.backupFolder = (dir / "k480.img" / "not-a-folder").string();
    EXPECT_EQ(updateFirmware(*device, image, o).failedStep, FirmwareStep::Backup);
    expectOnlyThePetrolStep();

    // Settings that were not all read would be backed up with defaults in them.
    sim->ignoreControlRequest(12); // the setup times block
    ASSERT_TRUE(device->openPort(path));
    sim->clearReceived();
    const auto outcome = updateFirmware(*device, image, options());
    EXPECT_EQ(outcome.failedStep, FirmwareStep::Backup);
    EXPECT_NE(outcome.detail.find("setupTimes"), std::string::npos) << outcome.detail;
    expectOnlyThePetrolStep();
    EXPECT_EQ(backups(), 0u);
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
