#pragma once
// The correction map grid: a CCellArray over the document's map model. It shows each cell's value
// in the colour of that value, the selection and the operating-point marker, and forwards everything
// the user does to the model: mouse selection, the "Poprawki" popup menu and its value dialogs, the
// keyboard, and the store timer that makes the controller keep its map a second after the last edit.
//
// Keys: the arrows move a one-cell selection and Shift+arrows stretch it from where it started, so
// the selection stays a rectangle; Page Up / Page Down (on release) nudge the selected cells by
// ±1 %; "+" and "−" open the add and subtract dialogs, Enter and "=" the set dialog, Delete clears.
//
// While a comparison with a settings file is shown, each cell holds the difference controller − file
// instead of its value, and nothing can be edited or selected: the popup, the mouse and the keys do
// nothing, and the selection is not drawn over the tints.

#include <QTimer>
#include <functional>

#include "calibration/CCellArray.h"
#include "calibration/MapGridModel.h"
#include "lang/WindowTexts.h"

class QDialog;
class QMenu;
class QAction;

namespace tarvola {
class IUserPrompt;
struct CDeviceSettings;
}

namespace tarvola::gui {

class CMapArray : public CCellArray {
    Q_OBJECT
public:
    static constexpr int kDefaultMenuResource = 133;
    // How often the store timer is looked at while it runs.
    static constexpr int kStorePollMs = 100;

    // `model` and `prompt` must outlive the grid.
    CMapArray(CMapGridModel& model, IUserPrompt& prompt, QWidget* parent = nullptr);

    // Shows every cell as the model (or the comparison) says.
    void refresh();
    // Redraws the cells the marker left and entered after the model moved it.
    void markerMoved(MapCell from);

    // The file to show the differences to; null returns to the values. Not owned; the caller keeps it
    // alive while shown.
    void setComparison(const CDeviceSettings* file);
    bool comparing() const { return m_comparison != nullptr; }

    // The popup menu's texts come from this menu resource (mapPopupMenuResource of the language).
    void setMenuResource(int resource);
    int menuResource() const { return m_menuResource; }
    QMenu* popupMenu() const { return m_menu; }
    QAction* commandAction(int command) const;

    // The edits: each asks for its value where it has a dialog, then hands it to the model. With no
    // selection, or while comparing, they do nothing (no dialog either).
    void onMapAdd();
    void onMapSubb();
    void onMapSet();
    void onMapClear();
    void incrementSelected(int step);

    // Runs a value dialog modally and returns its result (QDialog::Accepted or Rejected). Tests
    // replace it to answer the dialog.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

    // Starts looking at the model's store timer when it runs (after an edit, undo or redo).
    void watchStoreTimer();

signals:
    // An edit went through the model.
    void edited(tarvola::MapEditOutcome outcome);
    // The store timer expired and the model acted on it.
    void stored(tarvola::MapStoreOutcome outcome);

protected:
    void cellPressed(int column, int row) override;
    void cellsDragged(int pressColumn, int pressRow, int column, int row) override;
    bool popupAllowed() override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void showCell(int column, int row);
    void afterEdit(MapEditOutcome outcome);
    bool editable() const;
    void moveCursor(int dColumn, int dRow, bool extend);
    void pollStoreTimer();
    void applyMenuTexts();
    std::string menuText(int id) const;

    CMapGridModel& m_model;
    IUserPrompt& m_prompt;
    const CDeviceSettings* m_comparison = nullptr;
    QMenu* m_menu;
    int m_menuResource = kDefaultMenuResource;
    CMapMenuTexts m_menuTexts;
    DialogRunner m_runDialog;
    QTimer m_storePoll;
    // The keyboard's rectangle: where Shift+arrows started and where they are now.
    MapCell m_anchor;
    MapCell m_cursor;
};

} // namespace tarvola::gui
