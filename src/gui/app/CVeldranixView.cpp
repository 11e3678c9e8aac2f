#include "app/CVeldranixView.h"

#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CVeldranixDoc.h"
#include "app/DataFolder.h"
#include "calibration/CMainCorrDlg.h"
#include "calibration/CMapCorrPage.h"
#include "calibration/CMapPage.h"
#include "lang/CLangDlg.h"
#include "lang/CommonTexts.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/CChartsDlg.h"
#include "monitor/CDisplayDlg.h"
#include "monitor/COscyloskopPage.h"
#include "monitor/DiagValues.h"
#include "monitor/Readouts.h"
#include "obd/COBD2Page.h"
#include "service/CErrorsDlg.h"
#include "service/CInjSizeCalcDlg.h"
#include "service/CServiceDlg.h"
#include "service/CSettingsDlg.h"
#include "settings/SettingsPageWidget.h"

namespace tarvola::gui {

namespace {
constexpr int kVisibleCylinders = 4;  // columns and rows 5 to 8 stay hidden
constexpr std::array<int, 7> kIndicatorIds{1162, 1163, 1164, 1165, 1166, 1167, 1168};
} // namespace

bool& blinkState()
{
    static bool state = false;
    return state;
}

CVeldranixView::CVeldranixView(CVeldranixDoc& doc, CMainFrame& frame, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_frame(frame)
{
    m_valueFont = QFont(QStringLiteral("Arial"));
    m_valueFont.setPixelSize(18);
    m_valueFont.setWeight(QFont::Bold);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(buildSwitchPanel());
    top->addWidget(buildInjectors());
    top->addWidget(buildReadouts(), 1);
    top->addWidget(buildCylinderList());

    m_sheet = new CAppPropSheet(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addWidget(m_sheet, 1);
    setMinimumSize(1000, 610);

    // The value statics' initial colours.
    for (int i = 0; i < 6; ++i)
        m_indicators[static_cast<std::size_t>(i)]->setColors(colors::Dark, colors::Dark);
    m_indicators[6]->setColors(colors::Red, colors::Red);

    connect(&m_doc, &CVeldranixDoc::changed, this, &CVeldranixView::documentChanged);
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CVeldranixView::applyLanguage);
}

CColorStatic* CVeldranixView::valueStatic(const QColor& text, int minChars)
{
    auto* s = new CColorStatic(this);
    s->setFont(m_valueFont);
    s->setColors(text, Qt::white);
    s->setMinimumWidth(QFontMetrics(m_valueFont).horizontalAdvance(QString(minChars, QChar('8'))) + 10);
    s->setMinimumHeight(QFontMetrics(m_valueFont).height() + 6);
    return s;
}

QGroupBox* CVeldranixView::boldGroup(int id)
{
    auto* group = new QGroupBox(this);
    setTextId(group, id);
    QFont f = group->font();
    f.setBold(true);
    group->setFont(f);
    return group;
}

QLabel* CVeldranixView::caption(int id)
{
    auto* l = new QLabel(this);
    setTextId(l, id);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QWidget* CVeldranixView::buildSwitchPanel()
{
    auto* group = boldGroup(viewids::Switch);
    auto* layout = new QHBoxLayout(group);
    auto* buttons = new QVBoxLayout;
    m_btnGasoline = new QPushButton(group);
    m_btnAuto = new QPushButton(group);
    m_btnLpg = new QPushButton(group);
    setTextId(m_btnGasoline, viewids::BtnGasoline);
    setTextId(m_btnAuto, viewids::BtnAuto);
    setTextId(m_btnLpg, viewids::BtnLpg);
    for (auto* b : {m_btnGasoline, m_btnAuto, m_btnLpg}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    connect(m_btnGasoline, &QPushButton::clicked, this, &CVeldranixView::OnBtnGasoline);
    connect(m_btnAuto, &QPushButton::clicked, this, &CVeldranixView::OnBtnAuto);
    connect(m_btnLpg, &QPushButton::clicked, this, &CVeldranixView::OnBtnLpg);
    layout->addLayout(buttons);

    auto* gauge = new QGridLayout;
    gauge->setSpacing(3);
    for (std::size_t i = 0; i < m_indicators.size(); ++i) {
        auto* lamp = new CColorStatic(group);
        lamp->setFixedSize(i < 5 ? QSize(26, 14) : QSize(14, 14));
        lamp->setProperty("controlId", kIndicatorIds[i]);
        m_indicators[i] = lamp;
    }
    for (int i = 0; i < 5; ++i)
        gauge->addWidget(m_indicators[static_cast<std::size_t>(i)], i, 0);
    gauge->addWidget(m_indicators[5], 0, 1);
    gauge->addWidget(m_indicators[6], 4, 1);
    layout->addLayout(gauge);
    return group;
}

QWidget* CVeldranixView::buildInjectors()
{
    auto* group = boldGroup(viewids::Injectors);
    auto* grid = new QGridLayout(group);
    grid->setSpacing(4);
    grid->addWidget(caption(viewids::RowPetrol), 2, 0);
    grid->addWidget(caption(viewids::RowGas), 3, 0);
    for (int i = 0; i < 8; ++i) {
        const auto k = static_cast<std::size_t>(i);
        m_injLabels[k] = new CColorStatic(group);
        m_injLabels[k]->setFont(m_valueFont);
        m_injLabels[k]->setColors(Qt::black, colors::LightGrey);
        m_injLabels[k]->setText(QString::number(i + 1));
        m_injChecks[k] = new QCheckBox(group);
        connect(m_injChecks[k], &QCheckBox::clicked, this, &CVeldranixView::onTurnOffEm);
        m_petrol[k] = valueStatic(colors::Petrol, 4);
        m_gas[k] = valueStatic(colors::Gas, 4);
        grid->addWidget(m_injLabels[k], 0, i + 1);
        grid->addWidget(m_injChecks[k], 1, i + 1, Qt::AlignHCenter);
        grid->addWidget(m_petrol[k], 2, i + 1);
        grid->addWidget(m_gas[k], 3, i + 1);
        if (i >= kVisibleCylinders)
            for (QWidget* w : {static_cast<QWidget*>(m_injLabels[k]), static_cast<QWidget*>(m_injChecks[k]),
                               static_cast<QWidget*>(m_petrol[k]), static_cast<QWidget*>(m_gas[k])})
                w->hide();
    }
    return group;
}

QWidget* CVeldranixView::buildReadouts()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    m_gasPressure = valueStatic(colors::GasPressure, 4);
    m_manifold = valueStatic(colors::Manifold, 4);
    m_gasTemp = valueStatic(colors::GasTemp, 4);
    m_reducerTemp = valueStatic(colors::ReducerTemp, 4);
    m_supply = valueStatic(colors::Supply, 5);
    m_rpm = valueStatic(colors::Rpm, 5);
    m_gasTime = valueStatic(colors::Gas, 5);
    m_lambda1 = valueStatic(colors::Lambda1, 4);
    m_lambda2 = valueStatic(colors::Lambda2, 4);
    int row = 0;
    auto line = [&](int captionId, int subId, CColorStatic* value) {
        if (captionId)
            grid->addWidget(caption(captionId), row, 0);
        if (subId)
            grid->addWidget(caption(subId), row, 1);
        grid->addWidget(value, row, 2);
        ++row;
    };
    line(viewids::Pressure, viewids::PressureGas, m_gasPressure);
    line(0, viewids::Manifold, m_manifold);
    line(viewids::Temperature, viewids::TemperatureGas, m_gasTemp);
    line(0, viewids::Reducer, m_reducerTemp);
    line(viewids::Voltage, viewids::Supply, m_supply);
    line(viewids::Rpm, 0, m_rpm);
    line(viewids::GasTime, 0, m_gasTime);
    // The lambda readouts are part of the form but stay hidden.
    auto* l1 = caption(viewids::Lambda1);
    auto* l2 = caption(viewids::Lambda2);
    grid->addWidget(l1, row, 0);
    grid->addWidget(m_lambda1, row++, 2);
    grid->addWidget(l2, row, 0);
    grid->addWidget(m_lambda2, row++, 2);
    for (QWidget* w : {static_cast<QWidget*>(l1), static_cast<QWidget*>(l2), static_cast<QWidget*>(m_lambda1),
                       static_cast<QWidget*>(m_lambda2)})
        w->hide();
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CVeldranixView::buildCylinderList()
{
    auto* group = boldGroup(viewids::PetrolTimes);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(3);
    for (int i = 0; i < 8; ++i) {
        const auto k = static_cast<std::size_t>(i);
        auto* label = caption(viewids::CylFirst + i);
        m_cylPetrol[k] = valueStatic(colors::Petrol, 4);
        grid->addWidget(label, i, 0);
        grid->addWidget(m_cylPetrol[k], i, 1);
        if (i >= kVisibleCylinders) {
            label->hide();
            m_cylPetrol[k]->hide();
        }
    }
    return group;
}

QPushButton* CVeldranixView::button(int id) const
{
    switch (id) {
    case viewids::BtnGasoline: return m_btnGasoline;
    case viewids::BtnAuto: return m_btnAuto;
    case viewids::BtnLpg: return m_btnLpg;
    default: return nullptr;
    }
}

// ---- the view's life ----

void CVeldranixView::firstUpdate()
{
    applyLanguage();
    if (!m_doc.isConnected())
        m_doc.CLPGDevice::connect();
    m_sheet->addPage(new SettingsPageWidget(m_doc, petrolPage(), m_sheet));
    m_sheet->addPage(new SettingsPageWidget(m_doc, gasPage(), m_sheet));
    m_sheet->addPage(new SettingsPageWidget(m_doc, switchPage(), m_sheet));
    m_sheet->addPage(new SettingsPageWidget(m_doc, advancedPage(), m_sheet));
    m_sheet->addPage(new CMapPage(m_doc, m_sheet));
    m_sheet->addPage(new CMapCorrPage(m_doc, m_sheet));
    m_sheet->addPage(new COscyloskopPage(m_doc, false, m_sheet));
    m_sheet->addPage(new COBD2Page(m_doc, m_sheet));
    m_initialised = true;
    applyLanguage();
    if (!m_doc.isConnected())
        emptyValues();
    if (m_doc.isConnected())
        m_frame.startPolling();
    else
        m_frame.startReconnectTimer(5000);
}

void CVeldranixView::applyLanguage()
{
    CWidgetTextTarget target(this, false);
    try {
        apply(target);
    } catch (const IError&) {
        // A missing text leaves the labels as they were.
    }
    m_sheet->applyTexts();
    if (CAppPropPage* page = m_sheet->activePage())
        page->reload();
}

void CVeldranixView::documentChanged(const DeviceChange& change)
{
    if (change.has(DeviceChange::Connection) && !m_doc.isConnected())
        emptyValues();
}

void CVeldranixView::emptyValues()
{
    for (auto* s : m_petrol)
        s->setValueText(QString());
    for (auto* s : m_gas)
        s->setValueText(QString());
    for (auto* s : m_cylPetrol)
        s->setValueText(QString());
    for (auto* s : {m_lambda1, m_lambda2, m_gasTime, m_gasPressure, m_rpm, m_gasTemp, m_reducerTemp, m_manifold,
                    m_supply})
        s->setValueText(QString());
}

void CVeldranixView::liveRefresh()
{
    if (!m_doc.isConnected())
        return;
    CDiag sample;
    if (!m_doc.diagData().newest(sample))
        return;
    ++m_tick;
    if (fuelGaugeTick(m_tick))
        switchPanel(sample);
    const DiagContext context = contextFrom(m_doc.m_settings);
    const DiagValues v = diagValues(sample, context);
    const ReadoutTexts t = readoutTexts(sample, context, Channel3Repeat::Apply);
    for (std::size_t i = 0; i < 8; ++i) {
        m_petrol[i]->setValueText(t.petrol[i]);
        m_gas[i]->setValueText(t.gas[i]);
        m_cylPetrol[i]->setValueText(t.petrol[i]);
    }
    m_gasPressure->setValueText(t.gasPressure);
    m_manifold->setValueText(t.manifold);
    m_gasTemp->setValueText(t.gasTemp);
    m_reducerTemp->setValueText(t.reducerTemp);
    m_supply->setValueText(t.supply);
    m_rpm->setValueText(t.rpm);
    m_lambda1->setValueText(t.lambda1);
    m_lambda2->setValueText(t.lambda2);
    m_gasTime->setValueText(t.gasTime);
    for (std::size_t i = 0; i < 8; ++i) {
        const bool on = (v.activeInjectors >> i) & 1;
        if (m_injChecks[i]->isChecked() != on)
            m_injChecks[i]->setChecked(on);
        m_injLabels[i]->setColors(Qt::black, on && v.workMode == ModeGas ? colors::ActiveGreen : colors::LightGrey);
    }
    if (CAppPropPage* page = m_sheet->activePage())
        page->liveUpdate(m_tick);
    if (!m_shownLive) {
        m_shownLive = true;
        emit firstLiveValue();
    }
}

void CVeldranixView::switchPanel(const CDiag& sample)
{
    const DiagValues v = diagValues(sample, contextFrom(m_doc.m_settings));
    if (v.workMode == ModeGas) {
        showFuelGauge(v.fuelLevel);
        return;
    }
    for (int i = 0; i < 5; ++i)
        m_indicators[static_cast<std::size_t>(i)]->setColors(colors::Dark, colors::Dark);
    if (v.switchOn) {
        bool& blink = blinkState();
        const QColor lamp = blink ? colors::LampGreen : colors::Dark;
        m_indicators[5]->setColors(lamp, lamp);
        blink = !blink;
    } else {
        m_indicators[5]->setColors(colors::Dark, colors::Dark);
    }
}

void CVeldranixView::showFuelGauge(std::uint8_t level)
{
    const int lit = fuelLampsLit(level, m_doc.m_settings.m_sensorsSetup);
    // Indicator 1162 is the top of the column, 1165 the bottom lamp of the gauge.
    for (int i = 0; i < 4; ++i) {
        const QColor c = fuelLampOn(i, lit) ? colors::LampGreen : colors::Dark;
        m_indicators[static_cast<std::size_t>(i)]->setColors(c, c);
    }
    m_indicators[4]->setColors(colors::Red, colors::Red);
    m_indicators[5]->setColors(colors::LampGreen, colors::LampGreen);
}

// ---- handlers ----

void CVeldranixView::showError(const char* handler, const IError& error)
{
    m_doc.prompt().errorBox(handler, error);
}

void CVeldranixView::runWorkModeSwitch(const char* handler, const std::function<bool()>& command,
                                       const char* failure)
{
    try {
        CBusyScope busy(m_doc.prompt());
        if (!command())
            m_doc.prompt().error(translate(failure));
    } catch (const IError& e) {
        showError(handler, e);
    }
}

void CVeldranixView::OnBtnGasoline()
{
    if (!m_doc.isConnected() || m_doc.calibrating())
        return;
    runWorkModeSwitch("CVeldranixView::OnBtnGasoline()", [this] { return m_doc.switchToPetrol(); },
                      "Nie powiodło się przełączenie na benzynę!");
}

void CVeldranixView::OnBtnAuto()
{
    if (!m_doc.isConnected() || m_doc.calibrating())
        return;
    runWorkModeSwitch("CVeldranixView::OnBtnAuto()",
                      [this] { return m_doc.goToAutomatic(); },
                      kAutoModeFailedText);
}

// The gas button works during a calibration too: it is how the fitter takes the car back to gas.
void CVeldranixView::OnBtnLpg()
{
    if (!m_doc.isConnected())
        return;
    runWorkModeSwitch("CVeldranixView::OnBtnLpg()", [this] { return m_doc.switchToGas(); },
                      "Nie powiodło się przełączenie na gaz!");
}

void CVeldranixView::onTurnOffEm()
{
    if (!m_doc.isConnected())
        return;
    try {
        CBusyScope busy(m_doc.prompt());
        CDiag sample;
        m_doc.diagData().newest(sample);
        if (!m_doc.acceptsInjectorMask(sample.workMode()))
            return;
        std::array<bool, 8> onGas{};
        for (std::size_t i = 0; i < onGas.size(); ++i)
            onGas[i] = m_injChecks[i]->isChecked();
        if (!m_doc.setActiveInjectors(CLPGDevice::injectorMask(onGas)))
            m_doc.prompt().error(translate(kDeviceSettingFailedText));
    } catch (const IError& e) {
        showError("CVeldranixView::onTurnOffEm()", e);
    }
}

void CVeldranixView::showLargeDisplay()
{
    CDisplayDlg::openOnce(m_doc, window());
}

void CVeldranixView::onCommand(int command)
{
    switch (command) {
    case ids::CmdMainCorr:
        if (!m_doc.calibrating())
            CMainCorrDlg::openOnce(m_doc, window());
        break;
    case ids::CmdErrors:
        if (!m_doc.calibrating())
            CErrorsDlg::open(m_doc, window());
        break;
    case ids::CmdService:
        if (!m_doc.calibrating())
            CServiceDlg::open(m_doc, window());
        break;
    case ids::CmdInjCalc:
        CInjSizeCalcDlg::open(m_doc, window());
        break;
    case ids::CmdSettings:
        if (!m_doc.calibrating())
            CSettingsDlg::open(m_doc, window());
        break;
    case ids::CmdCharts:
        if (!m_doc.calibrating())
            CChartsDlg::openOnce(m_doc, window());
        break;
    case ids::CmdLanguage: {
        CLangDlg dlg(window());
        if (dlg.exec() == QDialog::Accepted && dlg.chosenLanguage() >= 0)
            m_doc.SetLanguage(dlg.chosenLanguage());
        break;
    }
    case ids::CmdHelp:
        QDesktopServices::openUrl(QUrl::fromLocalFile(guidePage(currentLanguage())));
        break;
    case ids::CmdAbout: {
        CAboutDlg dlg(window());
        dlg.exec();
        break;
    }
    case ids::CmdLargeDisplay:
        showLargeDisplay();
        break;
    default:
        break;
    }
}

} // namespace tarvola::gui
