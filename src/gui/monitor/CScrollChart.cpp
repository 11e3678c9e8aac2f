#include "monitor/CScrollChart.h"

#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/ChartReduction.h"
#include "monitor/Oscilloscope.h"

namespace tarvola::gui {

void CScrollChart::fillScaleList(QComboBox& list)
{
    const int previous = list.currentIndex();
    const QSignalBlocker block(&list);
    list.clear();
    for (osc::GridScale s : osc::kScaleOrder)
        list.addItem(qs(translate(osc::scaleName(s))));
    list.setCurrentIndex(previous >= 0 ? previous : 0);
}

QStringList CScrollChart::gridLabels(const QComboBox& list)
{
    const int index = std::max(0, list.currentIndex());
    const osc::GridScale scale = osc::kScaleOrder[static_cast<std::size_t>(index) % osc::kScaleOrder.size()];
    QStringList labels;
    for (int i = 0; i < osc::kGridLabels; ++i)
        labels << qs(osc::gridLabel(scale, i));
    return labels;
}

namespace {
constexpr int kGridLines = 10;  // divisions of the 0..100 height, and of the window's width
constexpr int kMargin = 6;
} // namespace

CScrollChart::CScrollChart(ScrollSeries& series, QWidget* parent)
    : QWidget(parent), m_series(series), m_scroll(new QScrollBar(Qt::Horizontal, this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scroll->setRange(0, ScrollSeries::kScrollRange);
    connect(m_scroll, &QScrollBar::actionTriggered, this, &CScrollChart::onScrollAction);
    syncScrollBar();
}

void CScrollChart::setColour(int channel, const QColor& colour)
{
    m_colours[channel] = colour;
    update();
}

void CScrollChart::setGridLabels(const QStringList& labels)
{
    if (labels == m_labels)
        return;
    m_labels = labels;
    layoutChart();
    update();
}

void CScrollChart::refresh()
{
    syncScrollBar();
    update();
}

QPointF CScrollChart::pointPos(const ChartPoint& p) const
{
    const double x0 = m_series.left();
    const double w = m_series.width();
    return {m_plot.left() + (p.x - x0) / w * m_plot.width(), m_plot.bottom() - p.y / ScrollSeries::kYMax * m_plot.height()};
}

void CScrollChart::drawCurve(QPainter& painter, const QRectF& plot, const ChartSeries& series, const QColor& colour,
                             double x0, double x1)
{
    if (!series.visible || series.points.empty() || !(x1 > x0) || plot.width() < 1)
        return;
    const auto points = reduceToColumns(series.points, x0, x1, static_cast<int>(plot.width()));
    if (points.empty())
        return;
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(points.size()));
    const double sx = plot.width() / (x1 - x0);
    const double sy = plot.height() / (ScrollSeries::kYMax - ScrollSeries::kYMin);
    for (const ChartPoint& p : points)
        line << QPointF(plot.left() + (p.x - x0) * sx, plot.bottom() - (p.y - ScrollSeries::kYMin) * sy);
    painter.save();
    painter.setClipRect(plot.adjusted(-1, -kPenWidth, 1, kPenWidth));
    // Two pixels wide, drawn as thin lines beside each other: a wide pen's outline and smoothing
    // cost most of the drawing and show little on a curve that changes ten times a second.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 0));
    for (const QPointF shift : {QPointF(0, 0), QPointF(1, 0), QPointF(0, 1)}) {
        painter.translate(shift);
        if (line.size() == 1)
            painter.drawPoint(line.front());
        else
            painter.drawPolyline(line);
        painter.translate(-shift);
    }
    painter.restore();
}

void CScrollChart::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_cacheValid)
        rebuildCache();
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache);
    const double x0 = m_series.left();
    const double x1 = x0 + m_series.width();
    for (const auto& [channel, series] : m_series.allSeries()) {
        const auto colour = m_colours.find(channel);
        drawCurve(p, m_plot, series, colour == m_colours.end() ? QColor(Qt::black) : colour->second, x0, x1);
    }
}

void CScrollChart::resizeEvent(QResizeEvent* /*event*/)
{
    layoutChart();
}

void CScrollChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        layoutChart();
        update();
    }
    QWidget::changeEvent(event);
}

void CScrollChart::layoutChart()
{
    const QFontMetrics fm(font());
    int labelWidth = fm.horizontalAdvance(QStringLiteral("0000"));
    for (const QString& l : m_labels)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(l));
    const int barHeight = m_scroll->sizeHint().height();
    m_scroll->setGeometry(0, height() - barHeight, width(), barHeight);
    const double top = kMargin + fm.height() / 2.0;
    const double bottom = height() - barHeight - kMargin - fm.height() / 2.0;
    m_plot = QRectF(QPointF(kMargin * 2 + labelWidth, top), QPointF(width() - kMargin * 2, std::max(top + 1, bottom)));
    m_cacheValid = false;
}

void CScrollChart::rebuildCache()
{
    const qreal dpr = devicePixelRatioF();
    m_cache = QPixmap((QSizeF(size()) * dpr).toSize());
    m_cache.setDevicePixelRatio(dpr);
    m_cache.fill(palette().color(QPalette::Window));
    QPainter p(&m_cache);
    p.fillRect(m_plot, kBackground);
    QPen grid(kGrid, 1, Qt::DotLine);
    p.setPen(grid);
    for (int i = 0; i <= kGridLines; ++i) {
        const double y = m_plot.bottom() - m_plot.height() * i / kGridLines;
        const double x = m_plot.left() + m_plot.width() * i / kGridLines;
        p.drawLine(QPointF(m_plot.left(), y), QPointF(m_plot.right(), y));
        p.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
    }
    p.setPen(QPen(kGrid, 1));
    p.drawRect(m_plot);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    const QFontMetrics fm(font());
    for (int i = 0; i < m_labels.size() && i <= kGridLines; ++i) {
        const double y = m_plot.bottom() - m_plot.height() * i / kGridLines;
        const QRectF box(kMargin, y - fm.height() / 2.0, m_plot.left() - kMargin * 2, fm.height());
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, m_labels[i]);
    }
    m_cacheValid = true;
}

void CScrollChart::syncScrollBar()
{
    const ScrollBarState s = m_series.scrollBar();
    const QSignalBlocker block(m_scroll);
    m_scroll->setPageStep(std::max(1, s.page));
    m_scroll->setSingleStep(std::max(1, s.page / 100));
    m_scroll->setMaximum(std::max(0, ScrollSeries::kScrollRange - s.page));
    m_scroll->setValue(s.position);
}

void CScrollChart::onScrollAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: m_series.lineLeft(); break;
    case QAbstractSlider::SliderSingleStepAdd: m_series.lineRight(); break;
    case QAbstractSlider::SliderPageStepSub: m_series.pageLeft(); break;
    case QAbstractSlider::SliderPageStepAdd: m_series.pageRight(); break;
    case QAbstractSlider::SliderMove: m_series.thumbTo(m_scroll->sliderPosition()); break;
    case QAbstractSlider::SliderToMinimum: m_series.thumbTo(0); break;
    case QAbstractSlider::SliderToMaximum: m_series.thumbTo(ScrollSeries::kScrollRange); break;
    default: return;
    }
    // The bar shows where the model put the window, not where the mouse asked for.
    QMetaObject::invokeMethod(this, &CScrollChart::refresh, Qt::QueuedConnection);
    update();
}

} // namespace tarvola::gui
