// Line faults on demand: which requests get a faulty reply, and what the faulty reply looks like.
//
// The controller has already acted on a request when its reply is spoiled; a fault only changes
// what comes back over the line.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "ByteOrder.h"
#include "SimOptions.h"

namespace tarvola::sim {

// Decides per request. With `after` >= 0 the first `after` requests are always answered well;
// past that, a positive rate faults each request with that probability (seeded), and a rate of 0
// faults every one. With neither a rate nor `after`, every request is faulted.
class FaultPolicy {
public:
    FaultPolicy(Fault fault, double rate, long after, std::uint64_t seed);
    void set(Fault fault, double rate, long after);  // also restarts the request count
    Fault next();

private:
    Fault fault_;
    double rate_;
    long after_;
    long seen_ = 0;
    std::mt19937_64 rng_;
};

// One piece of a reply as it goes onto the line: its bytes and how long after the reply's start
// its first byte may go.
struct Piece {
    std::chrono::milliseconds delay{0};
    Bytes bytes;
};

// The pieces a reply frame becomes under a fault. Silent gives none; corrupt adds one to the
// checksum; badstart swaps the start pair to 55 AA; truncate sends the header and half the rest;
// late holds the last three bytes back for (LEN + 2) + 1200 ms, so that the tool's first read of
// the body times out and its second read gets them; noise puts 1..16 random bytes first.
std::vector<Piece> applyFault(Fault fault, const Bytes& frame, std::mt19937_64& rng);

// How long a late reply holds back its tail.
std::chrono::milliseconds lateTailDelay(std::size_t frameBytes);

}  // namespace tarvola::sim
