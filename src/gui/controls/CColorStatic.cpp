#include "controls/CColorStatic.h"

#include <QPainter>

namespace tarvola::gui {

CColorStatic::CColorStatic(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, m_text);
    p.setColor(QPalette::Window, m_background);
    setPalette(p);
}

void CColorStatic::setColors(const QColor& text, const QColor& background)
{
    if (text == m_text && background == m_background)
        return;
    m_text = text;
    m_background = background;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, m_text);
    p.setColor(QPalette::Window, m_background);
    setPalette(p);
}

void CColorStatic::setValueText(const QString& text)
{
    if (text == this->text())
        return;
    // A starting text given with setText() gives way to the value (a layout pass, once).
    if (!QLabel::text().isEmpty())
        QLabel::clear();
    m_value = text;
    update();
}

void CColorStatic::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_value.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(m_text);
    painter.drawText(contentsRect(), static_cast<int>(alignment()), m_value);
}

} // namespace tarvola::gui
