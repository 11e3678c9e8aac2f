#pragma once
// A table of text cells drawn by hand: a corner, a row of column headers, a column of row headers and
// the body cells, each a framed rectangle with its own colours, a selected state and a marker dot. It
// hit-tests the mouse and hands presses and drags on body cells to its subclass, which owns the
// selection rule; it only paints what its cells say.
//
// Size: the cells are laid out in layout units (for the map: 50-unit row headers, 41-unit columns,
// 22-unit rows; one unit is one pixel at 100 %) and painted scaled to fill the widget, across and
// down each on its own. Neither scale goes below what the widget's font needs (the widest label and
// the widest body text across, the font's height down), which is also the widget's minimum size,
// nor above kMaxScale. Frames stay one device pixel wide and the font grows with the cells as far as
// both scales allow, so the table is crisp and legible at any window size.
//
// Repainting is per cell: a changed cell invalidates only its own rectangle, so a marker that moves at
// the polling rate redraws two cells and nothing else.

#include <QColor>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QMenu;

namespace tarvola::gui {

struct CCell {
    bool m_selected = false;
    bool m_marked = false;
    QRect m_rect; // layout units, widget-relative at scale 1
    QColor m_bkColor;
    QColor m_textColor;
    QColor m_frameColor;
    QColor m_selColor;
    QString m_text;

    // The text laid out for the font it was last drawn with; the table fills it when it paints.
    struct Prepared {
        QString text;
        int fontGeneration = -1;
        QStaticText layout;
    };
    mutable Prepared m_prepared;
};

struct CellArrayColours {
    QColor headerBk{190, 180, 180};
    QColor bodyBk{200, 190, 190};
    QColor text{Qt::black};
    QColor frame{170, 170, 170};
    QColor selected{0, 120, 200};
};

class CCellArray : public QWidget {
    Q_OBJECT
public:
    static constexpr double kMaxScale = 3.0;
    static inline const QColor kMarkerColour{180, 0, 0};

    explicit CCellArray(QWidget* parent = nullptr);

    // Creates every cell (replacing any earlier ones) and lays them out: the corner at (0, 0) of
    // rowHeaderWidth × headerHeight, column header c at x = rowHeaderWidth + columnWidth·c, row header
    // r at y = headerHeight + headerHeight·r, body cells where their row and column meet.
    void create(const QString& corner, int headerHeight, int columnWidth, const QStringList& columnLabels,
                int rowHeaderWidth, const QStringList& rowLabels, const CellArrayColours& colours = {});

    int columnCount() const { return static_cast<int>(m_columnHeaders.size()); }
    int rowCount() const { return static_cast<int>(m_rowHeaders.size()); }
    // Body cell [column][row]; the indices must be in range.
    CCell& cell(int column, int row);
    const CCell& cell(int column, int row) const;
    CCell& columnHeader(int column) { return m_columnHeaders[static_cast<std::size_t>(column)]; }
    CCell& rowHeader(int row) { return m_rowHeaders[static_cast<std::size_t>(row)]; }
    CCell& corner() { return m_corner; }

    // The widest text a body cell must be able to show; the widget's minimum width allows for it.
    void setWidestBodyText(const QString& text);

    // Where a body cell is drawn, in widget pixels (its frame included).
    QRect screenRect(int column, int row) const;
    // Widget pixel centre of a body cell, for tests driving the mouse.
    QPoint cellCentre(int column, int row) const { return screenRect(column, row).center(); }

    // Redraws one body cell (only its rectangle).
    void invalidateCell(int column, int row);

    // Right-button popup: shown at the pressed point while enabled; null disables it.
    void setPopupMenu(QMenu* menu) { m_popup = menu; }
    void setPopupEnabled(bool on) { m_popupEnabled = on; }
    bool popupEnabled() const { return m_popupEnabled; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // A left-button press on body cell (column, row); (-1, -1) for a press on the corner or between
    // cells (nothing selected stays selected). Presses on headers do not come here.
    virtual void cellPressed(int /*column*/, int /*row*/) {}
    // A drag with the left button held: the body cells from (pressColumn, pressRow) to (column, row)
    // overlap the rectangle spanned from the press point to the pointer. When column < pressColumn or
    // row < pressRow nothing overlaps it.
    virtual void cellsDragged(int /*pressColumn*/, int /*pressRow*/, int /*column*/, int /*row*/) {}
    // The popup is about to open; false keeps it closed.
    virtual bool popupAllowed() { return m_popupEnabled; }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect toScreen(const QRect& layout) const;
    const QStaticText& prepared(const CCell& cell) const;
    bool onHeader(const QPoint& point) const;
    // The smallest scale, across and down, at which the widget's font fits the cells.
    QSizeF minimumScale() const;
    void relayout();

    CCell m_corner;
    std::vector<CCell> m_columnHeaders;
    std::vector<CCell> m_rowHeaders;
    std::vector<std::vector<CCell>> m_cells; // [column][row]
    QSize m_layoutSize;                      // the whole table in layout units
    QString m_widestBodyText;
    QPoint m_pressPoint;
    bool m_pressOnBody = false;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    QFont m_cellFont;
    int m_fontGeneration = 0; // counts font changes, so laid-out texts know when they are stale
    QMenu* m_popup = nullptr;
    bool m_popupEnabled = false;
};

} // namespace tarvola::gui
