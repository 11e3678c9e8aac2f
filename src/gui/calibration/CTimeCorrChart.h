#pragma once
// The calibration page's chart: the multiplier line over petrol injection time (left axis), the petrol
// and gas point clouds over manifold pressure (right axis), the engine's live point, and, while a
// settings file is compared, the file's line dashed.
//
// It draws what the calibration model holds and hands every edit back as a signal, which the page
// forwards to the model; a point the model refuses springs back, so the chart never shows a value
// the record does not hold (only the point being dragged shows the mouse's value until released).
// Axes, grid, clouds and lines are painted once into a cached picture, rebuilt when they change or
// the widget is resized; the live point, which moves with the polling, is drawn over it and repaints
// only the strips it covers.

#include <QPixmap>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "calibration/MultiplierLine.h"
#include "lang/WindowTexts.h"

namespace tarvola {
class CMultiplierCalibration;
}

namespace tarvola::gui {

class CTimeCorrChart : public QWidget, public CTimeCorrChartTexts {
    Q_OBJECT
public:
    // Axis ranges and grid steps.
    static constexpr double kTimeMin = 0, kTimeMax = 21, kTimeStep = 1;
    static constexpr double kMultMin = 0.4, kMultMax = 1.601, kMultStep = 0.1;
    static constexpr double kPressMin = 0, kPressMax = 160, kPressStep = 20;
    // A click this close to a line point (in pixels) picks it.
    static constexpr double kPickRadius = 5;

    // `model` must outlive the chart.
    explicit CTimeCorrChart(const CMultiplierCalibration& model, QWidget* parent = nullptr);

    // The point maps were read again: the clouds are taken anew.
    void mapsChanged();
    // The line (or the record under it) may have changed.
    void lineChanged();
    // The live point moved.
    void liveChanged();
    // Without a controller the last live point is no longer where the engine is: hidden.
    void setLiveShown(bool shown);
    // A settings file's line to draw dashed beside the controller's; nothing: none.
    void setComparisonLine(const std::optional<MultiplierLine>& line);
    // The legend and axis titles in the current language.
    void applyTexts();

    // -1 while no point is selected.
    int selectedPoint() const { return m_selected; }
    bool dragging() const { return m_dragging; }
    // Where line point `index` is drawn now, in widget coordinates.
    QPointF linePointPos(int index) const;
    // The widget's y coordinate of a multiplier.
    double multiplierY(double multiplier) const;

    QSize sizeHint() const override { return {640, 280}; }
    QSize minimumSizeHint() const override { return {360, 240}; }

signals:
    // A point was dropped or moved by a key: line entry `index` should show `multiplier`.
    void corrChanged(int index, double multiplier);
    // Page Up (true) or Page Down (false): the whole line one percent up or down.
    void incrementAll(bool up);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Texts {
        QString time, multiplier, pressure;
        QString petrol, gas, line, fileLine;
    };

    void layoutChart();
    double timeX(double ms) const;
    double pressureY(double kPa) const;
    double multiplierAt(double y) const;
    // The multipliers drawn now: the record's line, with the dragged point's value while dragging.
    std::array<double, kLineEntries> shownLine() const;
    int pointNear(const QPointF& pos) const;
    // The multiplier Up and Down start from: the value last given to point `index` while the record
    // still holds its percentage (so repeated presses add up as the fitter sees them), otherwise the
    // record's own value.
    double keyBasis(int index);
    void moveSelected(bool up);
    void select(int index);

    void invalidate();
    void rebuildCache();
    void drawAxes(class QPainter& p) const;
    void drawClouds(QPainter& p) const;
    void drawLines(QPainter& p) const;
    void drawLegend(QPainter& p) const;
    void drawLivePoint(QPainter& p, const QPointF& at) const;
    std::optional<QPointF> livePos() const;
    QRegion liveRegion(const std::optional<QPointF>& at) const;

    const CMultiplierCalibration& m_model;
    std::vector<CloudPoint> m_petrolCloud;
    std::vector<CloudPoint> m_gasCloud;
    std::optional<MultiplierLine> m_comparison;
    Texts m_texts;

    QFont m_font;
    QRectF m_plot;
    QPixmap m_cache;
    bool m_cacheValid = false;
    MultiplierLine m_cachedLine{};  // the record's line the cache shows
    std::optional<QPointF> m_shownLive;
    bool m_liveShown = true;

    int m_selected = -1;
    bool m_dragging = false;
    double m_dragValue = 1.0;
    std::array<std::optional<double>, kLineEntries> m_basis{};
};

} // namespace tarvola::gui
