// The virtual controller facade: ties the controller, the fault policy and the terminal server
// together and offers the test hooks.
#include "VirtualController.h"

#include <algorithm>

#include "Controller.h"
#include "Faults.h"
#include "LiveSample.h"
#include "PtyServer.h"

namespace tarvola::sim {
namespace {

constexpr std::size_t kMaxReceived = 200000;

}  // namespace

VirtualController::VirtualController(SimOptions options)
    : options_(options),
      controller_(std::make_unique<Controller>(options, Clock::now())),
      faults_(std::make_unique<FaultPolicy>(options.fault, options.faultRate, options.faultAfter, options.seed)),
      faultRng_(options.seed ^ 0x9E3779B97F4A7C15ull) {
    // The car behind the gateway, and the connection record that tells the tool how to reach it.
    ObdCar& car = controller_->obd();
    car.setBus(options.obdBus);
    if (options.troubleCodes) car.setTroubleCodes(*options.troubleCodes);
    Bytes connection = controller_->memory().block(Block::ObdConnection);
    putLE32(&connection[0], ObdCar::baseIdFor(options.obdBus));
    controller_->memory().setBlock(Block::ObdConnection, connection);
}

VirtualController::~VirtualController() { stop(); }

std::string VirtualController::start() {
    if (server_) return path_;
    auto server = std::make_unique<PtyServer>([this](const Frame& f) { return respond(f); }, options_.pace);
    path_ = server->start();
    server_ = std::move(server);
    return path_;
}

void VirtualController::stop() {
    if (server_) server_->stop();
}

const std::string& VirtualController::path() const { return path_; }

Response VirtualController::respond(const Frame& frame) {
    std::lock_guard lock(mu_);
    received_.push_back({frame.completeAt, frame.raw});
    if (received_.size() > kMaxReceived) received_.erase(received_.begin(), received_.begin() + kMaxReceived / 2);

    if (dropNext_ > 0) {
        --dropNext_;
        return {};
    }
    if (frame.code == 2 && !frame.payload.empty() && frame.payload[0] == ignoredSubCode_) return {};
    const Reply reply = controller_->handle(frame.code, frame.payload, Clock::now());
    Response r;
    if (haveInjected_) {
        haveInjected_ = false;
        r.pieces.push_back({{}, std::move(injected_)});
        injected_.clear();
    } else {
        r.pieces = applyFault(faults_->next(), encodeFrame(reply.code, reply.payload), faultRng_);
    }
    if (vanishMidFrame_) {
        vanishMidFrame_ = false;
        r.vanishMidway = true;
    }
    return r;
}

std::vector<ReceivedFrame> VirtualController::received() const {
    std::lock_guard lock(mu_);
    return {received_.begin(), received_.end()};
}

void VirtualController::clearReceived() {
    std::lock_guard lock(mu_);
    received_.clear();
}

void VirtualController::ignoreControlRequest(int subCode) {
    std::lock_guard lock(mu_);
    ignoredSubCode_ = subCode;
}

void VirtualController::dropNext(int n) {
    std::lock_guard lock(mu_);
    dropNext_ = std::max(0, n);
}

void VirtualController::setFault(Fault f, double rate, long after) {
    std::lock_guard lock(mu_);
    faults_->set(f, rate, after);
}

void VirtualController::setNeverPetrol(bool on) {
    std::lock_guard lock(mu_);
    controller_->engine().setNeverPetrol(on);
}

void VirtualController::setWorkMode(int mode) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->engine().forceMode(mode);
}

void VirtualController::vanish() {
    if (server_) server_->vanish();
}

void VirtualController::vanishMidFrame() {
    std::lock_guard lock(mu_);
    vanishMidFrame_ = true;
}

void VirtualController::injectRawReply(std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mu_);
    injected_ = std::move(bytes);
    haveInjected_ = true;
}

std::vector<std::uint8_t> VirtualController::readMemory(std::uint16_t address, std::size_t n) const {
    std::lock_guard lock(mu_);
    const std::size_t avail = address < ControllerMemory::kSize ? ControllerMemory::kSize - address : 0;
    std::vector<std::uint8_t> out(std::min(n, avail));
    controller_->memory().read(address, out.size(), out.data());
    return out;
}

void VirtualController::writeMemory(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mu_);
    const std::size_t avail = address < ControllerMemory::kSize ? ControllerMemory::kSize - address : 0;
    controller_->memory().write(address, bytes.data(), std::min(bytes.size(), avail));
}

std::vector<std::uint16_t> VirtualController::firmwareWordAddresses() const {
    std::lock_guard lock(mu_);
    return controller_->firmwareWordAddresses();
}

bool VirtualController::programming() const {
    std::lock_guard lock(mu_);
    return controller_->programming();
}

std::uint32_t VirtualController::statisticGas() const {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    return controller_->statisticPetrol();
}

std::uint32_t VirtualController::statisticLpg() const {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    return controller_->statisticGas();
}

std::uint16_t VirtualController::statisticModify() const {
    std::lock_guard lock(mu_);
    return controller_->modifyCount();
}

int VirtualController::workMode() const {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    return controller_->engine().workMode();
}

std::uint8_t VirtualController::gasMask() const {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    return controller_->engine().gasMask();
}

std::vector<std::uint8_t> VirtualController::liveSample() const {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    return encodeLiveSample(controller_->engine().snapshot(), controller_->memory());
}

std::vector<std::uint8_t> VirtualController::settingsBlock(Block b) const {
    std::lock_guard lock(mu_);
    return controller_->memory().block(b);
}

std::vector<std::uint8_t> VirtualController::flash() const {
    std::lock_guard lock(mu_);
    return controller_->flash();
}

void VirtualController::setEngineRunning(bool on) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->engine().setRunning(on);
}

void VirtualController::setEngineTarget(double rpm, double manifoldKPa) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->engine().setTarget(rpm, manifoldKPa);
}

void VirtualController::setTemperatures(double reducerCelsius, double gasCelsius) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->engine().setTemperatures(reducerCelsius, gasCelsius);
}

void VirtualController::setErrorFlags(const std::array<std::uint8_t, 4>& flags) {
    std::lock_guard lock(mu_);
    controller_->memory().setErrorFlags(flags);
}

void VirtualController::setTroubleCodes(std::vector<std::uint16_t> codes) {
    std::lock_guard lock(mu_);
    controller_->obd().setTroubleCodes(std::move(codes));
}

std::vector<std::uint16_t> VirtualController::troubleCodes() const {
    std::lock_guard lock(mu_);
    return controller_->obd().troubleCodes();
}

void VirtualController::setPace(bool on) {
    std::lock_guard lock(mu_);
    options_.pace = on;
    if (server_) server_->setPace(on);
}

void VirtualController::setStallAfterPolls(long n) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->setStallAfterPolls(n);
}

void VirtualController::setTimeScale(double k) {
    std::lock_guard lock(mu_);
    controller_->setTimeScale(k, Clock::now());
    options_.timeScale = controller_->timeScale();
}

void VirtualController::setGasInjectors(double flow, double deadMs) {
    std::lock_guard lock(mu_);
    controller_->advance(Clock::now());
    controller_->engine().setGasInjectors(flow, deadMs);
}

}  // namespace tarvola::sim
