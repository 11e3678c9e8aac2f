#pragma once
// The live sample buffer: at most 501 samples under its own lock. Appending to a full buffer drops
// the oldest 250 at once rather than one at a time. Every operation holds the lock for its whole
// duration, so readers always see whole samples; none of them takes any other lock meanwhile.
//
// The buffer also carries the conversion context that the polling thread applies to its samples
// (the recording's temperatures and pressures, the demo sample's temperature codes), so that the
// thread never reads the settings record that the user-interface thread changes.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "monitor/CDiag.h"
#include "monitor/DiagValues.h"
#include "msglib/CMutex.h"

namespace tarvola {

class CDiagData {
public:
    static constexpr std::size_t kKeepAtMost = 500;  // more than this: drop first
    static constexpr std::size_t kDropAtOnce = 250;

    CDiagData() = default;
    CDiagData(const CDiagData&) = delete;
    CDiagData& operator=(const CDiagData&) = delete;

    void append(const CDiag& sample);
    // Copies the newest sample into `out`; false (and `out` unchanged) when the buffer is empty.
    bool newest(CDiag& out) const;
    // Appends copies of samples [first, min(end, count)) to `out`.
    void copyRange(std::vector<CDiag>& out, std::size_t first, std::size_t end) const;
    std::size_t count() const;
    void clear();
    // Every sample appended since the buffer was made, dropped and cleared ones included.
    std::uint64_t appended() const;
    // A reader that saw `seen` appended samples gets those appended since that are still held,
    // oldest first, and learns the new total: a page that wants every sample, not only the newest.
    std::uint64_t copySince(std::uint64_t seen, std::vector<CDiag>& out) const;

    void setContext(const DiagContext& context);
    DiagContext context() const;

private:
    mutable CMutex m_lock;
    std::deque<CDiag> m_samples;
    std::uint64_t m_appended = 0;
    DiagContext m_context;
};

} // namespace tarvola
