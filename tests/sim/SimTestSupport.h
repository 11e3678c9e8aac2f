// Small helpers shared by the virtual controller's tests.
#pragma once

#include <chrono>

#include "Controller.h"

namespace tarvola::sim::test {

inline Bytes control(std::uint8_t sub, std::uint16_t arg = 0) {
    Bytes p(6, 0);
    p[0] = sub;
    putBE16(&p[2], arg);
    return p;
}

inline bool isAck(const Reply& r) { return r.code == 2 && r.payload.size() == 6 && r.payload[0] == 4; }
inline bool isRefusal(const Reply& r) { return r.code == 2 && r.payload.size() == 6 && r.payload[0] == 0; }

inline std::chrono::milliseconds ms(long n) { return std::chrono::milliseconds(n); }

}  // namespace tarvola::sim::test
