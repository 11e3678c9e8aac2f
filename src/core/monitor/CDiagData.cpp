#include "monitor/CDiagData.h"

#include <algorithm>


namespace tarvola {

void CDiagData::append(const CDiag& sample)
{
    CMutexGuard guard(m_lock);
    if (m_samples.size() > kKeepAtMost)
        m_samples.erase(m_samples.begin(), m_samples.begin() + kDropAtOnce);
    m_samples.push_back(sample);
    ++m_appended;
}

std::uint64_t CDiagData::appended() const
{
    CMutexGuard guard(m_lock);
    return m_appended;
}

std::uint64_t CDiagData::copySince(std::uint64_t seen, std::vector<CDiag>& out) const
{
    CMutexGuard guard(m_lock);
    const std::uint64_t fresh = m_appended > seen ? m_appended - seen : 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(fresh, m_samples.size()));
    for (std::size_t i = m_samples.size() - n; i < m_samples.size(); ++i)
        out.push_back(m_samples[i]);
    return m_appended;
}

bool CDiagData::newest(CDiag& out) const
{
    CMutexGuard guard(m_lock);
    if (m_samples.empty())
        return false;
    out = m_samples.back();
    return true;
}

void CDiagData::copyRange(std::vector<CDiag>& out, std::size_t first, std::size_t end) const
{
    CMutexGuard guard(m_lock);
    const std::size_t stop = std::min(end, m_samples.size());
    for (std::size_t i = first; i < stop; ++i)
        out.push_back(m_samples[i]);
}

std::size_t CDiagData::count() const
{
    CMutexGuard guard(m_lock);
    return m_samples.size();
}

void CDiagData::clear()
{
    CMutexGuard guard(m_lock);
    m_samples.clear();
}

void CDiagData::setContext(const DiagContext& context)
{
    CMutexGuard guard(m_lock);
    m_context = context;
}

DiagContext CDiagData::context() const
{
    CMutexGuard guard(m_lock);
    return m_context;
}

} // namespace tarvola
