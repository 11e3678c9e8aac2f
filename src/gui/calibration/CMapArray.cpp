#include "calibration/CMapArray.h"

#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <stdexcept>

#include "calibration/MapCompare.h"
#include "calibration/MapValueDlgs.h"
#include "lang/Language.h"
#include "lang/QtTextTargets.h"

namespace tarvola::gui {

namespace {

// The map's layout in units: row headers 50 wide, columns 41, every row 22 high.
constexpr int kHeaderHeight = 22, kColumnWidth = 41, kRowHeaderWidth = 50;

// The language whose texts each popup menu resource carries.
int languageOfMenu(int resource)
{
    switch (resource) {
    case 133: return Lang::Polish;
    case 136: return Lang::Italian;
    case 137: return Lang::Croatian;
    case 138: return Lang::Portuguese;
    case 139: return Lang::Spanish;
    case 140: return Lang::Russian;
    case 141: return Lang::Turkish;
    case 142: return Lang::German;
    case 143: return Lang::Slovenian;
    default: return Lang::English;
    }
}

QColor colour(Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}

} // namespace

CMapArray::CMapArray(CMapGridModel& model, IUserPrompt& prompt, QWidget* parent)
    : CCellArray(parent), m_model(model), m_prompt(prompt), m_menu(new QMenu(this)),
      m_runDialog([](QDialog& dialog) { return dialog.exec(); })
{
    QStringList columns, rows;
    for (int c = 0; c < kMapColumns; ++c)
        columns << qs(mapColumnLabel(c));
    for (int r = 0; r < kMapRows; ++r)
        rows << qs(mapRowLabel(r));
    create(QString::fromLatin1(kMapCornerLabel), kHeaderHeight, kColumnWidth, columns, kRowHeaderWidth, rows);
    // A controller's map may hold −100 … +155 %.
    setWidestBodyText(QStringLiteral("-100%"));

    struct Command {
        int id;
        void (CMapArray::*handler)();
    };
    const Command commands[] = {{kMapCmdAdd, &CMapArray::onMapAdd},
                                {kMapCmdSubtract, &CMapArray::onMapSubb},
                                {kMapCmdSet, &CMapArray::onMapSet},
                                {kMapCmdClear, &CMapArray::onMapClear}};
    for (const Command& command : commands) {
        if (command.id == kMapCmdClear)
            m_menu->addSeparator();
        QAction* action = m_menu->addAction(QString());
        action->setData(command.id);
        connect(action, &QAction::triggered, this, command.handler);
    }
    setPopupMenu(m_menu);
    setPopupEnabled(true);
    applyMenuTexts();

    m_storePoll.setInterval(kStorePollMs);
    connect(&m_storePoll, &QTimer::timeout, this, &CMapArray::pollStoreTimer);
    refresh();
}

// ---- what the cells show ----

void CMapArray::showCell(int column, int row)
{
    CCell& c = cell(column, row);
    QString text;
    QColor background;
    if (m_comparison) {
        const MapDifference d = cellDifference(m_model, *m_comparison, column, row);
        text = qs(d.text);
        background = colour(d.colour);
    } else {
        text = qs(m_model.cellText(column, row));
        background = colour(m_model.cellColour(column, row));
    }
    // The selection's fill would hide the tints of a comparison, which cannot be edited anyway.
    const bool selected = !m_comparison && m_model.selection().isSelected(column, row);
    const bool marked = m_model.isMarked(column, row);
    if (c.m_text == text && c.m_bkColor == background && c.m_selected == selected && c.m_marked == marked)
        return;
    c.m_text = text;
    c.m_bkColor = background;
    c.m_selected = selected;
    c.m_marked = marked;
    invalidateCell(column, row);
}

void CMapArray::refresh()
{
    for (int c = 0; c < kMapColumns; ++c)
        for (int r = 0; r < kMapRows; ++r)
            showCell(c, r);
}

void CMapArray::markerMoved(MapCell from)
{
    showCell(from.column, from.row);
    const MapCell to = m_model.markedCell();
    showCell(to.column, to.row);
}

void CMapArray::setComparison(const CDeviceSettings* file)
{
    m_comparison = file;
    refresh();
}

bool CMapArray::editable() const
{
    return m_comparison == nullptr;
}

// ---- the popup menu ----

void CMapArray::setMenuResource(int resource)
{
    m_menuResource = resource;
    applyMenuTexts();
}

std::string CMapArray::menuText(int id) const
{
    // The languages served by language files have no menu of their own: their users get the English
    // menu's entries through the ordinary lookup, which reads their file.
    if (isFileLanguage(currentLanguage()))
        return m_menuTexts.text(id);
    const auto& texts = m_menuTexts.table().at(id);
    const std::string& own = texts[static_cast<std::size_t>(languageOfMenu(m_menuResource))];
    return own.empty() ? texts[Lang::Polish] : own;
}

void CMapArray::applyMenuTexts()
{
    try {
        m_menu->setTitle(qs(menuText(0)));
        for (QAction* action : m_menu->actions())
            if (!action->isSeparator())
                action->setText(qs(menuText(action->data().toInt())));
    } catch (const IError&) {
        // A missing text leaves the menu as it was.
    } catch (const std::out_of_range&) {
    }
}

QAction* CMapArray::commandAction(int command) const
{
    for (QAction* action : m_menu->actions())
        if (!action->isSeparator() && action->data().toInt() == command)
            return action;
    return nullptr;
}

bool CMapArray::popupAllowed()
{
    return CCellArray::popupAllowed() && editable();
}

// ---- edits ----

void CMapArray::afterEdit(MapEditOutcome outcome)
{
    refresh();
    watchStoreTimer();
    emit edited(outcome);
}

void CMapArray::onMapAdd()
{
    if (!editable() || !m_model.hasSelection())
        return;
    CMapAddDlg dialog(m_prompt, this);
    if (m_runDialog(dialog) == QDialog::Accepted)
        afterEdit(m_model.onMapAdd(dialog.value()));
}

void CMapArray::onMapSubb()
{
    if (!editable() || !m_model.hasSelection())
        return;
    CMapSubbDlg dialog(m_prompt, this);
    if (m_runDialog(dialog) == QDialog::Accepted)
        afterEdit(m_model.onMapSubb(dialog.value()));
}

void CMapArray::onMapSet()
{
    if (!editable() || !m_model.hasSelection())
        return;
    CMapSetDlg dialog(this);
    if (m_runDialog(dialog) == QDialog::Accepted)
        afterEdit(m_model.onMapSet(dialog.value()));
}

void CMapArray::onMapClear()
{
    if (!editable() || !m_model.hasSelection())
        return;
    afterEdit(m_model.onMapClear());
}

void CMapArray::incrementSelected(int step)
{
    if (!editable() || !m_model.hasSelection())
        return;
    afterEdit(m_model.incrementSelected(step));
}

// ---- the store timer ----

void CMapArray::watchStoreTimer()
{
    if (m_model.storeTimer().running() && !m_storePoll.isActive())
        m_storePoll.start();
}

void CMapArray::pollStoreTimer()
{
    const auto left = m_model.storeTimer().remaining();
    if (!left) {
        m_storePoll.stop();
        return;
    }
    if (left->count() > 0)
        return;
    m_storePoll.stop();
    const MapStoreOutcome outcome = m_model.onStoreTimer();
    refresh();
    emit stored(outcome);
}

// ---- mouse and keyboard ----

void CMapArray::cellPressed(int column, int row)
{
    if (!editable())
        return;
    m_model.selection().press(column, row);
    if (column >= 0)
        m_anchor = m_cursor = MapCell{column, row};
    refresh(); // redraws only the cells whose selection changed
}

void CMapArray::cellsDragged(int pressColumn, int pressRow, int column, int row)
{
    if (!editable())
        return;
    m_model.selection().dragTo(pressColumn, pressRow, column, row);
    if (column >= pressColumn && row >= pressRow) {
        m_anchor = MapCell{pressColumn, pressRow};
        m_cursor = MapCell{column, row};
    }
    refresh(); // redraws only the cells whose selection changed
}

void CMapArray::moveCursor(int dColumn, int dRow, bool extend)
{
    MapSelection& selection = m_model.selection();
    if (selection.any()) {
        m_cursor.column = std::clamp(m_cursor.column + dColumn, 0, kMapColumns - 1);
        m_cursor.row = std::clamp(m_cursor.row + dRow, 0, kMapRows - 1);
    }
    if (!extend)
        m_anchor = m_cursor;
    // The rectangle between the anchor and the cursor, whichever way it was stretched.
    selection.dragTo(std::min(m_anchor.column, m_cursor.column), std::min(m_anchor.row, m_cursor.row),
                     std::max(m_anchor.column, m_cursor.column), std::max(m_anchor.row, m_cursor.row));
    refresh(); // redraws only the cells whose selection changed
}

void CMapArray::keyPressEvent(QKeyEvent* event)
{
    if (!editable()) {
        CCellArray::keyPressEvent(event);
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left: moveCursor(-1, 0, shift); break;
    case Qt::Key_Right: moveCursor(1, 0, shift); break;
    case Qt::Key_Up: moveCursor(0, -1, shift); break;
    case Qt::Key_Down: moveCursor(0, 1, shift); break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: break; // acts on release
    case Qt::Key_Plus: onMapAdd(); break;
    case Qt::Key_Minus: onMapSubb(); break;
    case Qt::Key_Equal:
    case Qt::Key_Return:
    case Qt::Key_Enter: onMapSet(); break;
    case Qt::Key_Delete: onMapClear(); break;
    default: CCellArray::keyPressEvent(event); return;
    }
    event->accept();
}

void CMapArray::keyReleaseEvent(QKeyEvent* event)
{
    // One step per press: a held key repeats its presses, not its release.
    if (!event->isAutoRepeat() && (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)) {
        incrementSelected(event->key() == Qt::Key_PageUp ? 1 : -1);
        event->accept();
        return;
    }
    CCellArray::keyReleaseEvent(event);
}

} // namespace tarvola::gui
