#pragma once
// The scrolling chart: curves of 0..100 over x, eleven grid labels on the left, and a scroll bar
// under the plot that moves the visible window over older points.
//
// It draws a ScrollSeries that someone else owns and fills. The background, grid and labels are
// painted once into a cached picture, rebuilt when the size or the labels change; the curves are
// drawn over it on each repaint, reduced to a few points per pixel column, so a repaint costs the
// same whatever the length of the curves. drawCurve() draws any x range of a curve, for windows
// that show a whole recording.

#include <QColor>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <map>

#include "monitor/ScrollSeries.h"

class QComboBox;
class QScrollBar;

namespace tarvola::gui {

class CScrollChart : public QWidget {
    Q_OBJECT
public:
    static inline const QColor kBackground{240, 240, 240};
    static inline const QColor kGrid{190, 190, 190};
    static constexpr int kPenWidth = 2;

    // `series` must outlive the chart.
    explicit CScrollChart(ScrollSeries& series, QWidget* parent = nullptr);

    void setColour(int channel, const QColor& colour);
    // Eleven labels from the bottom grid line to the top one.
    void setGridLabels(const QStringList& labels);
    // The data changed: the scroll bar follows the window and the plot repaints.
    void refresh();

    // The plot's rectangle inside the widget (without labels and scroll bar).
    QRectF plotRect() const { return m_plot; }
    // Where a point of the data is drawn now.
    QPointF pointPos(const ChartPoint& p) const;
    QScrollBar* scrollBar() const { return m_scroll; }

    // The scale list of the oscilloscope and the viewer: its entries in the current language, keeping
    // the chosen one (none chosen: the first); and the eleven grid labels of the chosen scale.
    static void fillScaleList(QComboBox& list);
    static QStringList gridLabels(const QComboBox& list);

    // Draws the part of `series` between x0 and x1 into `plot` (y 0 at the bottom, 100 at the top).
    static void drawCurve(class QPainter& painter, const QRectF& plot, const ChartSeries& series, const QColor& colour,
                          double x0, double x1);

    QSize sizeHint() const override { return {640, 300}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layoutChart();
    void rebuildCache();
    void syncScrollBar();
    void onScrollAction(int action);

    ScrollSeries& m_series;
    std::map<int, QColor> m_colours;
    QStringList m_labels;
    QScrollBar* m_scroll;
    QRectF m_plot;
    QPixmap m_cache;
    bool m_cacheValid = false;
};

} // namespace tarvola::gui
