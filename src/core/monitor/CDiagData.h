#pragma once
// The live sample buffer: at most 501 samples under its own lock. Appending to a full buffer drops
// the oldest 250 at once rather than one at a time. Every operation holds the lock for its whole
// duration, so readers always see whole samples.

#include <cstddef>
#include <deque>
#include <vector>

#include "monitor/CDiag.h"
#include "msglib/CMutex.h"

namespace tarvola {

class CDiagData {
public:
    static constexpr std::size_t kKeepAtMost = 500;  // more than this: drop first
    static constexpr std::size_t kDropAtOnce = 250;

    void append(const CDiag& sample);
    // Copies the newest sample into `out`; false (and `out` unchanged) when the buffer is empty.
    bool newest(CDiag& out) const;
    // Appends copies of samples [first, min(end, count)) to `out`.
    void copyRange(std::vector<CDiag>& out, std::size_t first, std::size_t end) const;
    std::size_t count() const;
    void clear();

private:
    mutable CMutex m_lock;
    std::deque<CDiag> m_samples;
};

} // namespace tarvola
