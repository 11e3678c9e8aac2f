// The car's engine computer behind the controller's OBD gateway. It answers standard OBD-II
// requests (SAE J1979 services 1, 3 and 4) with ISO 15765-2 frames: single frames, or a first
// frame and consecutive frames for answers longer than seven bytes. Live values come from the
// engine model, so fuel trims and oxygen sensors move with the mixture.
//
// The car speaks one bus: 11-bit CAN (asked at 0x7DF/0x7E0, answering from 0x7E8), 29-bit CAN
// (asked at 0x18DB33F1 or 0x18DA10F1, also 0x18DA00F1, answering from 0x18DAF110), or K-line behind
// the gateway (asked at 0x7A0, answering from 0x7A8). The gateway hands K-line answers over in the
// same eight-byte frame records as CAN ones.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ByteOrder.h"
#include "EngineModel.h"
#include "SimOptions.h"

namespace tarvola::sim {

struct BusFrame {
    std::uint32_t id = 0;  // sender
    std::array<std::uint8_t, 8> data{};
};

struct BusQuery {
    std::uint32_t requestId = 0;
    std::uint32_t filterId = 0;
    std::uint32_t filterMask = 0;
    std::uint8_t length = 0;  // 1: service only, 2: service and parameter
    std::uint8_t service = 0;
    std::uint8_t pid = 0;
};

class ObdCar {
public:
    explicit ObdCar(ObdBus bus = ObdBus::Can11);

    ObdBus bus() const { return bus_; }
    void setBus(ObdBus bus) { bus_ = bus; }

    // Frames the bus carries back for one request, already passed through the response filter.
    // A request no unit is addressed by gets no frames.
    std::vector<BusFrame> answer(const BusQuery& query, const EngineSnapshot& engine);

    void setTroubleCodes(std::vector<std::uint16_t> codes) { codes_ = std::move(codes); }
    const std::vector<std::uint16_t>& troubleCodes() const { return codes_; }

    // Sender identifier of the engine computer on `bus` for a request identifier; 0 when none
    // answers.
    static std::uint32_t responderFor(ObdBus bus, std::uint32_t requestId);
    // The base identifier the controller's connection record holds for a car on `bus`.
    static std::uint32_t baseIdFor(ObdBus bus);
    // Parameters 1..32 this car supports, as the 32-bit mask of service 1 parameter 0.
    static std::uint32_t supportedMask();

private:
    std::vector<std::uint8_t> service1(std::uint8_t pid, const EngineSnapshot& engine) const;

    ObdBus bus_;
    std::vector<std::uint16_t> codes_;
};

// Splits one answer into ISO 15765-2 frames (padding 0x55).
std::vector<BusFrame> segment(std::uint32_t sender, const std::vector<std::uint8_t>& message);

// Payload of reply code 24: 16-bit frame count (little-endian), then per frame the 32-bit sender
// (little-endian) and its eight data bytes. At most 21 frames fit a reply; the rest are dropped.
Bytes encodeBusReply(const std::vector<BusFrame>& frames);

}  // namespace tarvola::sim
