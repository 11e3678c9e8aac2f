#pragma once
// The recording viewer's chart: the grid, value labels on the left, time labels in seconds below,
// the curves of the shown time window, the cursor line with a mark on each shown curve, and the
// zoom band while it is dragged.
//
// It draws a RecordingView and the curves someone else owns, and hands the mouse and keys to the
// view: the wheel zooms about the pointer, a band dragged with the left button zooms to it, a click
// puts the cursor on the nearest record, the right or middle button drags the window along; the
// arrow keys and Page Up / Page Down pan, + and - zoom, Home and End go to the ends and * shows the
// whole recording. The grid and labels are painted into a cached picture that is rebuilt only when
// the window or the size changes; the curves are reduced per pixel column by CScrollChart's drawing.

#include <QColor>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include "monitor/RecordingView.h"

namespace tarvola::gui {

class CRecordingChart : public QWidget {
    Q_OBJECT
public:
    // `view` and `curves` must outlive the chart.
    CRecordingChart(RecordingView& view, const RecordingCurves& curves, QWidget* parent = nullptr);

    // The colour of a channel's curve, from the channel table.
    static QColor channelColour(int channel);

    void setGridLabels(const QStringList& labels);
    // The view or the curves changed.
    void refresh();
    QRectF plotRect() const { return m_plot; }
    // The time drawn at widget x, and the x at which a time is drawn.
    double timeAt(double x) const;
    double xOf(double seconds) const;

    QSize sizeHint() const override { return {800, 360}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

signals:
    void viewChanged();
    void cursorChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void layoutChart();
    void rebuildCache();

    RecordingView& m_view;
    const RecordingCurves& m_curves;
    QStringList m_labels;
    QRectF m_plot;
    QPixmap m_cache;
    bool m_cacheValid = false;
    double m_cacheLeft = -1, m_cacheWidth = -1;
    enum class Drag { None, Band, Pan } m_drag = Drag::None;
    QPointF m_pressAt;
    double m_bandTo = 0;
    double m_panLeft = 0;
};

} // namespace tarvola::gui
