#include "calibration/EditHistory.h"

namespace tarvola {

void CEditHistory::record(EditStep step)
{
    if (m_replaying)
        return;
    m_undo.push_back(std::move(step));
    while (m_undo.size() > kDepth)
        m_undo.pop_front();
    m_redo.clear();
    changed();
}

bool CEditHistory::undo()
{
    return move(m_undo, m_redo, true);
}

bool CEditHistory::redo()
{
    return move(m_redo, m_undo, false);
}

bool CEditHistory::move(std::deque<EditStep>& from, std::deque<EditStep>& to, bool undoing)
{
    if (from.empty() || m_replaying)
        return false;
    bool ok = false;
    {
        m_replaying = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{m_replaying};
        const EditStep& step = from.back();
        ok = undoing ? (step.undo && step.undo()) : (step.redo && step.redo());
    }
    if (ok) {
        to.push_back(std::move(from.back()));
        from.pop_back();
    }
    // A step that failed half-way may still have changed what the windows show.
    changed();
    return ok;
}

bool CEditHistory::clear()
{
    if (m_undo.empty() && m_redo.empty())
        return false;
    m_undo.clear();
    m_redo.clear();
    changed();
    return true;
}

void CEditHistory::changed()
{
    if (m_onChange)
        m_onChange();
}

} // namespace tarvola
