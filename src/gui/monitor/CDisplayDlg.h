#pragma once
// The large live display: the engine and gas readouts in big digits over the whole area of the main
// window, for reading from a distance. F10 opens it and F10 alone closes it (Enter, Escape and the
// close box leave it open). It refreshes itself ten times a second while connected.

#include <QDialog>
#include <QRect>
#include <QTimer>
#include <array>
#include <vector>

#include "controls/CColorStatic.h"
#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CVeldranixDoc;

class CDisplayDlg : public QDialog, public CViewTexts {
    Q_OBJECT
public:
    CDisplayDlg(CVeldranixDoc& doc, const QSize& target, QWidget* parent = nullptr);

    // Shows the display modally unless one is already open.
    static void openOnce(CVeldranixDoc& doc, QWidget* parent);
    static bool isOpen();

    // The designed size, in the units of the control table.
    static QSize designedSize() { return {600, 400}; }
    // A coordinate or font height scaled by a factor, halves away from zero; a font height comes out
    // even (one less when odd).
    static int scaled(int value, double factor);
    static int scaledFontHeight(int height, double factor);

    void refreshTick();
    // Closes the display as F10 does.
    void closeDisplay();
    bool timerActive() const { return m_timer.isActive(); }
    CColorStatic* value(int id) const;

public slots:
    void accept() override {}
    void reject() override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Placed {
        QWidget* widget;
        QRect design;
    };
    void place(QWidget* w, const QRect& design);

    CVeldranixDoc& m_doc;
    QTimer m_timer;
    std::vector<Placed> m_placed;
    std::vector<std::pair<int, CColorStatic*>> m_values;
    bool m_closing = false;
};

} // namespace tarvola::gui
