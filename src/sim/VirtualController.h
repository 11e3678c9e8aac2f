// The virtual controller: a stand-in for the gas-injection controller on a pseudo-terminal, for
// tests, benchmarks and demonstrations. Start it, open the returned path like a serial port, and
// it answers the command set as the real unit does; the hooks below let a test look inside it
// and make the line misbehave on purpose.
//
// Every hook is thread-safe and may be called before start(), while serving, or after stop().
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "ControllerMemory.h"
#include "SimOptions.h"

namespace tarvola::sim {

class Controller;
class FaultPolicy;
class PtyServer;
struct Frame;
struct Response;

struct ReceivedFrame {
    std::chrono::steady_clock::time_point at;  // when the frame's last byte arrived
    std::vector<std::uint8_t> bytes;           // whole frame
};

class VirtualController {
public:
    explicit VirtualController(SimOptions options = {});
    ~VirtualController();  // stops
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;

    // Creates the pseudo-terminal, starts serving on a thread and returns the slave path.
    // Throws std::system_error when no pseudo-terminal can be created. A second call returns
    // the same path; a stopped controller is not started again (make a new one).
    std::string start();
    void stop();
    const std::string& path() const;

    // Every valid request frame, oldest first (the oldest are dropped past 200000 frames).
    std::vector<ReceivedFrame> received() const;
    void clearReceived();
    // Ignore the next n valid requests (no reply, no effect): "answers only the k-th attempt".
    void dropNext(int n);
    // Never answer control requests with this sub-code (a controller missing one command); -1: none.
    void ignoreControlRequest(int subCode);
    void setFault(Fault f, double rate, long after);
    // The mode byte never reports petrol (stuck on gas).
    void setNeverPetrol(bool on);
    // Forces the engine's mode at once (2 petrol, 3 gas), without the emulator delay.
    void setWorkMode(int mode);
    // The controller disappears: the pseudo-terminal is closed (master and the kept slave side).
    void vanish();
    // The next reply is written half, then the pseudo-terminal is closed.
    void vanishMidFrame();
    // The reply to the next request is replaced by these raw bytes (the request still acts).
    void injectRawReply(std::vector<std::uint8_t> bytes);

    // Raw memory; a range off the end of the 4 KiB image reads as far as it goes / is cut short.
    std::vector<std::uint8_t> readMemory(std::uint16_t address, std::size_t n) const;
    void writeMemory(std::uint16_t address, const std::vector<std::uint8_t>& bytes);  // no check-value update
    std::vector<std::uint16_t> firmwareWordAddresses() const;  // code-251 word addresses, in order
    bool programming() const;
    // The statistics counters as the controller reports them, in half seconds:
    // statisticGas() is the `gas` field (running time on petrol), statisticLpg() the `lpg` field
    // (running time on gas).
    std::uint32_t statisticGas() const;
    std::uint32_t statisticLpg() const;

    // Further hooks.
    std::uint16_t statisticModify() const;
    int workMode() const;                // the mode byte a poll would report now
    std::uint8_t gasMask() const;        // injectors running on gas now
    std::vector<std::uint8_t> liveSample() const;  // the 82 bytes a poll would answer now
    std::vector<std::uint8_t> settingsBlock(Block b) const;
    std::vector<std::uint8_t> flash() const;       // bytes written by firmware blocks (0xFF elsewhere)
    void setEngineRunning(bool on);
    void setEngineTarget(double rpm, double manifoldKPa);
    void setTemperatures(double reducerCelsius, double gasCelsius);
    void setErrorFlags(const std::array<std::uint8_t, 4>& flags);
    void setTroubleCodes(std::vector<std::uint16_t> codes);
    std::vector<std::uint16_t> troubleCodes() const;
    void setPace(bool on);
    // The engine stops (as setEngineRunning(false)) once n more live-sample polls have been
    // answered, counted from this call; 0 stops it now, -1 disarms.
    void setStallAfterPolls(long n);
    // The engine's clock runs k times as fast as the wall clock from now on (clamped to 1…100);
    // the line, its pacing and the faults keep to the wall clock. Engine time never runs back.
    void setTimeScale(double k);
    // Relative flow (0.2…5) and opening dead time (−5…10 ms) of the gas injectors, clamped.
    void setGasInjectors(double flow, double deadMs);

    // The controller's answer to one request frame, as the serving thread computes it; exposed so
    // tests can drive the controller without a terminal.
    Response respond(const Frame& frame);

private:
    SimOptions options_;
    mutable std::mutex mu_;
    std::unique_ptr<Controller> controller_;
    std::unique_ptr<FaultPolicy> faults_;
    std::mt19937_64 faultRng_;
    std::deque<ReceivedFrame> received_;
    int dropNext_ = 0;
    int ignoredSubCode_ = -1;
    bool vanishMidFrame_ = false;
    bool haveInjected_ = false;
    std::vector<std::uint8_t> injected_;
    std::unique_ptr<PtyServer> server_;
    std::string path_;
};

}  // namespace tarvola::sim
