// Request dispatch of the virtual controller.
#include "Controller.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "FuelMap.h"
#include "LiveSample.h"

namespace tarvola::sim {
namespace {

// Running times the unit already has on the clock when the simulation starts (half seconds).
constexpr std::uint32_t kInitialPetrolHalfSeconds = 150u * 7200u;
constexpr std::uint32_t kInitialGasHalfSeconds = 420u * 7200u;

constexpr char kSerial[] = "VLD12345";

// Production date: days since 1 April 2004.
constexpr int kProductionDays = static_cast<int>(
    (std::chrono::sys_days{std::chrono::year{2021} / 3 / 15} - std::chrono::sys_days{std::chrono::year{2004} / 4 / 1})
        .count());

Warmth warmth(const SimOptions& o) {
    if (o.warm) return Warmth::Warm;
    return o.cold ? Warmth::Cold : Warmth::Ambient;
}

StartMode startMode(EngineStart s) {
    switch (s) {
    case EngineStart::Gas: return StartMode::Gas;
    case EngineStart::Auto: return StartMode::Auto;
    case EngineStart::Petrol: break;
    }
    return StartMode::Petrol;
}

}  // namespace

Reply acknowledge() { return {2, {4, 0, 0, 0, 0, 0}}; }
Reply refusal() { return {2, {0, 0, 0, 0, 0, 0}}; }

Controller::Controller(const SimOptions& options, Clock::time_point start)
    : options_(options),
      memory_(options.variant == kVariantId),
      clock_(start, options.timeScale),
      engine_(options.injectors, options.seed, start, startMode(options.start), warmth(options)),
      version_(options.version),
      flash_(kFlashSize, 0xFF) {
    options_.injectors = std::clamp(options_.injectors, 1, 8);
    engine_.setEnabledMask(static_cast<std::uint8_t>((1u << options_.injectors) - 1));
    engine_.setDriveCycle(options.driveCycle);
    engine_.setGasInjectors(options.gasFlow, options.gasDeadMs);
    memory_.setErrorFlags(options.errorFlags);
    setStallAfterPolls(options.stallAfter);
}

void Controller::advance(Clock::time_point now) { engine_.advanceTo(clock_.engineTime(now), memory_, maps_); }

void Controller::setTimeScale(double scale, Clock::time_point now) {
    advance(now);
    clock_.setScale(scale, now);
}

void Controller::setStallAfterPolls(long n) {
    stallAfter_ = n < 0 ? -1 : n;
    if (stallAfter_ == 0) {
        engine_.setRunning(false);
        stallAfter_ = -1;
    }
}

std::uint32_t Controller::statisticPetrol() const {
    return kInitialPetrolHalfSeconds + static_cast<std::uint32_t>(engine_.petrolMilliseconds() / 500);
}

std::uint32_t Controller::statisticGas() const {
    return kInitialGasHalfSeconds + static_cast<std::uint32_t>(engine_.gasMilliseconds() / 500);
}

void Controller::countModification() {
    if (modify_ < 0xFFFF) ++modify_;
}

Bytes Controller::identityBlock() const {
    Bytes id(32, 0);
    putBE32(&id[0], options_.noFirmwareUpdate ? 0u : kFirmwareUpdateFlag);
    putBE32(&id[4], 0);
    putBE16(&id[8], static_cast<std::uint16_t>(kProductionDays));
    putBE16(&id[10], version_);
    std::memcpy(&id[12], kSerial, sizeof kSerial - 1);  // the rest of the 16 bytes stays 0
    id[28] = static_cast<std::uint8_t>(options_.injectors);
    id[29] = options_.variant;
    return id;
}

Reply Controller::handle(std::uint8_t code, const Bytes& p, Clock::time_point wallNow) {
    advance(wallNow);
    const Clock::time_point now = clock_.engineTime(wallNow);
    if (programming_) return programmingRequest(code, p);
    switch (code) {
    case 2: return p.size() == 6 ? control(p, now) : refusal();
    case 3: return writeBlock(Block::Base, p);
    case 4: return writeBlock(Block::Adv, p);
    case 26: return writeBlock(Block::AdvancedSetup, p);
    case 15: return writeBlock(Block::MainCorr, p);
    case 7: return writeBlock(Block::SetupTimes, p);
    case 9: return writeBlock(Block::Sensors, p);
    case 18: return writeBlock(Block::ObdConnection, p);
    case 27: return writeBlock(Block::ObdCorrection, p);
    case 5:
        if (p.size() != 34 || !memory_.write(getBE16(&p[0]), &p[2], 32)) return refusal();
        countModification();
        return acknowledge();
    case 13:
        if (p.size() != 6 || !FuelMap(memory_).editRange(p[0], p[1], p[2], p[3], p[4], p[5])) return refusal();
        countModification();
        return acknowledge();
    case 14:
        // Our cell position is row byte, then column byte; the value is little-endian.
        if (p.size() != 4 || !FuelMap(memory_).setCell(p[0], p[1], getLE16(&p[2]))) return refusal();
        countModification();
        return acknowledge();
    case 250:
        // A unit that reports updates disabled does not accept them either: refusing here is what
        // the tool sees as a failed entry, however it came to try.
        if (options_.noFirmwareUpdate || p.size() != 8 || std::memcmp(p.data(), kProgrammingCode, 8) != 0)
            return refusal();
        programming_ = true;
        blocksThisSession_ = 0;
        closingRequestSeen_ = false;
        firmwareWords_.clear();
        return acknowledge();
    case 23:
    case 25: return busRequest(code, p, now);
    default: return refusal();
    }
}

Reply Controller::writeBlock(Block b, const Bytes& p) {
    if (!memory_.setBlock(b, p)) return refusal();
    countModification();
    return acknowledge();
}

Reply Controller::programmingRequest(std::uint8_t code, const Bytes& p) {
    if (code == 251 && p.size() == 130) {
        const std::uint16_t word = getLE16(&p[0]);
        firmwareWords_.push_back(word);
        ++blocksThisSession_;
        const std::size_t at = 2u * word;
        if (at < flash_.size())
            std::copy(p.begin() + 2, p.begin() + 2 + static_cast<std::ptrdiff_t>(std::min<std::size_t>(128, flash_.size() - at)),
                      flash_.begin() + static_cast<std::ptrdiff_t>(at));
        return acknowledge();
    }
    if (code == 2 && p.size() == 6 && p[0] == 96) {
        closingRequestSeen_ = true;
        return acknowledge();
    }
    if (code == 2 && p.size() == 6 && p[0] == 10) {
        // Leaving programming reboots the unit into normal mode, engine back on petrol, running
        // the new firmware when a whole sequence came in.
        if (blocksThisSession_ > 0 && closingRequestSeen_ && version_ < 0xFFFF) ++version_;
        programming_ = false;
        engine_.forceMode(2);
        return acknowledge();
    }
    return refusal();
}

Reply Controller::pointMap(bool gas) {
    const PointMap& m = gas ? maps_.gas : maps_.petrol;
    if (variant()) return {static_cast<std::uint8_t>(gas ? 29 : 28), m.encode(true)};
    return {static_cast<std::uint8_t>(gas ? 20 : 19), m.encode(false)};
}

Reply Controller::control(const Bytes& p, Clock::time_point now) {
    switch (p[0]) {
    case 0xCC: {
        // '!' marks our controller; 85 at bytes 2-3 allows live diagnostics.
        Reply r = acknowledge();
        r.payload[1] = 0x21;
        if (!options_.noDiag) r.payload[3] = 0x55;
        return r;
    }
    case 13: return {8, identityBlock()};
    case 17: {
        Bytes s(10, 0);
        putBE32(&s[0], statisticPetrol());
        putBE32(&s[4], statisticGas());
        putBE16(&s[8], modify_);
        return {12, s};
    }
    case 7: return {3, memory_.block(Block::Base)};
    case 8: return {4, memory_.block(Block::Adv)};
    case 34: return {26, memory_.block(Block::AdvancedSetup)};
    case 22: return {15, memory_.block(Block::MainCorr)};
    case 12: return {7, memory_.block(Block::SetupTimes)};
    case 14: return {9, memory_.block(Block::Sensors)};
    case 27: return {18, memory_.block(Block::ObdConnection)};
    case 35: return {27, memory_.block(Block::ObdCorrection)};
    case 5: return {6, memory_.block(Block::ErrorFlags)};
    case 11: {
        const std::uint16_t address = getBE16(&p[2]);
        Bytes r(34, 0);
        putBE16(&r[0], address);
        if (!memory_.read(address, 32, &r[2])) return refusal();
        return {5, r};
    }
    case 1: engine_.requestGas(now, memory_); return acknowledge();
    case 2: engine_.requestPetrol(now, memory_); return acknowledge();
    case 3: engine_.requestAuto(now); return acknowledge();
    case 10: memory_.setErrorFlags({0, 0, 0, 0}); return acknowledge();
    case 19: return acknowledge();  // the map already lives in non-volatile memory
    case 20: FuelMap(memory_).clear(); return acknowledge();
    case 23: engine_.setEnabledMask(static_cast<std::uint8_t>(getBE16(&p[2]))); return acknowledge();
    case 28: maps_.petrol.clear(); return acknowledge();
    case 29: maps_.gas.clear(); return acknowledge();
    case 6:
    case 36: {
        if ((p[0] == 36) != variant()) return refusal();
        Reply r{1, encodeLiveSample(engine_.snapshot(), memory_)};
        if (stallAfter_ > 0 && --stallAfter_ == 0) {
            engine_.setRunning(false);
            stallAfter_ = -1;
        }
        return r;
    }
    case 30:
    case 31:
        if (variant()) return refusal();
        return pointMap(p[0] == 31);
    case 37:
    case 38:
        if (!variant()) return refusal();
        return pointMap(p[0] == 38);
    default: return refusal();
    }
}

Reply Controller::busRequest(std::uint8_t code, const Bytes& p, Clock::time_point /*now*/) {
    std::vector<BusQuery> queries;
    if (code == 25) {
        if (p.size() != 20) return refusal();
        BusQuery q;
        q.requestId = getLE32(&p[0]);
        q.filterId = getLE32(&p[4]);
        q.filterMask = getLE32(&p[8]);
        q.length = p[12];
        q.service = p[13];
        q.pid = p[14];
        queries.push_back(q);
    } else {
        if (p.size() < 14) return refusal();
        const std::size_t count = getLE16(&p[12]);
        if (p.size() != 14 + 4 * count) return refusal();
        for (std::size_t i = 0; i < count; ++i) {
            BusQuery q;
            q.requestId = getLE32(&p[0]);
            q.filterId = getLE32(&p[4]);
            q.filterMask = getLE32(&p[8]);
            q.length = p[14 + 4 * i];
            q.service = p[15 + 4 * i];
            q.pid = p[16 + 4 * i];
            queries.push_back(q);
        }
    }
    std::vector<BusFrame> frames;
    if (memory_.block(Block::ObdConnection)[8] == 1) {
        const EngineSnapshot engine = engine_.snapshot();
        for (const BusQuery& q : queries) {
            std::vector<BusFrame> f = obd_.answer(q, engine);
            frames.insert(frames.end(), f.begin(), f.end());
        }
    }
    return {24, encodeBusReply(frames)};
}

}  // namespace tarvola::sim
