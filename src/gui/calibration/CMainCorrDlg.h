#pragma once
// The per-cylinder correction dialog ("Korekcje"): the eight constant-time corrections of
// m_mainCorr.m_mainCorr, each with an edit box, a coarse and a fine pair of arrows, and the
// "Zmiana dla wszystkich" box. The document's CMainCorrEditor holds every rule (texts, bounds, which
// rows show, which arrows work, the delayed write); the dialog lays out the controls, forwards their
// events to it and redraws from it. It is modeless and there is at most one: openOnce() opens it or
// brings the open one to the front.

#include <QDialog>
#include <QTimer>
#include <array>

#include "lang/WindowTexts.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CVeldranixDoc;

class CMainCorrDlg : public QDialog, public CMainCorrDlgTexts {
    Q_OBJECT
public:
    static constexpr int kCylinders = 8;

    // Fills the texts from the document's record; "Zmiana dla wszystkich" starts checked.
    CMainCorrDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The "Korekta główna" command: opens the dialog (it deletes itself when closed), or raises the
    // one that is open already.
    static void openOnce(CVeldranixDoc& doc, QWidget* parent);
    // The open dialog of openOnce(); null when none is open.
    static CMainCorrDlg* openDialog();

    // The controls of one cylinder (0..7), for the tests.
    QLineEdit* edit(int cylinder) const;
    QLabel* numberLabel(int cylinder) const;
    // The arrow that steps the value up (or down) by 0.10 ms (coarse) or 0.01 ms.
    QAbstractButton* arrow(int cylinder, bool coarse, bool up) const;
    QCheckBox* changeForAllBox() const { return m_changeForAll; }

public slots:
    // Closing writes a burst of steps still waiting for the apply timer instead of dropping it.
    void done(int result) override;

private:
    struct Row {
        QLabel* number = nullptr;
        QLineEdit* edit = nullptr;
        QWidget* coarse = nullptr;
        QWidget* fine = nullptr;
        QLabel* unit = nullptr;
        // [coarse][up]
        std::array<std::array<QAbstractButton*, 2>, 2> arrows{};
    };

    void build();
    QWidget* makeArrows(Row& row, int cylinder, bool coarse);
    void step(int cylinder, bool coarse, bool up);
    void applyTexts();
    void documentChanged(const DeviceChange& change);
    // Shows what the editor holds: texts, visible rows, working arrows, the check box.
    void refresh();
    void applyTick();

    CVeldranixDoc& m_doc;
    QCheckBox* m_changeForAll = nullptr;
    std::array<Row, kCylinders> m_rows{};
    // Runs while the editor's apply timer does, and hands its expiry to the editor.
    QTimer m_applyTimer;
};

} // namespace tarvola::gui
