#pragma once
// A one-line edit box for whole numbers within a range: anything else cannot be typed.

#include <QIntValidator>
#include <QLineEdit>

namespace tarvola::gui {

class CNumEdit : public QLineEdit {
    Q_OBJECT
public:
    CNumEdit(int minimum, int maximum, QWidget* parent = nullptr) : QLineEdit(parent)
    {
        setValidator(new QIntValidator(minimum, maximum, this));
        setAlignment(Qt::AlignRight);
        setMaximumWidth(fontMetrics().horizontalAdvance(QString(6, QChar('0'))) + 12);
    }
    void setNumber(int value)
    {
        const QString t = QString::number(value);
        if (t != text())
            setText(t);
    }
    // The number typed; `fallback` when the box holds none.
    int number(int fallback) const
    {
        bool ok = false;
        const int v = text().toInt(&ok);
        return ok ? v : fallback;
    }
};

} // namespace tarvola::gui
