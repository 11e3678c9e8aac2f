#include "monitor/CRecordingChart.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "lang/QtTextTargets.h"
#include "monitor/CScrollChart.h"
#include "monitor/RecordingFields.h"

namespace tarvola::gui {

namespace {
constexpr int kValueLines = 10;     // divisions of the 0..100 height
constexpr int kMargin = 6;
constexpr int kBandMinPixels = 4;   // a shorter drag is a click that sets the cursor
constexpr double kWheelStep = 0.8;  // one notch of the wheel
const QColor kCursorColour{0, 0, 0};
const QColor kBandColour{40, 100, 220};
} // namespace

QColor CRecordingChart::channelColour(int channel)
{
    const osc::Rgb c = osc::channels()[static_cast<std::size_t>(std::clamp(channel, 0, osc::kChannels - 1))].colour;
    return {c.r, c.g, c.b};
}

CRecordingChart::CRecordingChart(RecordingView& view, const RecordingCurves& curves, QWidget* parent)
    : QWidget(parent), m_view(view), m_curves(curves)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

void CRecordingChart::setGridLabels(const QStringList& labels)
{
    if (labels == m_labels)
        return;
    m_labels = labels;
    layoutChart();
    update();
}

void CRecordingChart::refresh()
{
    update();
}

double CRecordingChart::timeAt(double x) const
{
    return m_view.left() + (x - m_plot.left()) / std::max(1.0, m_plot.width()) * m_view.width();
}

double CRecordingChart::xOf(double seconds) const
{
    return m_plot.left() + (seconds - m_view.left()) / m_view.width() * m_plot.width();
}

void CRecordingChart::layoutChart()
{
    const QFontMetrics fm(font());
    int labelWidth = fm.horizontalAdvance(QStringLiteral("0000"));
    for (const QString& l : m_labels)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(l));
    const double top = kMargin + fm.height() / 2.0;
    // Below the plot: the time labels and the axis' caption.
    const double bottom = height() - kMargin - fm.height() * 2.2;
    m_plot = QRectF(QPointF(kMargin * 2 + labelWidth, top),
                    QPointF(width() - kMargin * 2 - fm.horizontalAdvance(QStringLiteral("00")), std::max(top + 1, bottom)));
    m_cacheValid = false;
}

void CRecordingChart::rebuildCache()
{
    // The grid, both axes' labels and the background: rebuilt when the window moves, not for the
    // cursor or the band.
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    // Panning rebuilds the picture on every step: the pixmap is kept while the size stays.
    if (m_cache.size() != pixels || m_cache.devicePixelRatio() != dpr) {
        m_cache = QPixmap(pixels);
        m_cache.setDevicePixelRatio(dpr);
    }
    m_cache.fill(palette().color(QPalette::Window));
    QPainter p(&m_cache);
    p.fillRect(m_plot, CScrollChart::kBackground);
    const QFontMetrics fm(font());
    p.setFont(font());
    p.setPen(QPen(CScrollChart::kGrid, 1, Qt::DotLine));
    for (int i = 0; i <= kValueLines; ++i) {
        const double y = m_plot.bottom() - m_plot.height() * i / kValueLines;
        p.drawLine(QPointF(m_plot.left(), y), QPointF(m_plot.right(), y));
    }
    const int maxTicks = std::max(2, static_cast<int>(m_plot.width() / (fm.horizontalAdvance(QStringLiteral("00000.0")) * 1.6)));
    const TimeTicks ticks = timeTicks(m_view.left(), m_view.right(), maxTicks);
    for (double t : ticks.at) {
        const double x = xOf(t);
        p.setPen(QPen(CScrollChart::kGrid, 1, Qt::DotLine));
        p.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
        p.setPen(palette().color(QPalette::WindowText));
        const QString label = qs(tickLabel(t, ticks.decimals));
        const double w = fm.horizontalAdvance(label);
        p.drawText(QRectF(x - w / 2 - 2, m_plot.bottom() + 2, w + 4, fm.height()), Qt::AlignCenter, label);
    }
    p.setPen(QPen(CScrollChart::kGrid, 1));
    p.drawRect(m_plot);
    p.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < m_labels.size() && i <= kValueLines; ++i) {
        const double y = m_plot.bottom() - m_plot.height() * i / kValueLines;
        const QRectF box(kMargin, y - fm.height() / 2.0, m_plot.left() - kMargin * 2, fm.height());
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, m_labels[i]);
    }
    p.drawText(QRectF(m_plot.left(), m_plot.bottom() + fm.height() + 2, m_plot.width(), fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, qs(recordingTimeHeader()));
    m_cacheValid = true;
    m_cacheLeft = m_view.left();
    m_cacheWidth = m_view.width();
}

void CRecordingChart::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_cacheValid || m_cacheLeft != m_view.left() || m_cacheWidth != m_view.width())
        rebuildCache();
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache);
    for (int c = 0; c < osc::kChannels; ++c)
        CScrollChart::drawCurve(p, m_plot, m_curves[static_cast<std::size_t>(c)], channelColour(c), m_view.left(),
                                m_view.right());
    if (const auto record = m_view.cursorRecord()) {
        const double x = xOf(recordTimeSeconds(*record));
        if (x >= m_plot.left() - 0.5 && x <= m_plot.right() + 0.5) {
            p.setPen(QPen(kCursorColour, 1, Qt::DashLine));
            p.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
            // Where the cursor meets each shown curve: one point per record, so the record's index
            // is its point's.
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(kCursorColour, 1));
            for (int c = 0; c < osc::kChannels; ++c) {
                const ChartSeries& curve = m_curves[static_cast<std::size_t>(c)];
                if (!curve.visible || *record >= curve.points.size())
                    continue;
                const double y = m_plot.bottom() - curve.points[*record].y / ScrollSeries::kYMax * m_plot.height();
                p.setBrush(channelColour(c));
                p.drawEllipse(QPointF(x, y), 3.5, 3.5);
            }
        }
    }
    if (m_drag == Drag::Band) {
        const double a = std::clamp(m_pressAt.x(), m_plot.left(), m_plot.right());
        const double b = std::clamp(m_bandTo, m_plot.left(), m_plot.right());
        const QRectF band(QPointF(std::min(a, b), m_plot.top()), QPointF(std::max(a, b), m_plot.bottom()));
        QColor fill = kBandColour;
        fill.setAlpha(50);
        p.fillRect(band, fill);
        p.setPen(QPen(kBandColour, 1));
        p.drawRect(band);
    }
}

void CRecordingChart::resizeEvent(QResizeEvent* /*event*/)
{
    layoutChart();
}

void CRecordingChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::LanguageChange) {
        layoutChart();
        update();
    }
    QWidget::changeEvent(event);
}

void CRecordingChart::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    m_view.zoom(std::pow(kWheelStep, notches), timeAt(event->position().x()));
    emit viewChanged();
    event->accept();
}

void CRecordingChart::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = event->position();
    if (event->button() == Qt::LeftButton) {
        m_drag = Drag::Band;
        m_bandTo = m_pressAt.x();
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        m_drag = Drag::Pan;
        m_panLeft = m_view.left();
        setCursor(Qt::ClosedHandCursor);
    }
}

void CRecordingChart::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag == Drag::Band) {
        m_bandTo = event->position().x();
        update();
    } else if (m_drag == Drag::Pan) {
        const double seconds = (event->position().x() - m_pressAt.x()) / std::max(1.0, m_plot.width()) * m_view.width();
        m_view.panTo(m_panLeft - seconds);
        emit viewChanged();
    }
}

void CRecordingChart::mouseReleaseEvent(QMouseEvent* event)
{
    const Drag drag = std::exchange(m_drag, Drag::None);
    setCursor(Qt::CrossCursor);
    if (drag != Drag::Band)
        return;
    const double to = event->position().x();
    if (std::fabs(to - m_pressAt.x()) >= kBandMinPixels) {
        m_view.zoomTo(timeAt(m_pressAt.x()), timeAt(to));
        emit viewChanged();
    } else {
        m_view.setCursor(timeAt(to));
        emit cursorChanged();
    }
    update();
}

void CRecordingChart::keyPressEvent(QKeyEvent* event)
{
    const double middle = (m_view.left() + m_view.right()) / 2;
    switch (event->key()) {
    case Qt::Key_Left: m_view.pan(-m_view.width() / 10); break;
    case Qt::Key_Right: m_view.pan(m_view.width() / 10); break;
    case Qt::Key_PageUp: m_view.pan(-m_view.width() / 2); break;
    case Qt::Key_PageDown: m_view.pan(m_view.width() / 2); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: m_view.zoom(kWheelStep, middle); break;
    case Qt::Key_Minus: m_view.zoom(1 / kWheelStep, middle); break;
    case Qt::Key_Home: m_view.panTo(0); break;
    case Qt::Key_End: m_view.panTo(m_view.duration()); break;
    case Qt::Key_Asterisk: m_view.fit(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    emit viewChanged();
}

} // namespace tarvola::gui
