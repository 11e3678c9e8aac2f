#include "service/CInjSizeCalcDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/CVeldranixDoc.h"
#include "controls/CValueCmbBox.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

namespace {

constexpr const char* kPowerRefusedText = "Moc silnika może wynosić najwyżej %d KM";

QString powerRefusal()
{
    return qs(translate(kPowerRefusedText))
        .replace(QStringLiteral("%d"), QString::number(static_cast<int>(kMaxPowerHp)));
}

} // namespace

CInjSizeCalcDlg::CInjSizeCalcDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* grid = new QGridLayout;
    auto label = [this, grid](int id, int row) {
        auto* l = new QLabel(this);
        setTextId(l, id);
        grid->addWidget(l, row, 0);
        return l;
    };

    m_type = new CStrValueCmbBox(this);
    setTextId(m_type, injcalcids::Type);
    label(injcalcids::TypeLabel, 0)->setBuddy(m_type);
    grid->addWidget(m_type, 0, 1, 1, 2, Qt::AlignLeft);

    m_cylinders = new CValueCmbBox(this);
    setTextId(m_cylinders, injcalcids::Cylinders);
    label(injcalcids::CylindersLabel, 1)->setBuddy(m_cylinders);
    grid->addWidget(m_cylinders, 1, 1, 1, 2, Qt::AlignLeft);

    // The power box with its spin control: an up arrow over a down arrow.
    auto* powerRow = new QHBoxLayout;
    powerRow->setSpacing(0);
    m_power = new QLineEdit(QString::number(kDefaultPowerHp), this);
    setTextId(m_power, injcalcids::Power);
    m_power->setAlignment(Qt::AlignRight);
    m_power->setFixedWidth(m_power->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    powerRow->addWidget(m_power);
    auto* spin = new QWidget(this);
    setTextId(spin, injcalcids::Spin);
    auto* arrows = new QVBoxLayout(spin);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const int step : {1, -1}) {
        auto* arrow = new QToolButton(spin);
        arrow->setObjectName(step > 0 ? QStringLiteral("powerUp") : QStringLiteral("powerDown"));
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(20, m_power->sizeHint().height() / 2);
        arrow->setAutoRepeat(true);
        connect(arrow, &QToolButton::clicked, this, [this, step] { stepPower(step); });
        arrows->addWidget(arrow);
    }
    powerRow->addWidget(spin);
    label(injcalcids::PowerLabel, 2)->setBuddy(m_power);
    grid->addLayout(powerRow, 2, 1, Qt::AlignLeft);
    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("refusal"));
    m_refusal->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
    m_refusal->hide();
    grid->addWidget(m_refusal, 2, 2);
    // A corrected power is the user's answer to the refusal: the message goes with the first key.
    connect(m_power, &QLineEdit::textEdited, this, [this] {
        m_refused = InjectorSizeError::None;
        showRefusal();
    });

    m_result = new QLineEdit(this);
    setTextId(m_result, injcalcids::Result);
    m_result->setReadOnly(true);
    m_result->setAlignment(Qt::AlignRight);
    m_result->setFixedWidth(m_power->width());
    label(injcalcids::ResultLabel, 3);
    grid->addWidget(m_result, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* calculate = new QPushButton(this);
    setTextId(calculate, injcalcids::Calculate);
    calculate->setDefault(true);
    connect(calculate, &QPushButton::clicked, this, &CInjSizeCalcDlg::OnBtnCalculate);
    buttons->addWidget(calculate);
    auto* close = new QPushButton(this);
    setTextId(close, injcalcids::Close);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    applyTexts();
    connect(&doc, &CVeldranixDoc::languageChanged, this, &CInjSizeCalcDlg::applyTexts);
}

void CInjSizeCalcDlg::open(CVeldranixDoc& doc, QWidget* parent)
{
    CInjSizeCalcDlg dlg(doc, parent);
    dlg.exec();
}

QString CInjSizeCalcDlg::resultText() const
{
    return m_result->text();
}

void CInjSizeCalcDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
    fillLists();
    showRefusal();
}

void CInjSizeCalcDlg::fillLists()
{
    // fill() keeps the selected entries, so a change of language keeps the user's choice.
    std::vector<PageItem> types;
    for (const InjectionType t : kInjectionTypes)
        types.push_back({static_cast<double>(t), 0, injectionTypeText(t)});
    m_type->fill(types);
    std::vector<PageItem> cylinders;
    for (const int c : kOfferedCylinderCounts)
        cylinders.push_back({static_cast<double>(c), 0, nullptr});
    m_cylinders->fill(cylinders);
}

void CInjSizeCalcDlg::OnBtnCalculate()
{
    const auto typeValue = m_type->selectedValue();
    const auto type = injectionTypeFromValue(typeValue ? static_cast<int>(*typeValue) : -1);
    const auto cylinders = m_cylinders->selectedValue();
    const auto result = calculateInjectorSize(parsePowerText(m_power->text().toStdString()),
                                              cylinders ? static_cast<int>(*cylinders) : 0,
                                              type.value_or(InjectionType::Sequential));
    m_refused = result.error;
    m_result->setText(qs(result.text()));
    showRefusal();
    if (m_refused == InjectorSizeError::BadPower) {
        m_power->setFocus();
        m_power->selectAll();
    }
}

void CInjSizeCalcDlg::stepPower(int step)
{
    const double power = parsePowerText(m_power->text().toStdString());
    // A power past what the calculation takes has nothing to step from; the box keeps it.
    if (!(power >= 0 && power <= kMaxPowerHp))
        return;
    const int hp = static_cast<int>(power);
    const int stepped = tarvola::stepPower(hp, step);
    if (stepped != hp)
        m_power->setText(QString::number(stepped));
}

void CInjSizeCalcDlg::showRefusal()
{
    // The lists always hold a selection, so only the typed power can be refused.
    const bool refused = m_refused == InjectorSizeError::BadPower;
    m_refusal->setText(refused ? powerRefusal() : QString());
    m_refusal->setVisible(refused);
}

} // namespace tarvola::gui
