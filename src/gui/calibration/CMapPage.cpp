#include "calibration/CMapPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/CVeldranixDoc.h"
#include "calibration/CTimeCorrChart.h"
#include "controls/CColorStatic.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

namespace {
constexpr int kLineTickMs = 100;
constexpr const char* kStartText = "Autokalibracja";
constexpr const char* kStopText = "Wyłącz kalibrację";
} // namespace

CMapPage::CMapPage(CVeldranixDoc& doc, QWidget* parent) : CAppPropPage(parent), m_doc(doc)
{
    build();
    m_lineTimer.setInterval(kLineTickMs);
    connect(&m_lineTimer, &QTimer::timeout, this, [this] {
        m_doc.multiplier().tick();
        if (!m_doc.multiplier().lineWriteTimer().running())
            m_lineTimer.stop();
    });
    connect(&m_doc, &CVeldranixDoc::changed, this, &CMapPage::documentChanged);
    connect(&m_doc, &CVeldranixDoc::historyChanged, this, &CMapPage::lineChanged);
    connect(&m_doc, &CVeldranixDoc::comparisonChanged, this, &CMapPage::showComparison);
    m_doc.multiplier().setView(this);
    applyTexts();
    reload();
}

CMapPage::~CMapPage()
{
    if (&m_doc.multiplier().view() == static_cast<ICalibrationView*>(this))
        m_doc.multiplier().setView(nullptr);
}

QString CMapPage::title() const
{
    return qs(translate("Kalibracja"));
}

// ---- building ----

void CMapPage::build()
{
    m_chart = new CTimeCorrChart(m_doc.multiplier(), this);
    connect(m_chart, &CTimeCorrChart::corrChanged, this,
            [this](int index, double multiplier) { m_doc.multiplier().onCorrChanged(index, multiplier); });
    connect(m_chart, &CTimeCorrChart::incrementAll, this, [this](bool up) { m_doc.multiplier().onIncrementAll(up); });

    m_hint = new QLabel(this);
    setTextId(m_hint, calids::Hint);
    m_hint->setWordWrap(true);
    m_hint->setForegroundRole(QPalette::PlaceholderText);

    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(m_chart, 1);
    left->addWidget(m_hint);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(8);
    layout->addLayout(left, 1);
    layout->addWidget(buildPanel());
}

QWidget* CMapPage::buildPanel()
{
    auto* panel = new QWidget(this);
    panel->setMaximumWidth(250);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto button = [&](int id) {
        auto* b = new QPushButton(panel);
        setTextId(b, id);
        return b;
    };
    m_btnAuto = new QPushButton(panel);
    QFont bold = m_btnAuto->font();
    bold.setBold(true);
    m_btnAuto->setFont(bold);
    m_btnAuto->setMinimumHeight(m_btnAuto->sizeHint().height() + 8);
    connect(m_btnAuto, &QPushButton::clicked, this, &CMapPage::onAutoButton);
    column->addWidget(m_btnAuto);
    m_progress = new QProgressBar(panel);
    m_progress->setRange(0, 100);
    m_progress->hide();
    column->addWidget(m_progress);

    // Live values and fill levels: a caption over each value keeps the column narrow in every language.
    QFont valueFont = font();
    valueFont.setPixelSize(16);
    valueFont.setBold(true);
    auto* values = new QGridLayout;
    values->setHorizontalSpacing(6);
    values->setVerticalSpacing(3);
    int row = 0;
    auto value = [&](int captionId, const QColor& colour) {
        auto* caption = new QLabel(panel);
        setTextId(caption, captionId);
        caption->setWordWrap(true);
        auto* v = new CColorStatic(panel);
        v->setFont(valueFont);
        v->setColors(colour, Qt::white);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("88.88 ms")) + 10);
        v->setMinimumHeight(QFontMetrics(valueFont).height() + 6);
        values->addWidget(caption, row, 0);
        values->addWidget(v, row, 1, Qt::AlignVCenter);
        ++row;
        return v;
    };
    m_petrolTime = value(calids::PetrolTime, colors::Petrol);
    m_gasTime = value(calids::GasTime, colors::Gas);
    m_mainCorr = value(calids::MainCorr, colors::Rpm);
    m_petrolFill = value(calids::PetrolFill, colors::Petrol);
    m_gasFill = value(calids::GasFill, colors::Gas);
    values->setColumnStretch(0, 1);
    column->addLayout(values);

    m_btnClearPetrol = button(calids::BtnClearPetrol);
    m_lock = new QCheckBox(panel);
    setTextId(m_lock, calids::Lock);
    m_btnClearGas = button(calids::BtnClearGas);
    m_btnCreate = button(calids::BtnCreate);
    m_btnClearLine = button(calids::BtnClearLine);
    // Kept for their handlers but not shown: the line is set on the chart or by the autocalibration.
    m_btnCreate->hide();
    m_btnClearLine->hide();
    auto* petrolRow = new QHBoxLayout;
    petrolRow->addWidget(m_btnClearPetrol, 1);
    petrolRow->addWidget(m_lock);
    column->addLayout(petrolRow);
    column->addWidget(m_btnClearGas);
    column->addWidget(m_btnCreate);
    column->addWidget(m_btnClearLine);
    connect(m_btnClearPetrol, &QPushButton::clicked, this, [this] { m_doc.multiplier().clearPetrolMap(); });
    connect(m_btnClearGas, &QPushButton::clicked, this, [this] { m_doc.multiplier().clearGasMap(); });
    connect(m_btnCreate, &QPushButton::clicked, this, [this] { m_doc.multiplier().createLine(); });
    connect(m_btnClearLine, &QPushButton::clicked, this, [this] { m_doc.multiplier().clearLine(); });
    connect(m_lock, &QCheckBox::toggled, this, [](bool on) { CMultiplierCalibration::setPetrolMapLocked(on); });

    m_comparisonBox = new QWidget(panel);
    auto* compare = new QVBoxLayout(m_comparisonBox);
    compare->setContentsMargins(0, 6, 0, 0);
    compare->setSpacing(2);
    auto* compareCaption = new QLabel(m_comparisonBox);
    setTextId(compareCaption, calids::ComparedWith);
    m_comparisonName = new QLabel(m_comparisonBox);
    m_comparisonName->setWordWrap(true);
    QFont nameFont = m_comparisonName->font();
    nameFont.setBold(true);
    m_comparisonName->setFont(nameFont);
    m_btnEndCompare = new QPushButton(m_comparisonBox);
    setTextId(m_btnEndCompare, calids::EndCompare);
    connect(m_btnEndCompare, &QPushButton::clicked, this, [this] { m_doc.endComparison(); });
    compare->addWidget(compareCaption);
    compare->addWidget(m_comparisonName);
    compare->addWidget(m_btnEndCompare);
    m_comparisonBox->hide();
    column->addWidget(m_comparisonBox);
    column->addStretch(1);
    return panel;
}

QWidget* CMapPage::control(int id) const
{
    switch (id) {
    case calids::BtnAuto: return m_btnAuto;
    case calids::BtnClearPetrol: return m_btnClearPetrol;
    case calids::BtnClearGas: return m_btnClearGas;
    case calids::BtnCreate: return m_btnCreate;
    case calids::BtnClearLine: return m_btnClearLine;
    case calids::Lock: return m_lock;
    case calids::Progress: return m_progress;
    case calids::EndCompare: return m_btnEndCompare;
    default: return nullptr;
    }
}

// ---- the page's life ----

void CMapPage::applyTexts()
{
    CWidgetTextTarget target(this, false);
    try {
        // A page has no caption of its own (its tab title is title()): the window table's apply.
        CMultiLangWnd::apply(target);
    } catch (const IError&) {
        // A table without a text leaves the page's labels as they were.
    }
    m_btnAuto->setText(qs(translate(m_busy ? kStopText : kStartText)));
    m_chart->applyTexts();
}

void CMapPage::reload()
{
    m_lock->setChecked(CMultiplierCalibration::petrolMapLocked());
    showValues();
    showComparison();
    m_chart->mapsChanged();
}

void CMapPage::activate()
{
    // Samples that came while another page was shown are not this page's to count.
    m_doc.multiplier().skipWaitingSamples();
    reload();
    if (m_doc.isConnected())
        m_doc.multiplier().readMaps();
}

void CMapPage::liveUpdate(unsigned /*tick*/)
{
    if (!m_doc.isConnected())
        return;
    m_doc.multiplier().takeNewSamples();
}

void CMapPage::documentChanged(const DeviceChange& change)
{
    const bool connection = change.has(DeviceChange::Connection) || change.has(DeviceChange::Replaced);
    if (connection || change.hasBlock(SettingsBlock::SetupTimes) || change.hasBlock(SettingsBlock::MainCorr)) {
        showValues();
        lineChanged();
    }
    // A controller found again while the page is shown: its maps, once the connection has settled.
    if (change.has(DeviceChange::Connection) && m_doc.isConnected() && isVisible())
        QTimer::singleShot(0, this, [this] {
            if (m_doc.isConnected() && isVisible())
                activate();
        });
}

void CMapPage::showValues()
{
    const CMultiplierCalibration& m = m_doc.multiplier();
    const bool live = m_doc.isConnected();
    m_chart->setLiveShown(live);
    m_petrolTime->setValueText(live ? qs(m.livePetrolText()) : QString());
    m_gasTime->setValueText(live ? qs(m.liveGasText()) : QString());
    m_mainCorr->setValueText(qs(m.mainCorrectionText()));
    m_petrolFill->setValueText(qs(m.petrolFillText()));
    m_gasFill->setValueText(qs(m.gasFillText()));
}

void CMapPage::showComparison()
{
    const CDeviceSettings* file = m_doc.comparison();
    m_chart->setComparisonLine(file ? std::optional<MultiplierLine>(file->m_setupTimes1) : std::nullopt);
    m_comparisonName->setText(file ? qs(m_doc.comparisonName()) : QString());
    m_comparisonBox->setVisible(file != nullptr);
}

// ---- what the model tells ----

void CMapPage::lineChanged()
{
    m_chart->lineChanged();
    armLineTimer();
}

void CMapPage::mapsChanged()
{
    showValues();
    m_chart->mapsChanged();
}

void CMapPage::liveChanged()
{
    showValues();
    m_chart->liveChanged();
}

void CMapPage::mainCorrectionChanged()
{
    m_mainCorr->setValueText(qs(m_doc.multiplier().mainCorrectionText()));
}

void CMapPage::busyChanged(bool busy)
{
    m_busy = busy;
    m_btnAuto->setText(qs(translate(busy ? kStopText : kStartText)));
    showBusyState();
    emit m_doc.calibratingChanged(busy);
}

void CMapPage::tabsEnabled(bool enabled)
{
    m_running = !enabled;
    QTabWidget* tabs = nullptr;
    for (QWidget* w = parentWidget(); w && !tabs; w = w->parentWidget())
        tabs = qobject_cast<QTabWidget*>(w);
    if (tabs) {
        tabs->tabBar()->setEnabled(enabled);
        // The sheet's Ctrl+Tab moves between enabled tabs even when the bar is disabled.
        if (!enabled) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i) != this && tabs->isTabEnabled(i)) {
                    tabs->setTabEnabled(i, false);
                    m_disabledTabs.push_back(i);
                }
        } else {
            for (int i : m_disabledTabs)
                tabs->setTabEnabled(i, true);
            m_disabledTabs.clear();
        }
    }
    showBusyState();
}

void CMapPage::progressChanged(int percent)
{
    m_progress->setValue(percent);
}

void CMapPage::showBusyState()
{
    const bool locked = m_busy || m_running;
    for (QWidget* w : std::initializer_list<QWidget*>{m_chart, m_btnClearPetrol, m_btnClearGas, m_btnCreate,
                                                      m_btnClearLine, m_lock, m_btnEndCompare})
        w->setEnabled(!locked);
    m_progress->setVisible(m_running);
    if (!m_running)
        m_progress->setValue(0);
}

void CMapPage::armLineTimer()
{
    if (m_doc.multiplier().lineWriteTimer().running() && !m_lineTimer.isActive())
        m_lineTimer.start();
}

void CMapPage::onAutoButton()
{
    if (!m_doc.isConnected())
        return;
    // A stopped run that is still taking the car back to petrol: not the moment for a new one.
    if (m_running && !m_doc.calibrating())
        return;
    m_doc.autoCalibration().onButton();
}

} // namespace tarvola::gui
