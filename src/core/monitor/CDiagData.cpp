#include "monitor/CDiagData.h"

#include <algorithm>


namespace tarvola {

void CDiagData::append(const CDiag& sample)
{
    CMutexGuard guard(m_lock);
    if (m_samples.size() > kKeepAtMost)
        m_samples.erase(m_samples.begin(), m_samples.begin() + kDropAtOnce);
    m_samples.push_back(sample);
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
