// The engine model's clock as the controller sees it: wall-clock time points in, engine time
// points out, running `scale` times as fast as the wall clock. Changing the scale keeps the
// engine time reached so far and goes on from there at the new rate, and a wall-clock time
// earlier than one already seen gives the engine time already reached, so engine time never
// runs backwards.
#pragma once

#include "Frame.h"
#include "SimOptions.h"

namespace tarvola::sim {

class EngineClock {
public:
    // Engine time equals wall-clock time at `start`.
    explicit EngineClock(Clock::time_point start, double scale = 1.0);

    // From `now` on the engine runs at `scale` (clamped to 1…100; not a number counts as 1).
    void setScale(double scale, Clock::time_point now);
    double scale() const { return scale_; }

    Clock::time_point engineTime(Clock::time_point now);

private:
    static double checked(double scale);

    Clock::time_point wallAnchor_;
    Clock::time_point engineAnchor_;
    Clock::time_point latest_;  // latest engine time handed out
    double scale_;
};

}  // namespace tarvola::sim
