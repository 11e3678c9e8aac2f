// The engine model's clock.
#include "EngineClock.h"

#include <algorithm>
#include <cmath>

namespace tarvola::sim {

EngineClock::EngineClock(Clock::time_point start, double scale)
    : wallAnchor_(start), engineAnchor_(start), latest_(start), scale_(checked(scale)) {}

double EngineClock::checked(double scale) {
    if (std::isnan(scale)) return 1.0;
    return std::clamp(scale, kMinTimeScale, kMaxTimeScale);
}

void EngineClock::setScale(double scale, Clock::time_point now) {
    engineAnchor_ = engineTime(now);
    wallAnchor_ = std::max(now, wallAnchor_);
    scale_ = checked(scale);
}

Clock::time_point EngineClock::engineTime(Clock::time_point now) {
    if (now <= wallAnchor_) return latest_;
    const auto wall = now - wallAnchor_;
    Clock::time_point t = engineAnchor_;
    if (scale_ == 1.0)
        t += wall;  // exact: a controller at the wall clock's pace sees the very time points it is given
    else
        t += std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double, Clock::period>(static_cast<double>(wall.count()) * scale_));
    latest_ = std::max(latest_, t);
    return latest_;
}

}  // namespace tarvola::sim
