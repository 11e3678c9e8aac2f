#include "calibration/CTimeCorrChart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "calibration/CMultiplierCalibration.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "platform/NumberText.h"

namespace tarvola::gui {

namespace {
const QColor kBackground{240, 240, 240};
const QColor kGrid{190, 190, 190};
const QColor kLine{20, 20, 190};
const QColor kSelected{0, 180, 0};
const QColor kPetrol{255, 0, 0};
const QColor kGas{100, 100, 255};
const QColor kLiveRing{0, 200, 0};
const QColor kFileLine{220, 120, 0};
const QColor kLabel{60, 60, 60};

constexpr double kPad = 6, kGap = 4, kTick = 4;
constexpr double kLinePointRadius = 4.5;
constexpr double kSelectedRadius = 6.5;  // a 13-pixel dot behind the chosen point
constexpr double kCloudRadius = 2;
constexpr double kRingRadius = 10, kInnerRingRadius = 3;
constexpr double kRingPen = 4;

// The middle of a pixel: a one-pixel line there covers exactly one row or column of pixels.
double snap(double v)
{
    return std::floor(v) + 0.5;
}

QString number(double v, int decimals)
{
    return qs(fixedText(v, decimals));
}

std::string legendText(const CTimeCorrChartTexts& texts, int id)
{
    try {
        return texts.text(id);
    } catch (const IError&) {
        return {};
    }
}
} // namespace

CTimeCorrChart::CTimeCorrChart(const CMultiplierCalibration& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    applyTexts();
    mapsChanged();
}

// ---- what the page tells ----

void CTimeCorrChart::mapsChanged()
{
    m_petrolCloud = m_model.maps().petrolCloud();
    m_gasCloud = m_model.maps().gasCloud();
    invalidate();
}

void CTimeCorrChart::lineChanged()
{
    invalidate();
}

void CTimeCorrChart::liveChanged()
{
    const std::optional<QPointF> now = livePos();
    if (now == m_shownLive)
        return;
    update(liveRegion(m_shownLive) + liveRegion(now));
}

void CTimeCorrChart::setLiveShown(bool shown)
{
    if (shown == m_liveShown)
        return;
    m_liveShown = shown;
    liveChanged();
}

void CTimeCorrChart::setComparisonLine(const std::optional<MultiplierLine>& line)
{
    m_comparison = line;
    invalidate();
}

void CTimeCorrChart::applyTexts()
{
    m_texts.time = qs(translate("Czas [ms]"));
    m_texts.multiplier = qs(translate("Mnożnik"));
    m_texts.pressure = qs(translate("Ciśnienie kolektora [kPa]"));
    m_texts.petrol = qs(legendText(*this, chartids::Petrol));
    m_texts.gas = qs(legendText(*this, chartids::Gas));
    m_texts.line = qs(legendText(*this, chartids::Line));
    m_texts.fileLine = qs(legendText(*this, chartids::FileLine));
    layoutChart();
    invalidate();
}

// ---- geometry ----

void CTimeCorrChart::layoutChart()
{
    m_font = font();
    m_font.setPixelSize(std::clamp(static_cast<int>(std::lround(height() / 30.0)), 11, 17));
    const QFontMetricsF fm(m_font);
    double leftLabels = 0;
    for (int i = 4; i <= 16; ++i)
        leftLabels = std::max(leftLabels, fm.horizontalAdvance(number(i / 10.0, 1)));
    const double rightLabels = fm.horizontalAdvance(number(kPressMax, 0));
    const double left = std::round(kPad + fm.height() + kGap + leftLabels + kGap + kTick);
    const double right = std::round(kTick + kGap + rightLabels + kGap + fm.height() + kPad);
    const double top = std::round(kPad + fm.height() / 2 + 2);
    const double bottom = std::round(kTick + kGap + 2 * fm.height() + kGap + kPad);
    m_plot = QRectF(left, top, std::max(10.0, width() - left - right), std::max(10.0, height() - top - bottom));
}

double CTimeCorrChart::timeX(double ms) const
{
    return m_plot.left() + (ms - kTimeMin) / (kTimeMax - kTimeMin) * m_plot.width();
}

double CTimeCorrChart::multiplierY(double multiplier) const
{
    return m_plot.bottom() - (multiplier - kMultMin) / (kMultMax - kMultMin) * m_plot.height();
}

double CTimeCorrChart::pressureY(double kPa) const
{
    return m_plot.bottom() - (kPa - kPressMin) / (kPressMax - kPressMin) * m_plot.height();
}

double CTimeCorrChart::multiplierAt(double y) const
{
    return kMultMin + (m_plot.bottom() - y) / m_plot.height() * (kMultMax - kMultMin);
}

std::array<double, kLineEntries> CTimeCorrChart::shownLine() const
{
    std::array<double, kLineEntries> shown{};
    const MultiplierLine& line = m_model.line();
    for (std::size_t j = 0; j < shown.size(); ++j)
        shown[j] = multiplierOf(line[j]);
    if (m_dragging && m_selected >= 0)
        shown[static_cast<std::size_t>(m_selected)] = m_dragValue;
    return shown;
}

QPointF CTimeCorrChart::linePointPos(int index) const
{
    const auto shown = shownLine();
    const auto j = static_cast<std::size_t>(std::clamp(index, 0, kLineEntries - 1));
    return {timeX(static_cast<double>(j) + 1), multiplierY(shown[j])};
}

int CTimeCorrChart::pointNear(const QPointF& pos) const
{
    int best = -1;
    double bestDistance = kPickRadius;
    for (int j = 0; j < kLineEntries; ++j) {
        const QPointF d = linePointPos(j) - pos;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= bestDistance) {
            best = j;
            bestDistance = distance;
        }
    }
    return best;
}

// ---- editing ----

double CTimeCorrChart::keyBasis(int index)
{
    const auto j = static_cast<std::size_t>(index);
    const double stored = m_model.line()[j];
    if (!m_basis[j] || percentOf(*m_basis[j]) != stored)
        m_basis[j] = multiplierOf(stored);
    return *m_basis[j];
}

void CTimeCorrChart::select(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    invalidate();
}

void CTimeCorrChart::moveSelected(bool up)
{
    if (m_selected < 0)
        return;
    const double x = keyBasis(m_selected);
    const double moved = up ? multiplierUp(x) : multiplierDown(x);
    m_basis[static_cast<std::size_t>(m_selected)] = moved;
    emit corrChanged(m_selected, moved);
}

void CTimeCorrChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int index = pointNear(event->position());
    if (index < 0)
        return;
    select(index);
    m_dragValue = keyBasis(index);
    m_dragging = true;
}

void CTimeCorrChart::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        if (pointNear(event->position()) >= 0)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        return;
    }
    const double value = draggedMultiplier(multiplierAt(event->position().y()));
    if (value != m_dragValue) {
        m_dragValue = value;
        invalidate();
    }
}

void CTimeCorrChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    invalidate();
    // A click that moved nothing changes nothing: the basis may differ from the stored percentage's
    // own multiplier only by the truncation the store would apply again.
    const auto j = static_cast<std::size_t>(m_selected);
    if (m_basis[j] && *m_basis[j] == m_dragValue)
        return;
    m_basis[j] = m_dragValue;
    emit corrChanged(m_selected, m_dragValue);
}

void CTimeCorrChart::keyPressEvent(QKeyEvent* event)
{
    if (m_dragging) {
        if (event->key() == Qt::Key_Escape) {  // the point goes back to the record's value
            m_dragging = false;
            invalidate();
        }
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left: select(m_selected < 0 ? 0 : std::max(0, m_selected - 1)); break;
    case Qt::Key_Right: select(m_selected < 0 ? 0 : std::min(kLineEntries - 1, m_selected + 1)); break;
    case Qt::Key_Up: moveSelected(true); break;
    case Qt::Key_Down: moveSelected(false); break;
    case Qt::Key_PageUp: emit incrementAll(true); break;
    case Qt::Key_PageDown: emit incrementAll(false); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

// ---- drawing ----

void CTimeCorrChart::invalidate()
{
    m_cacheValid = false;
    update();
}

void CTimeCorrChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutChart();
    m_cacheValid = false;
}

void CTimeCorrChart::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        layoutChart();
        invalidate();
    } else if (event->type() == QEvent::EnabledChange && !isEnabled() && m_dragging) {
        m_dragging = false;  // an autocalibration took over: the point goes back to the record's value
        invalidate();
    }
}

void CTimeCorrChart::paintEvent(QPaintEvent* event)
{
    const qreal dpr = devicePixelRatioF();
    const bool stale = !m_cacheValid || m_cachedLine != m_model.line() ||
                       m_cache.size() != (QSizeF(size()) * dpr).toSize() || m_cache.devicePixelRatio() != dpr;
    if (stale) {
        rebuildCache();
        // The new picture may differ outside the part asked for (a record changed without notice).
        if (event->region().boundingRect() != rect())
            update();
    }
    QPainter p(this);
    if (stale) {
        p.drawPixmap(0, 0, m_cache);
    } else {
        for (const QRect& r : event->region())
            p.drawPixmap(QRectF(r), m_cache, QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
    }
    m_shownLive = livePos();
    if (m_shownLive)
        drawLivePoint(p, *m_shownLive);
}

void CTimeCorrChart::rebuildCache()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_cache.size() != pixels)
        m_cache = QPixmap(pixels);
    m_cache.setDevicePixelRatio(dpr);
    m_cache.fill(kBackground);
    m_cachedLine = m_model.line();
    QPainter p(&m_cache);
    p.setFont(m_font);
    // Axes and grid sit on the pixel grid: sharp, and much cheaper, without antialiasing.
    drawAxes(p);
    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    p.setClipRect(m_plot.adjusted(-kSelectedRadius, -kSelectedRadius, kSelectedRadius, kSelectedRadius));
    drawClouds(p);
    drawLines(p);
    p.restore();
    drawLegend(p);
    m_cacheValid = true;
}

void CTimeCorrChart::drawAxes(QPainter& p) const
{
    const QFontMetricsF fm(m_font);
    const QRectF& r = m_plot;
    QPen grid(kGrid, 1, Qt::DotLine);
    grid.setCosmetic(true);
    const QPen frame(kGrid, 1);

    // Time: a grid line every millisecond, labels as often as they fit.
    const double xSpacing = r.width() / (kTimeMax - kTimeMin);
    const int xEvery = std::max(1, static_cast<int>(std::ceil((fm.horizontalAdvance("00") + 2 * kGap) / xSpacing)));
    for (int i = static_cast<int>(kTimeMin); i <= static_cast<int>(kTimeMax); ++i) {
        const double x = snap(timeX(i));
        p.setPen(grid);
        if (i > kTimeMin && i < kTimeMax)
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        p.setPen(frame);
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + kTick));
        if (i % xEvery != 0)
            continue;
        p.setPen(kLabel);
        const QString label = number(i, 0);
        const double w = fm.horizontalAdvance(label);
        p.drawText(QRectF(x - w / 2 - 2, r.bottom() + kTick + kGap, w + 4, fm.height()), Qt::AlignCenter, label);
    }

    // Multiplier (left): grid lines every 0.1.
    const double ySpacing = r.height() / ((kMultMax - kMultMin) / kMultStep);
    const int yEvery = std::max(1, static_cast<int>(std::ceil((fm.height() + 2) / ySpacing)));
    for (int i = 4; i <= 16; ++i) {
        const double y = snap(multiplierY(i / 10.0));
        p.setPen(grid);
        if (i > 4)
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        p.setPen(frame);
        p.drawLine(QPointF(r.left() - kTick, y), QPointF(r.left(), y));
        if ((i - 4) % yEvery != 0)
            continue;
        p.setPen(kLabel);
        p.drawText(QRectF(kPad, y - fm.height() / 2, r.left() - kTick - kGap - kPad, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, number(i / 10.0, 1));
    }

    // Manifold pressure (right): ticks and labels every 20 kPa.
    const double pSpacing = r.height() / ((kPressMax - kPressMin) / kPressStep);
    const int pEvery = std::max(1, static_cast<int>(std::ceil((fm.height() + 2) / pSpacing)));
    for (int i = 0; i * kPressStep <= kPressMax; ++i) {
        const double y = snap(pressureY(i * kPressStep));
        p.setPen(frame);
        p.drawLine(QPointF(r.right(), y), QPointF(r.right() + kTick, y));
        if (i % pEvery != 0)
            continue;
        p.setPen(kLabel);
        p.drawText(QRectF(r.right() + kTick + kGap, y - fm.height() / 2, width(), fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, number(i * kPressStep, 0));
    }

    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(snap(r.left()), snap(r.top()), std::floor(r.width()), std::floor(r.height())));

    // Titles: time under its labels, the multiplier up the left side, the pressure down the right.
    p.setPen(kLabel);
    const double titleTop = r.bottom() + kTick + kGap + fm.height() + kGap;
    p.drawText(QRectF(r.left(), titleTop, r.width(), fm.height()), Qt::AlignCenter,
               fm.elidedText(m_texts.time, Qt::ElideRight, r.width()));
    auto vertical = [&](double centreX, double angle, const QString& text, const QColor& colour) {
        p.save();
        p.translate(centreX, r.center().y());
        p.rotate(angle);
        p.setPen(colour);
        p.drawText(QRectF(-r.height() / 2, -fm.height() / 2, r.height(), fm.height()), Qt::AlignCenter,
                   fm.elidedText(text, Qt::ElideRight, r.height()));
        p.restore();
    };
    vertical(kPad + fm.height() / 2, -90, m_texts.multiplier, kLine);
    vertical(width() - kPad - fm.height() / 2, 90, m_texts.pressure, kLabel);
}

void CTimeCorrChart::drawClouds(QPainter& p) const
{
    auto series = [&](const std::vector<CloudPoint>& cloud, const QColor& colour, double shift) {
        QPolygonF points;
        points.reserve(static_cast<int>(cloud.size()));
        for (const CloudPoint& c : cloud) {
            if (c.timeMs < kTimeMin || c.timeMs > kTimeMax || c.pressure < kPressMin || c.pressure > kPressMax)
                continue;
            const QPointF at(timeX(c.timeMs) + shift, pressureY(c.pressure) + shift);
            // A bin's time is in its cell many times over: one dot is enough.
            if (points.isEmpty() || points.back() != at)
                points.push_back(at);
        }
        if (points.isEmpty())
            return;
        p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(points);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        for (const QPointF& at : points)
            p.drawEllipse(at, kCloudRadius + 0.5, kCloudRadius + 0.5);
    };
    series(m_petrolCloud, kPetrol, 0);
    series(m_gasCloud, kGas, 1);  // one pixel right and down, so equal points stay visible
}

void CTimeCorrChart::drawLines(QPainter& p) const
{
    if (m_comparison) {
        QPolygonF file;
        for (std::size_t j = 0; j < m_comparison->size(); ++j)
            file.push_back({timeX(static_cast<double>(j) + 1), multiplierY(multiplierOf((*m_comparison)[j]))});
        p.setPen(QPen(kFileLine, 2, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(file);
        p.setPen(QPen(kFileLine, 1.5));
        p.setBrush(kBackground);
        for (const QPointF& at : file)
            p.drawRect(QRectF(at.x() - 3, at.y() - 3, 6, 6));
    }

    const auto shown = shownLine();
    QPolygonF line;
    for (std::size_t j = 0; j < shown.size(); ++j)
        line.push_back({timeX(static_cast<double>(j) + 1), multiplierY(shown[j])});
    p.setPen(QPen(kLine, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    p.setPen(Qt::NoPen);
    if (m_selected >= 0) {
        p.setBrush(kSelected);
        p.drawEllipse(line[m_selected], kSelectedRadius, kSelectedRadius);
    }
    p.setBrush(kLine);
    for (const QPointF& at : line)
        p.drawEllipse(at, kLinePointRadius, kLinePointRadius);

    if (m_dragging && m_selected >= 0) {
        // The value being dragged, beside the point.
        const QFontMetricsF fm(m_font);
        const QString text = number(m_dragValue, 2);
        const QPointF at = line[m_selected];
        QRectF box(0, 0, fm.horizontalAdvance(text) + 8, fm.height() + 2);
        box.moveBottomLeft(QPointF(at.x() + 9, at.y() - 6));
        if (box.right() > m_plot.right())
            box.moveRight(at.x() - 9);
        if (box.top() < m_plot.top())
            box.moveTop(at.y() + 6);
        p.setPen(QPen(kSelected, 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(box, 3, 3);
        p.setPen(kLine);
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void CTimeCorrChart::drawLegend(QPainter& p) const
{
    struct Entry {
        const QString* text;
        QColor colour;
        Qt::PenStyle style;
        double width;
    };
    std::vector<Entry> entries{{&m_texts.line, kLine, Qt::SolidLine, 3},
                               {&m_texts.petrol, kPetrol, Qt::SolidLine, 2},
                               {&m_texts.gas, kGas, Qt::SolidLine, 2}};
    if (m_comparison)
        entries.push_back({&m_texts.fileLine, kFileLine, Qt::DashLine, 2});
    const QFontMetricsF fm(m_font);
    const double sample = 24, rowHeight = fm.height() + 2;
    double textWidth = 0;
    for (const Entry& e : entries)
        textWidth = std::max(textWidth, fm.horizontalAdvance(*e.text));
    const QRectF box(m_plot.left() + 8, m_plot.top() + 8, 6 + sample + 6 + textWidth + 8,
                     4 + rowHeight * static_cast<double>(entries.size()) + 4);
    if (box.right() > m_plot.right() - 4 || box.bottom() > m_plot.bottom() - 4)
        return;  // too small a chart for a legend
    p.setPen(QPen(kGrid, 1));
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawRoundedRect(box, 3, 3);
    double y = box.top() + 4;
    for (const Entry& e : entries) {
        const double mid = y + rowHeight / 2;
        const QPointF a(box.left() + 6, mid), b(box.left() + 6 + sample, mid);
        p.setPen(QPen(e.colour, e.width, e.style, Qt::FlatCap));
        p.drawLine(a, b);
        p.setPen(Qt::NoPen);
        p.setBrush(e.colour);
        p.drawEllipse((a + b) / 2, e.width + 1, e.width + 1);
        p.setPen(kLabel);
        p.drawText(QRectF(b.x() + 6, y, textWidth + 4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, *e.text);
        y += rowHeight;
    }
}

std::optional<QPointF> CTimeCorrChart::livePos() const
{
    const std::optional<CloudPoint> live = m_model.livePoint();
    if (!m_liveShown || !live || live->timeMs < kTimeMin || live->timeMs > kTimeMax || live->pressure < kPressMin ||
        live->pressure > kPressMax)
        return std::nullopt;
    return QPointF(timeX(live->timeMs), pressureY(live->pressure));
}

QRegion CTimeCorrChart::liveRegion(const std::optional<QPointF>& at) const
{
    if (!at)
        return {};
    const double reach = kRingRadius + kRingPen;
    QRegion region(QRectF(m_plot.left() - 1, at->y() - 2, m_plot.width() + 2, 4).toAlignedRect());
    region += QRectF(at->x() - 2, m_plot.top() - 1, 4, m_plot.height() + 2).toAlignedRect();
    region += QRectF(at->x() - reach, at->y() - reach, 2 * reach, 2 * reach).toAlignedRect();
    return region;
}

void CTimeCorrChart::drawLivePoint(QPainter& p, const QPointF& at) const
{
    p.save();
    p.setClipRect(m_plot);
    QPen cross(Qt::black, 1, Qt::DotLine);
    cross.setCosmetic(true);
    p.setPen(cross);
    const double x = snap(at.x()), y = snap(at.y());
    p.drawLine(QPointF(m_plot.left(), y), QPointF(m_plot.right(), y));
    p.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLiveRing, kRingPen));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at, kRingRadius, kRingRadius);
    p.drawEllipse(at, kInnerRingRadius, kInnerRingRadius);
    p.restore();
}

} // namespace tarvola::gui
