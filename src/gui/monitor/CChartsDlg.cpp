#include "monitor/CChartsDlg.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "controls/CAppPropSheet.h"
#include "controls/CColorStatic.h"
#include "lang/QtTextTargets.h"
#include "monitor/COscyloskopPage.h"
#include "monitor/Oscilloscope.h"

namespace tarvola::gui {

namespace {

QPointer<CChartsDlg> g_open;

constexpr std::array<int, 8> kPanelIds{chartsids::Lambda1,  chartsids::Lambda2, chartsids::GasPressure,
                                       chartsids::Manifold, chartsids::GasTemp, chartsids::ReducerTemp,
                                       chartsids::FastTrim, chartsids::SlowTrim};

} // namespace

// ---- the calibration page with its live values ----

CMapPageDlg::CMapPageDlg(CVeldranixDoc& doc, QWidget* parent) : CMapPage(doc, parent), m_document(doc)
{
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    QFont valueFont = font();
    valueFont.setPixelSize(16);
    valueFont.setBold(true);
    const QColor colours[] = {colors::Lambda1, colors::Lambda2,    colors::GasPressure, colors::Manifold,
                              colors::GasTemp, colors::ReducerTemp, colors::Rpm,         colors::Rpm};
    for (std::size_t i = 0; i < kPanelIds.size(); ++i) {
        auto* caption = new QLabel(panel);
        setTextId(caption, kPanelIds[i]);
        caption->setWordWrap(true);
        auto* value = new CColorStatic(panel);
        value->setFont(valueFont);
        value->setColors(colours[i], Qt::white);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("-888.88")) + 10);
        value->setMinimumHeight(QFontMetrics(valueFont).height() + 6);
        grid->addWidget(caption, static_cast<int>(i), 0);
        grid->addWidget(value, static_cast<int>(i), 1, Qt::AlignVCenter);
        m_values[i] = value;
    }
    grid->setRowStretch(static_cast<int>(kPanelIds.size()), 1);
    panel->setMaximumWidth(220);
    if (auto* row = qobject_cast<QBoxLayout*>(layout()))
        row->addWidget(panel);
    applyTexts();
}

void CMapPageDlg::applyTexts()
{
    CMapPage::applyTexts();
    CWidgetTextTarget target(this, false);
    try {
        // The calibration table has no caption, so its whole-window apply stops before the labels;
        // the labels alone are applied here.
        CMapPageTexts::CMultiLangWnd::apply(target);
        m_texts.CMultiLangWnd::apply(target);
    } catch (const IError&) {
        // A table without a text leaves the labels as they were.
    }
}

void CMapPageDlg::liveUpdate(unsigned tick)
{
    CMapPage::liveUpdate(tick);
    CDiag sample;
    if (!m_document.isConnected() || !m_document.diagData().newest(sample))
        return;
    const LivePanelTexts t = livePanelTexts(sample, contextFrom(m_document.m_settings));
    const std::string* texts[] = {&t.lambda1, &t.lambda2, &t.gasPressure, &t.manifold,
                                  &t.gasTemp, &t.reducerTemp, &t.fastTrim, &t.slowTrim};
    for (std::size_t i = 0; i < m_values.size(); ++i)
        m_values[i]->setValueText(qs(*texts[i]));
}

QString CMapPageDlg::liveText(int id) const
{
    for (std::size_t i = 0; i < kPanelIds.size(); ++i)
        if (kPanelIds[i] == id)
            return m_values[i]->text();
    return {};
}

// ---- the dialog ----

void CChartsDlg::openOnce(CVeldranixDoc& doc, QWidget* parent)
{
    if (g_open) {
        g_open->show();
        g_open->QWidget::raise();
        g_open->activateWindow();
        return;
    }
    auto* dlg = new CChartsDlg(doc, parent);
    connect(dlg, &QDialog::finished, dlg, &QObject::deleteLater);
    g_open = dlg;
    dlg->show();
}

CChartsDlg* CChartsDlg::openDialog()
{
    return g_open.data();
}

CChartsDlg::CChartsDlg(CVeldranixDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_previousView(&doc.multiplier().view())
{
    setModal(false);
    setSizeGripEnabled(true);
    m_sheet = new CAppPropSheet(this);
    m_calibration = new CMapPageDlg(doc, m_sheet);
    m_oscilloscope = new COscyloskopPage(doc, true, m_sheet);
    m_sheet->addPage(m_calibration);
    m_sheet->addPage(m_oscilloscope);

    auto* buttons = new QDialogButtonBox(this);
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    setTextId(close, ids::Cancel);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // The sheet takes every pixel the dialog gets.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_sheet, 1);
    layout->addWidget(buttons);
    resize(980, 640);

    applyTexts();
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CChartsDlg::applyTexts);
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CChartsDlg::tick);
    m_timer.start();
    m_calibration->activate();
}

CChartsDlg::~CChartsDlg()
{
    m_timer.stop();
    // The pages go first: the calibration page lets go of the model, which goes back to the
    // window it told before and catches it up.
    delete m_sheet;
    m_sheet = nullptr;
    CMultiplierCalibration& model = m_doc.multiplier();
    if (&model.view() != m_previousView) {
        model.setView(m_previousView);
        m_previousView->lineChanged();
        m_previousView->mapsChanged();
        m_previousView->liveChanged();
    }
}

void CChartsDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
    m_sheet->applyTexts();
}

void CChartsDlg::tick()
{
    ++m_ticks;
    if (!m_doc.isConnected())
        return;
    if (CAppPropPage* page = m_sheet->activePage())
        page->liveUpdate(m_ticks);
}

} // namespace tarvola::gui
