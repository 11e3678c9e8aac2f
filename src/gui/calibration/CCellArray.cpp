#include "calibration/CCellArray.h"

#include <QEvent>
#include <QFontInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tarvola::gui {

namespace {
// Room a text needs around it inside a cell, in layout units.
constexpr int kTextMargin = 6;
// The widest text a map cell may carry (a controller's map may hold −100 … +155).
const QString kWidestBodyText = QStringLiteral("\u2212100%");
} // namespace

CCellArray::CCellArray(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    // Cells paint every pixel they own; the background shows only around the table.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CCellArray::create(const QString& corner, int headerHeight, int columnWidth, const QStringList& columnLabels,
                        int rowHeaderWidth, const QStringList& rowLabels, const CellArrayColours& colours)
{
    auto header = [&](const QRect& rect, const QString& text) {
        CCell c;
        c.m_rect = rect;
        c.m_bkColor = colours.headerBk;
        c.m_textColor = colours.text;
        c.m_frameColor = colours.frame;
        c.m_selColor = colours.selected;
        c.m_text = text;
        return c;
    };
    m_corner = header(QRect(0, 0, rowHeaderWidth, headerHeight), corner);
    m_columnHeaders.clear();
    for (int c = 0; c < columnLabels.size(); ++c)
        m_columnHeaders.push_back(
            header(QRect(rowHeaderWidth + columnWidth * c, 0, columnWidth, headerHeight), columnLabels[c]));
    m_rowHeaders.clear();
    for (int r = 0; r < rowLabels.size(); ++r)
        m_rowHeaders.push_back(
            header(QRect(0, headerHeight + headerHeight * r, rowHeaderWidth, headerHeight), rowLabels[r]));
    m_cells.assign(m_columnHeaders.size(), {});
    for (int c = 0; c < columnCount(); ++c) {
        auto& column = m_cells[static_cast<std::size_t>(c)];
        for (int r = 0; r < rowCount(); ++r) {
            CCell cell = header(QRect(rowHeaderWidth + columnWidth * c, headerHeight + headerHeight * r,
                                      columnWidth, headerHeight),
                                QString());
            cell.m_bkColor = colours.bodyBk;
            column.push_back(cell);
        }
    }
    // One more unit for the frame of the last column and row.
    m_layoutSize = QSize(rowHeaderWidth + columnWidth * columnCount() + 1, headerHeight * (rowCount() + 1) + 1);
    updateGeometry();
    relayout();
}

CCell& CCellArray::cell(int column, int row)
{
    return m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

const CCell& CCellArray::cell(int column, int row) const
{
    return m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

QRect CCellArray::toScreen(const QRect& layout) const
{
    // The frame is drawn on the left and right edges (inclusive), which the neighbour shares.
    const int left = static_cast<int>(std::lround(layout.x() * m_scale));
    const int top = static_cast<int>(std::lround(layout.y() * m_scale));
    const int right = static_cast<int>(std::lround((layout.x() + layout.width()) * m_scale));
    const int bottom = static_cast<int>(std::lround((layout.y() + layout.height()) * m_scale));
    return QRect(left, top, right - left, bottom - top);
}

QRect CCellArray::screenRect(int column, int row) const
{
    return toScreen(cell(column, row).m_rect);
}

void CCellArray::invalidateCell(int column, int row)
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= rowCount())
        return;
    update(screenRect(column, row).adjusted(0, 0, 1, 1));
}

double CCellArray::minimumScale() const
{
    if (m_cells.empty())
        return 1.0;
    const QFontMetrics fm(font());
    auto fits = [&](const QString& text, int width) {
        return (fm.horizontalAdvance(text) + kTextMargin) / static_cast<double>(std::max(1, width));
    };
    double s = std::max(1.0, (fm.height() + 4.0) / std::max(1, m_corner.m_rect.height()));
    s = std::max(s, fits(kWidestBodyText, m_columnHeaders.front().m_rect.width()));
    s = std::max(s, fits(m_corner.m_text, m_corner.m_rect.width()));
    for (const CCell& c : m_rowHeaders)
        s = std::max(s, fits(c.m_text, c.m_rect.width()));
    return s;
}

QSize CCellArray::sizeHint() const
{
    const double s = minimumScale();
    return QSize(static_cast<int>(std::ceil(m_layoutSize.width() * s)),
                 static_cast<int>(std::ceil(m_layoutSize.height() * s)));
}

QSize CCellArray::minimumSizeHint() const
{
    return sizeHint();
}

void CCellArray::relayout()
{
    const double least = minimumScale();
    double s = least;
    if (m_layoutSize.width() > 0 && m_layoutSize.height() > 0)
        s = std::min(width() / static_cast<double>(m_layoutSize.width()),
                     height() / static_cast<double>(m_layoutSize.height()));
    m_scale = std::clamp(s, least, std::max(least, kMaxScale));
    // The font grows with the cells from the size at which the widget's own font just fits.
    m_cellFont = font();
    const int basePixels = QFontInfo(font()).pixelSize();
    m_cellFont.setPixelSize(std::max(1, static_cast<int>(std::lround(basePixels * m_scale / least))));
    update();
}

void CCellArray::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void CCellArray::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        relayout();
    }
}

void CCellArray::paintCell(QPainter& p, const CCell& cell) const
{
    const QRect r = toScreen(cell.m_rect);
    // The frame one pixel beyond the cell on the right and bottom, shared with the neighbours.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, cell.m_bkColor);
    p.setPen(QPen(cell.m_frameColor, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    const QRect inner = r.adjusted(1, 1, 0, 0);
    if (cell.m_selected)
        p.fillRect(inner, cell.m_selColor);
    if (!cell.m_text.isEmpty()) {
        p.setPen(cell.m_textColor);
        p.drawText(inner, Qt::AlignCenter, cell.m_text);
    }
    if (cell.m_marked) {
        // A dot in the top-left corner: a circle of three units drawn with a seven-unit pen.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kMarkerColour, 7 * m_scale));
        p.drawEllipse(QRectF(r.left() + 3 * m_scale, r.top() + 3 * m_scale, 7 * m_scale, 7 * m_scale));
    }
}

void CCellArray::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setFont(m_cellFont);
    const QRect dirty = event->rect();
    auto paintIfDirty = [&](const CCell& c) {
        if (toScreen(c.m_rect).adjusted(0, 0, 1, 1).intersects(dirty))
            paintCell(p, c);
    };
    paintIfDirty(m_corner);
    for (const CCell& c : m_columnHeaders)
        paintIfDirty(c);
    for (const CCell& c : m_rowHeaders)
        paintIfDirty(c);
    for (const auto& column : m_cells)
        for (const CCell& c : column)
            paintIfDirty(c);
}

bool CCellArray::onHeader(const QPoint& point) const
{
    auto near = [&](const CCell& c) { return toScreen(c.m_rect).adjusted(-1, -1, 2, 2).contains(point); };
    return std::any_of(m_columnHeaders.begin(), m_columnHeaders.end(), near) ||
           std::any_of(m_rowHeaders.begin(), m_rowHeaders.end(), near);
}

void CCellArray::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (m_popup && popupAllowed())
            m_popup->exec(mapToGlobal(point));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = point;
    m_pressOnBody = !onHeader(point);
    if (!m_pressOnBody)
        return;
    // The cell that strictly contains the point, if any.
    for (int c = 0; c < columnCount(); ++c)
        for (int r = 0; r < rowCount(); ++r) {
            const QRect s = screenRect(c, r);
            if (point.x() > s.left() && point.x() < s.left() + s.width() && point.y() > s.top() &&
                point.y() < s.top() + s.height()) {
                cellPressed(c, r);
                return;
            }
        }
    cellPressed(-1, -1);
}

void CCellArray::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint q = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || !m_pressOnBody || onHeader(q) || m_cells.empty())
        return;
    // The body cells overlapping the rectangle from the press point to q, which grows only to the
    // right and downwards: right edge ≥ press x, left edge ≤ q.x, and the same for rows.
    int firstColumn = columnCount(), lastColumn = -1, firstRow = rowCount(), lastRow = -1;
    for (int c = 0; c < columnCount(); ++c) {
        const QRect s = screenRect(c, 0);
        if (s.left() + s.width() >= m_pressPoint.x() && s.left() <= q.x()) {
            firstColumn = std::min(firstColumn, c);
            lastColumn = c;
        }
    }
    for (int r = 0; r < rowCount(); ++r) {
        const QRect s = screenRect(0, r);
        if (s.top() + s.height() >= m_pressPoint.y() && s.top() <= q.y()) {
            firstRow = std::min(firstRow, r);
            lastRow = r;
        }
    }
    if (lastColumn < 0 || lastRow < 0)
        cellsDragged(0, 0, -1, -1);
    else
        cellsDragged(firstColumn, firstRow, lastColumn, lastRow);
}

} // namespace tarvola::gui
