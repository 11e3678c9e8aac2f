#pragma once
// A static text with its own text and background colour: the dashboard's readouts, the large
// display's digits and the lamps of the switch panel. Setting the same text or colours again does
// nothing, so a 10 Hz refresh repaints only what changed. A value set with setValueText() is drawn
// by the static itself and leaves its size alone: a changing reading repaints the static and never
// makes the window lay itself out again (its size comes from its minimum size or its place).

#include <QColor>
#include <QLabel>
#include <string>

namespace tarvola::gui {

class CColorStatic : public QLabel {
    Q_OBJECT
public:
    // Yellow on black until told otherwise.
    explicit CColorStatic(QWidget* parent = nullptr);

    void setColors(const QColor& text, const QColor& background);
    void setTextColor(const QColor& text) { setColors(text, m_background); }
    void setBackgroundColor(const QColor& background) { setColors(m_text, background); }
    QColor textColor() const { return m_text; }
    QColor backgroundColor() const { return m_background; }
    // Sets the text only when it differs from the one shown.
    void setValueText(const QString& text);
    void setValueText(const std::string& text) { setValueText(QString::fromStdString(text)); }
    // The text shown: the value, or a fixed text set with setText().
    QString text() const { return QLabel::text().isEmpty() ? m_value : QLabel::text(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_value;
    QColor m_text{255, 255, 0};
    QColor m_background{0, 0, 0};
};

// Colours the program uses for values and lamps, as (red, green, blue).
namespace colors {
inline const QColor Dark{50, 50, 50};
inline const QColor LampGreen{0, 128, 64};
inline const QColor LevelGreen{0, 255, 0};
inline const QColor Red{255, 0, 0};
inline const QColor LightGrey{192, 192, 192};
inline const QColor ActiveGreen{0, 192, 64};
inline const QColor Petrol{255, 0, 0};
inline const QColor Gas{0, 0, 255};
inline const QColor Lambda1{255, 128, 255};
inline const QColor Lambda2{128, 128, 0};
inline const QColor GasPressure{64, 128, 128};
inline const QColor Rpm{64, 0, 0};
inline const QColor GasTemp{0, 128, 0};
inline const QColor ReducerTemp{128, 0, 255};
inline const QColor Manifold{96, 96, 96};
inline const QColor Supply{255, 128, 64};
} // namespace colors

} // namespace tarvola::gui
