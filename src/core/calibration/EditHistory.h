#pragma once
// The undo and redo history of the calibration edits: map range edits, multiplier-line changes and
// the per-cylinder corrections. Each step knows how to send its change again in either direction;
// undoing sends the old values to the controller the way the edit itself went (a range request and
// the delayed store, a setup-times write, a main-correction write). Steps are named by a Polish text
// that the windows translate ("Cofnij: Dodaj do mapy").
//
// A step whose send fails stays where it was, so the fitter may try again: every step sets values
// rather than adding to them, so sending one twice does no harm. The history is cleared when the
// controller's whole picture is replaced (a new connection, a loaded file, the factory settings, a
// firmware update); edits made before that no longer describe the controller.
//
// User-interface thread only.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace tarvola {

struct EditStep {
    std::string name;            // Polish text naming the change
    std::function<bool()> undo;  // puts the old values back; true when the controller took them
    std::function<bool()> redo;  // puts the new values back; true when the controller took them
};

class CEditHistory {
public:
    static constexpr std::size_t kDepth = 100;

    // A new edit: it goes on the undo stack (the oldest falls off beyond kDepth) and the redo stack
    // empties.
    void record(EditStep step);
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The Polish name of the step undo() / redo() would take; empty when there is none.
    std::string undoName() const { return m_undo.empty() ? std::string() : m_undo.back().name; }
    std::string redoName() const { return m_redo.empty() ? std::string() : m_redo.back().name; }
    // Takes one step back or forward. False when there was none or its send failed (the step then
    // stays where it was).
    bool undo();
    bool redo();
    // Forgets every step; true when there was something to forget.
    bool clear();
    // While a step is undone or redone, the models it drives must not record it as a new edit.
    bool replaying() const { return m_replaying; }

    // Called after every change of the stacks (the Edit menu relabels itself).
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    bool move(std::deque<EditStep>& from, std::deque<EditStep>& to, bool undoing);
    void changed();

    std::deque<EditStep> m_undo;
    std::deque<EditStep> m_redo;
    bool m_replaying = false;
    std::function<void()> m_onChange;
};

} // namespace tarvola
