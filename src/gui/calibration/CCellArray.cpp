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
// Room a text needs beside it and above and below it inside a cell, in pixels.
constexpr int kTextMargin = 6, kTextMarginY = 2;
// The marker dot, in layout units: its inset from the cell's top-left corner, its diameter, and the
// strip on the left of a marked cell that its text keeps clear of.
constexpr double kMarkerInset = 2, kMarkerDiameter = 10, kMarkerRoom = 13;
} // namespace

CCellArray::CCellArray(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
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
    const int left = static_cast<int>(std::lround(layout.x() * m_scaleX));
    const int top = static_cast<int>(std::lround(layout.y() * m_scaleY));
    const int right = static_cast<int>(std::lround((layout.x() + layout.width()) * m_scaleX));
    const int bottom = static_cast<int>(std::lround((layout.y() + layout.height()) * m_scaleY));
    return QRect(left, top, right - left, bottom - top);
}

void CCellArray::setWidestBodyText(const QString& text)
{
    m_widestBodyText = text;
    updateGeometry();
    relayout();
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

QSizeF CCellArray::minimumScale() const
{
    if (m_cells.empty())
        return {1.0, 1.0};
    const QFontMetrics fm(font());
    auto fits = [&](const QString& text, int width) {
        return (fm.horizontalAdvance(text) + kTextMargin) / static_cast<double>(std::max(1, width));
    };
    double x = fits(m_widestBodyText, m_columnHeaders.front().m_rect.width());
    x = std::max(x, fits(m_corner.m_text, m_corner.m_rect.width()));
    for (const CCell& c : m_rowHeaders)
        x = std::max(x, fits(c.m_text, c.m_rect.width()));
    const double y = (fm.height() + kTextMarginY) / static_cast<double>(std::max(1, m_corner.m_rect.height()));
    return {x, y};
}

QSize CCellArray::sizeHint() const
{
    const QSizeF s = minimumScale();
    return QSize(static_cast<int>(std::ceil(m_layoutSize.width() * s.width())),
                 static_cast<int>(std::ceil(m_layoutSize.height() * s.height())));
}

QSize CCellArray::minimumSizeHint() const
{
    return sizeHint();
}

void CCellArray::relayout()
{
    const QSizeF least = minimumScale();
    double x = least.width(), y = least.height();
    if (m_layoutSize.width() > 0 && m_layoutSize.height() > 0) {
        x = width() / static_cast<double>(m_layoutSize.width());
        y = height() / static_cast<double>(m_layoutSize.height());
    }
    m_scaleX = std::clamp(x, least.width(), std::max(least.width(), kMaxScale));
    m_scaleY = std::clamp(y, least.height(), std::max(least.height(), kMaxScale));
    // The font grows with the cells from the size at which the widget's own font just fits, as far
    // as both directions allow.
    const double grow = std::min(m_scaleX / least.width(), m_scaleY / least.height());
    m_cellFont = font();
    const int basePixels = QFontInfo(font()).pixelSize();
    m_cellFont.setPixelSize(std::max(1, static_cast<int>(std::lround(basePixels * grow))));
    ++m_fontGeneration;
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

const QStaticText& CCellArray::prepared(const CCell& cell) const
{
    CCell::Prepared& prepared = cell.m_prepared;
    if (prepared.text != cell.m_text || prepared.fontGeneration != m_fontGeneration) {
        prepared.text = cell.m_text;
        prepared.fontGeneration = m_fontGeneration;
        prepared.layout = QStaticText(cell.m_text);
        prepared.layout.setTextFormat(Qt::PlainText);
        prepared.layout.prepare(QTransform(), m_cellFont);
    }
    return prepared.layout;
}

void CCellArray::paintEvent(QPaintEvent* event)
{
    // Every cell the same way: the frame, the inside in the background or the selected colour, the
    // centred text and the marker dot. Done in passes over the dirty cells so the painter changes
    // state rarely: a full repaint draws over three hundred cells.
    std::vector<const CCell*> dirty;
    dirty.reserve(m_columnHeaders.size() + m_rowHeaders.size() + m_columnHeaders.size() * m_rowHeaders.size() + 1);
    const QRect area = event->rect();
    auto collect = [&](const CCell& c) {
        if (toScreen(c.m_rect).adjusted(0, 0, 1, 1).intersects(area))
            dirty.push_back(&c);
    };
    collect(m_corner);
    for (const CCell& c : m_columnHeaders)
        collect(c);
    for (const CCell& c : m_rowHeaders)
        collect(c);
    for (const auto& column : m_cells)
        for (const CCell& c : column)
            collect(c);

    QPainter p(this);
    p.setFont(m_cellFont);
    // The frame lies on the cell's edges and on the first pixel past it, shared with the neighbours;
    // filling the framed area with the frame colour and then the inside is far cheaper than stroking
    // three hundred rectangles.
    for (const CCell* c : dirty) {
        const QRect r = toScreen(c->m_rect);
        p.fillRect(r.adjusted(0, 0, 1, 1), c->m_frameColor);
        p.fillRect(r.adjusted(1, 1, 0, 0), c->m_selected ? c->m_selColor : c->m_bkColor);
    }
    QColor pen;
    auto usePen = [&](const QColor& colour) {
        if (colour != pen) {
            pen = colour;
            p.setPen(colour);
        }
    };
    for (const CCell* c : dirty) {
        if (c->m_text.isEmpty())
            continue;
        const QStaticText& text = prepared(*c);
        // A marked cell centres its text beside the marker, so the marker never hides a minus sign.
        QRect room = toScreen(c->m_rect).adjusted(1, 1, 0, 0);
        if (c->m_marked)
            room.setLeft(room.left() + static_cast<int>(std::lround(kMarkerRoom * m_scaleX)));
        const QSizeF size = text.size();
        usePen(c->m_textColor);
        p.drawStaticText(QPointF(room.left() + (room.width() - size.width()) / 2.0,
                                 room.top() + (room.height() - size.height()) / 2.0),
                         text);
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    // A light ring keeps the dark-red dot visible on the red of a high correction.
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(kMarkerColour);
    const double dot = std::min(m_scaleX, m_scaleY); // round at any aspect
    for (const CCell* c : dirty) {
        if (!c->m_marked)
            continue;
        const QRect r = toScreen(c->m_rect);
        p.drawEllipse(QRectF(r.left() + kMarkerInset * dot, r.top() + kMarkerInset * dot, kMarkerDiameter * dot,
                             kMarkerDiameter * dot));
    }
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
