// The controller's side of the command set: takes one request frame and produces the reply the
// controller sends, keeping its memory, identity, statistics, engine, point maps, OBD car and
// firmware programming state.
//
// Anything it does not understand or refuses (unknown codes, wrong lengths, addresses off the
// end of memory, requests of the other controller variant, anything but programming while in
// programming mode, entering programming on a unit that reports updates disabled) is answered
// with a refusal: reply code 2 with byte 0 = 0.
// Not thread-safe; VirtualController serialises every call.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ControllerMemory.h"
#include "EngineClock.h"
#include "EngineModel.h"
#include "Frame.h"
#include "ObdCar.h"
#include "PointMaps.h"
#include "SimOptions.h"

namespace tarvola::sim {

struct Reply {
    std::uint8_t code = 2;
    Bytes payload;
};

inline constexpr std::uint8_t kVariantId = 0x21;
inline constexpr char kProgrammingCode[] = "QM204817";
inline constexpr char kDeviceName[] = "VELDRANIX K480";  // the name firmware images must carry
inline constexpr std::size_t kFlashSize = 90112;           // bytes a firmware image can fill
inline constexpr std::uint32_t kFirmwareUpdateFlag = 0x04;  // first identity flag word: updates allowed

Reply acknowledge();
Reply refusal();

class Controller {
public:
    Controller(const SimOptions& options, Clock::time_point start);

    // `now` is wall-clock time everywhere here; the engine sees it through its own clock.
    Reply handle(std::uint8_t code, const Bytes& payload, Clock::time_point now);

    // Runs the engine up to `now` (statistics, temperatures, point maps).
    void advance(Clock::time_point now);

    // The engine's clock runs `scale` times as fast as the wall clock from `now` on (1…100).
    void setTimeScale(double scale, Clock::time_point now);
    double timeScale() const { return clock_.scale(); }
    // The engine stops (as EngineModel::setRunning(false)) the moment n more live-sample polls
    // (sub-code 6, or 36 on the variant) have been answered; 0 stops it now, -1 disarms. It fires
    // once: an engine started again afterwards keeps running.
    void setStallAfterPolls(long n);

    ControllerMemory& memory() { return memory_; }
    const ControllerMemory& memory() const { return memory_; }
    EngineModel& engine() { return engine_; }
    ObdCar& obd() { return obd_; }
    PointMapPair& pointMaps() { return maps_; }

    // Programming: code 250 with the access code enters it (refused when the options report
    // firmware updates disabled); code-251 blocks fill the flash; control request 96 and then 10
    // close it. A sequence that wrote at least one block and sent 96 before 10 counts as new
    // firmware: from then on the identity reports the version one higher (it stays at 0xFFFF).
    // The image's own version sits in the file header, which never reaches the controller, so
    // this is the simplest rule a test can watch.
    bool programming() const { return programming_; }
    std::uint16_t version() const { return version_; }
    const std::vector<std::uint16_t>& firmwareWordAddresses() const { return firmwareWords_; }
    const Bytes& flash() const { return flash_; }

    std::uint32_t statisticPetrol() const;  // half seconds on petrol
    std::uint32_t statisticGas() const;     // half seconds on gas
    std::uint16_t modifyCount() const { return modify_; }

    Bytes identityBlock() const;

private:
    Reply control(const Bytes& p, Clock::time_point engineNow);  // engine time
    Reply programmingRequest(std::uint8_t code, const Bytes& p);
    Reply writeBlock(Block b, const Bytes& p);
    Reply busRequest(std::uint8_t code, const Bytes& p, Clock::time_point now);
    Reply pointMap(bool gas);
    void countModification();
    bool variant() const { return options_.variant == kVariantId; }

    SimOptions options_;
    ControllerMemory memory_;
    EngineClock clock_;
    EngineModel engine_;
    PointMapPair maps_;
    ObdCar obd_;
    bool programming_ = false;
    std::size_t blocksThisSession_ = 0;
    bool closingRequestSeen_ = false;  // request 96 in this programming session
    std::uint16_t version_;
    std::vector<std::uint16_t> firmwareWords_;
    Bytes flash_;
    std::uint16_t modify_ = 12;
    long stallAfter_ = -1;  // polls still to answer before the engine stops; -1: never
};

}  // namespace tarvola::sim
