#include "monitor/CDisplayDlg.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <cmath>

#include "app/CMainFrame.h"
#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "monitor/Readouts.h"
#include "settings/Conversions.h"

namespace tarvola::gui {

namespace {
bool g_open = false;
constexpr std::array<int, 8> kCylinderIds{1080, 1086, 1088, 1090, 1092, 1094, 1096, 1098};
} // namespace

int CDisplayDlg::scaled(int value, double factor)
{
    return static_cast<int>(roundHalfAway(value * factor));
}

int CDisplayDlg::scaledFontHeight(int height, double factor)
{
    int h = scaled(height, factor);
    if (h % 2 != 0)
        h -= 1;
    return h;
}

CDisplayDlg::CDisplayDlg(CVeldranixDoc& doc, const QSize& target, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    using namespace viewids;
    auto label = [this](int id, const QRect& r) {
        auto* l = new QLabel(this);
        setTextId(l, id);
        place(l, r);
        return l;
    };
    auto group = [this](int id, const QRect& r) {
        auto* g = new QGroupBox(this);
        setTextId(g, id);
        place(g, r);
        return g;
    };
    auto value = [this](int id, const QColor& color, const QRect& r, const QString& initial) {
        auto* v = new CColorStatic(this);
        v->setColors(color, Qt::white);
        v->setText(initial);
        place(v, r);
        m_values.emplace_back(id, v);
        return v;
    };
    group(Pressure, {10, 10, 190, 120});
    label(PressureGas, {20, 40, 70, 30});
    value(1056, colors::GasPressure, {95, 35, 95, 38}, QStringLiteral("0"));
    label(Manifold, {20, 85, 70, 30});
    value(1057, colors::Manifold, {95, 80, 95, 38}, QStringLiteral("0"));
    group(Temperature, {10, 140, 190, 120});
    label(TemperatureGas, {20, 170, 70, 30});
    value(1064, colors::GasTemp, {95, 165, 95, 38}, QStringLiteral("0"));
    label(Reducer, {20, 215, 70, 30});
    value(1065, colors::ReducerTemp, {95, 210, 95, 38}, QStringLiteral("0"));
    label(Supply, {20, 285, 70, 30});
    value(1072, colors::Supply, {95, 280, 95, 38}, QStringLiteral("0.0"));
    auto* l1 = label(Lambda1, {20, 335, 70, 25});
    auto* v1 = value(1068, colors::Lambda1, {95, 330, 95, 30}, QStringLiteral("0.0"));
    auto* l2 = label(Lambda2, {20, 365, 70, 25});
    auto* v2 = value(1075, colors::Lambda2, {95, 362, 95, 30}, QStringLiteral("0.0"));
    label(RpmShort, {215, 15, 180, 30});
    value(1069, colors::Rpm, {215, 45, 180, 80}, QStringLiteral("0"));
    label(GasShort, {215, 140, 180, 30});
    value(1077, colors::Gas, {215, 170, 180, 80}, QStringLiteral("0.0"));
    group(InjectionTime, {410, 10, 180, 210});
    for (int i = 0; i < 8; ++i) {
        auto* cl = label(CylFirst + i, {420, 40 + 43 * i, 60, 30});
        auto* cv = value(kCylinderIds[static_cast<std::size_t>(i)], colors::Petrol, {485, 35 + 43 * i, 95, 38},
                         QStringLiteral("0.0"));
        if (i >= 4) {
            cl->hide();
            cv->hide();
        }
    }
    for (QWidget* w : {static_cast<QWidget*>(l1), static_cast<QWidget*>(v1), static_cast<QWidget*>(l2),
                       static_cast<QWidget*>(v2)})
        w->hide();

    CWidgetTextTarget texts(this);
    try {
        apply(texts);
    } catch (const IError&) {
        // A table without a text leaves the display's labels as they were.
    }

    // Two-step scaling from the designed size to the target size.
    const QSize design = designedSize();
    const double fx = static_cast<double>(target.width()) / design.width();
    const double fy = static_cast<double>(target.height()) / design.height();
    QFont dialogFont = font();
    dialogFont.setPixelSize(scaledFontHeight(13, fy));
    QFont valueFont(QStringLiteral("Arial"));
    valueFont.setPixelSize(std::abs(scaledFontHeight(-18, fy)));
    valueFont.setWeight(QFont::Bold);
    for (const auto& p : m_placed) {
        p.widget->setFont(dialogFont);
        const int left = scaled(p.design.left(), fx);
        const int right = scaled(p.design.left() + p.design.width(), fx);
        const int top = scaled(p.design.top(), fy);
        const int bottom = scaled(p.design.top() + p.design.height(), fy);
        p.widget->setGeometry(left, top, right - left, bottom - top);
    }
    for (const auto& [id, v] : m_values) {
        QFont f = valueFont;
        // The two main readouts get the room their boxes have.
        if (id == 1069 || id == 1077)
            f.setPixelSize(valueFont.pixelSize() * 2);
        v->setFont(f);
    }
    setFixedSize(target);
    move(0, 0);

    connect(&m_timer, &QTimer::timeout, this, &CDisplayDlg::refreshTick);
    if (m_doc.isConnected())
        m_timer.start(100);
}

void CDisplayDlg::place(QWidget* w, const QRect& design)
{
    m_placed.push_back({w, design});
}

CColorStatic* CDisplayDlg::value(int id) const
{
    for (const auto& [vid, v] : m_values)
        if (vid == id)
            return v;
    return nullptr;
}

void CDisplayDlg::refreshTick()
{
    if (!m_doc.isConnected())
        return;
    CDiag sample;
    if (!m_doc.diagData().newest(sample))
        return;
    const ReadoutTexts t = readoutTexts(sample, contextFrom(m_doc.m_settings), Channel3Repeat::Ignore);
    auto set = [this](int id, const std::string& text) {
        if (CColorStatic* s = value(id))
            s->setValueText(text);
    };
    set(1077, t.gasTime);
    for (std::size_t i = 0; i < 8; ++i)
        set(kCylinderIds[i], t.petrol[i]);
    set(1069, t.rpm);
    set(1056, t.gasPressure);
    set(1057, t.manifold);
    set(1064, t.gasTemp);
    set(1065, t.reducerTemp);
    set(1068, t.lambda1);
    set(1075, t.lambda2);
    set(1072, t.supply);
}

void CDisplayDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10) {
        closeDisplay();
        return;
    }
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void CDisplayDlg::closeEvent(QCloseEvent* event)
{
    if (!m_closing)
        event->ignore();
}

void CDisplayDlg::closeDisplay()
{
    m_timer.stop();
    m_closing = true;
    done(QDialog::Accepted);
}

bool CDisplayDlg::isOpen()
{
    return g_open;
}

void CDisplayDlg::openOnce(CVeldranixDoc& doc, QWidget* parent)
{
    if (g_open)
        return;
    g_open = true;
    const QRect area = parent ? parent->screen()->availableGeometry() : QRect(0, 0, 1024, 746);
    CDisplayDlg dlg(doc, CMainFrame::startSize(area), parent);
    dlg.exec();
    g_open = false;
}

} // namespace tarvola::gui
