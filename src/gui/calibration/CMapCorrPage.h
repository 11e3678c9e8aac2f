#pragma once
// The correction map page ("Mapa"): the map grid with a hint above it. It fills the grid from the
// settings record when it becomes active and whenever the document announces a new map, moves the
// operating-point marker on every refresh tick, and relabels itself and the grid's popup menu when
// the language changes.
//
// It never lets the window show a map that silently differs from the controller's: when an edit's
// range request or the store that follows it fails, a warning line with a "read back" button
// appears. It goes away after the map was read back (or the controller's whole picture replaced),
// or, for a failed store, after the next store that succeeds with no unsent edit left.
//
// While a comparison with a settings file is open, a bar names the file, explains the colours,
// counts the differing cells and offers to end the comparison; the grid shows the differences and
// cannot be edited.

#include <utility>
#include <vector>

#include "controls/CAppPropPage.h"
#include "calibration/MapGridModel.h"
#include "lang/WindowTexts.h"

class QLabel;
class QPushButton;
class QWidget;

namespace tarvola {
struct DeviceChange;
}

namespace tarvola::gui {

class CMapArray;
class CVeldranixDoc;

class CMapCorrPage : public CAppPropPage, public CMapTexts {
    Q_OBJECT
public:
    CMapCorrPage(CVeldranixDoc& doc, QWidget* parent = nullptr);
    QString title() const override;

    void activate() override;
    // Shows the record's map. An edit still waiting for its store is stored first, so the record
    // holds it and the grid does not fall back behind the controller.
    void reload() override;
    void applyTexts() override;
    void liveUpdate(unsigned tick) override;

    CMapArray* grid() const { return m_grid; }
    // The map may differ from the controller's: the warning line is shown.
    bool warningShown() const;
    QLabel* differenceCount() const { return m_count; }

public slots:
    // Reads the map from the controller and shows it.
    void readBack();

private:
    void documentChanged(const DeviceChange& change);
    void showRecord();
    void showComparison();
    void showCount();
    void showWarning();
    void onEdited(MapEditOutcome outcome);
    void onStored(MapStoreOutcome outcome);
    QLabel* label(int id, QWidget* parent);
    QPushButton* button(int id, QWidget* parent);

    // The controls the page's text table labels, with their identifiers. Declared first: the
    // constructor fills them while it creates the controls below.
    std::vector<std::pair<QLabel*, int>> m_labels;
    std::vector<std::pair<QPushButton*, int>> m_buttons;

    CVeldranixDoc& m_doc;
    CMapArray* m_grid;
    QLabel* m_hint;
    QWidget* m_compareBar;
    QLabel* m_fileName;
    QLabel* m_count;
    QPushButton* m_endCompare;
    QWidget* m_warningBar;
    QPushButton* m_readBack;
    // An edit the controller did not take: only a read-back brings grid and controller together.
    bool m_unsent = false;
    // A store the controller did not acknowledge: the next successful store mends it.
    bool m_unstored = false;
};

} // namespace tarvola::gui
