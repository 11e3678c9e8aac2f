#include "service/CServiceDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "app/CVeldranixDoc.h"
#include "controls/CColorStatic.h"
#include "lang/CommonTexts.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "settings/ServiceInfo.h"

namespace tarvola::gui {

namespace {

constexpr const char* kDistanceRefusedText = "Wpisz odległość od 0 do %d km albo wybierz ją z listy";

void applyTable(QWidget* window, const CWindowTexts& texts)
{
    CWidgetTextTarget target(window);
    try {
        texts.apply(target);
    } catch (const IError&) {
        // A table without a text leaves the window's labels as they were.
    }
}

QLabel* valueLabel(QWidget* parent, int id, const QColor& colour)
{
    auto* value = new QLabel(parent);
    value->setObjectName(QStringLiteral("value%1").arg(id));
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("00000 : 00 : 00")) + 12);
    QPalette p = value->palette();
    p.setColor(QPalette::WindowText, colour);
    value->setPalette(p);
    return value;
}

std::uint32_t largestServiceKm()
{
    return serviceDistanceChoices().back().km;
}

} // namespace

// ---- "Informacje o pojeździe" ----

CServiceDlg::CServiceDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto addRow = [this](QGridLayout* grid, int row, int labelId, int valueId, const QColor& colour) {
        auto* label = new QLabel(this);
        setTextId(label, labelId);
        grid->addWidget(label, row, 0);
        grid->addWidget(valueLabel(this, valueId, colour), row, 1);
    };

    auto* running = new QGroupBox(this);
    setTextId(running, serviceids::RunningGroup);
    auto* runningGrid = new QGridLayout(running);
    addRow(runningGrid, 0, serviceids::PetrolLabel, serviceids::PetrolTime, colors::Gas);
    addRow(runningGrid, 1, serviceids::GasLabel, serviceids::GasTime, colors::Gas);
    addRow(runningGrid, 2, serviceids::StampLabel, serviceids::Stamp, colors::Red);
    addRow(runningGrid, 3, serviceids::ThisPcLabel, serviceids::ThisPc, colors::Gas);
    runningGrid->setColumnStretch(0, 1);
    layout->addWidget(running);

    auto* service = new QGroupBox(this);
    setTextId(service, serviceids::ServiceGroup);
    auto* serviceGrid = new QGridLayout(service);
    addRow(serviceGrid, 0, serviceids::RemainingLabel, serviceids::Remaining, colors::Gas);
    auto* unit = new QLabel(QStringLiteral("h"), this);
    unit->setObjectName(QStringLiteral("value%1").arg(serviceids::HoursUnit));
    serviceGrid->addWidget(unit, 0, 2);
    auto* set = new QPushButton(this);
    setTextId(set, serviceids::Set);
    set->setAutoDefault(false);
    connect(set, &QPushButton::clicked, this, &CServiceDlg::OnBtnSet);
    serviceGrid->addWidget(set, 1, 1, Qt::AlignRight);
    serviceGrid->setColumnStretch(0, 1);
    layout->addWidget(service);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(this);
    setTextId(ok, ids::Ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    applyTexts();
    connect(&m_doc, &CVeldranixDoc::changed, this, &CServiceDlg::documentChanged);
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CServiceDlg::applyTexts);

    if (m_doc.isConnected()) {
        try {
            m_statisticsRead = m_doc.readStatistics();
        } catch (const IError& e) {
            m_doc.prompt().errorBox("CServiceDlg::OnInitDialog()", e);
        }
    }
    refresh();
}

void CServiceDlg::open(CVeldranixDoc& doc, QWidget* parent)
{
    CServiceDlg dlg(doc, parent);
    dlg.exec();
}

QLabel* CServiceDlg::field(int id) const
{
    return findChild<QLabel*>(QStringLiteral("value%1").arg(id));
}

void CServiceDlg::applyTexts()
{
    applyTable(this, *this);
}

void CServiceDlg::OnBtnSet()
{
    CSetServiceDlg dlg(m_doc, this);
    dlg.exec();
    refresh();
}

void CServiceDlg::documentChanged(const DeviceChange& change)
{
    // A new connection brings other counters; a controller gone leaves the last ones read.
    if (change.has(DeviceChange::Replaced))
        m_statisticsRead = false;
    refresh();
}

void CServiceDlg::refresh()
{
    const VehicleServiceInfo info = vehicleServiceInfo(m_doc.m_settings, m_statisticsRead);
    field(serviceids::PetrolTime)->setText(info.petrolTime ? qs(info.petrolTime->text()) : QString());
    field(serviceids::GasTime)->setText(info.gasTime ? qs(info.gasTime->text()) : QString());
    field(serviceids::Stamp)->setText(qs(info.stampText));
    field(serviceids::ThisPc)->setText(qs(info.thisPcDisplayText()));
    field(serviceids::Remaining)->setText(info.remainingHours ? QString::number(*info.remainingHours) : QString());
    field(serviceids::HoursUnit)->setVisible(info.remainingHours.has_value());
}

// ---- "Następny przegląd" ----

CSetServiceDlg::CSetServiceDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(this);
    setTextId(label, setserviceids::DistanceLabel);
    row->addWidget(label);
    m_distance = new QComboBox(this);
    setTextId(m_distance, setserviceids::Distance);
    // The list holds the usual distances; a fitter may type another one.
    m_distance->setEditable(true);
    m_distance->setInsertPolicy(QComboBox::NoInsert);
    m_distance->setMaxVisibleItems(20);
    label->setBuddy(m_distance);
    row->addWidget(m_distance);
    row->addWidget(new QLabel(QStringLiteral("km"), this));
    row->addStretch(1);
    layout->addLayout(row);

    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("refusal"));
    m_refusal->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
    m_refusal->hide();
    layout->addWidget(m_refusal);
    connect(m_distance, &QComboBox::editTextChanged, this, [this] {
        m_refused = false;
        showRefusal();
    });

    auto* note = new QLabel(this);
    setTextId(note, setserviceids::Note);
    layout->addWidget(note);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(this);
    setTextId(ok, ids::Ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSetServiceDlg::onOk);
    buttons->addWidget(ok);
    auto* cancel = new QPushButton(this);
    setTextId(cancel, ids::Cancel);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    for (const auto& choice : serviceDistanceChoices())
        m_distance->addItem(qs(choice.km == 0 ? translate(choice.text) : choice.text), choice.km);
    m_distance->setCurrentIndex(0);
    applyTexts();
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CSetServiceDlg::applyTexts);
}

void CSetServiceDlg::applyTexts()
{
    applyTable(this, *this);
    // "Wyłączony" in the new language; a typed distance, and its refusal, stay as they were.
    const QString typed = m_distance->currentText();
    const bool onOff = typed == m_distance->itemText(0);
    const bool refused = m_refused;
    m_distance->setItemText(0, qs(translate(serviceDistanceChoices().front().text)));
    m_distance->setEditText(onOff ? m_distance->itemText(0) : typed);
    m_refused = refused;
    // Wide enough for the longest entry in this language, arrow included.
    int widest = 0;
    for (int i = 0; i < m_distance->count(); ++i)
        widest = std::max(widest, m_distance->fontMetrics().horizontalAdvance(m_distance->itemText(i)));
    m_distance->setMinimumWidth(widest + 48);
    showRefusal();
}

std::optional<std::uint32_t> CSetServiceDlg::chosenKm() const
{
    const QString text = m_distance->currentText().trimmed();
    const int listed = m_distance->findText(text, Qt::MatchFixedString);
    if (listed >= 0)
        return m_distance->itemData(listed).toUInt();
    const std::string digits = text.toStdString();
    std::uint32_t km = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), km);
    if (digits.empty() || r.ec != std::errc() || r.ptr != digits.data() + digits.size() || km > largestServiceKm())
        return std::nullopt;
    return km;
}

void CSetServiceDlg::onOk()
{
    const auto km = chosenKm();
    if (!km) {
        m_refused = true;
        showRefusal();
        m_distance->setFocus();
        m_distance->lineEdit()->selectAll();
        return;
    }
    if (!m_doc.isConnected()) {
        m_doc.prompt().error(translate(kDeviceSettingFailedText));
        return;
    }
    // A refused write must not leave the record promising a service the controller does not know.
    const auto before = m_doc.m_settings.m_advancedSetup;
    try {
        setNextService(m_doc.m_settings, *km);
        if (m_doc.writeSettings(SettingsBlock::AdvancedSetup)) {
            accept();
            return;
        }
        m_doc.m_settings.m_advancedSetup = before;
        m_doc.prompt().error(translate(kDeviceSettingFailedText));
    } catch (const IError& e) {
        m_doc.m_settings.m_advancedSetup = before;
        m_doc.prompt().errorBox("CServiceCtrlDlg::OnOK()", e);
    }
}

void CSetServiceDlg::showRefusal()
{
    m_refusal->setText(m_refused ? qs(translate(kDistanceRefusedText))
                                       .replace(QStringLiteral("%d"), QString::number(largestServiceKm()))
                                 : QString());
    m_refusal->setVisible(m_refused);
}

} // namespace tarvola::gui
