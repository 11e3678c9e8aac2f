#include "controls/CColorStatic.h"

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
    if (text != QLabel::text())
        setText(text);
}

} // namespace tarvola::gui
