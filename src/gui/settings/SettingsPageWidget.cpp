#include "settings/SettingsPageWidget.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <cmath>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/CDiag.h"
#include "monitor/DiagValues.h"
#include "service/SettingsChange.h"
#include "settings/CPasswdDlg.h"

namespace tarvola::gui {

SettingsPageWidget::SettingsPageWidget(CVeldranixDoc& doc, const SettingsPage& page, QWidget* parent)
    : CAppPropPage(parent), m_doc(doc), m_page(page), m_texts(page)
{
    m_askPassword = [this] {
        CPasswdDlg dlg(window());
        return dlg.exec() == QDialog::Accepted;
    };
    build();
    applyTexts();
    for (const auto& c : m_page.controls)
        for (SettingsBlock block : c.blocks)
            m_shownBlocks.merge(DeviceChange::ofBlock(block));
    connect(&m_doc, &CVeldranixDoc::changed, this, [this](const DeviceChange& change) {
        // A hidden page redraws when it is next activated.
        const bool touched = (change.parts & (DeviceChange::Connection | DeviceChange::Identity |
                                              DeviceChange::Replaced)) != 0 ||
                             (change.blocks & m_shownBlocks.blocks) != 0;
        if (touched && isVisible())
            reload();
    });
}

QWidget* SettingsPageWidget::control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void SettingsPageWidget::build()
{
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    std::vector<QVBoxLayout*> stacks;
    const std::size_t groupCount = m_page.groups.size();
    const std::size_t columnCount = groupCount > 2 ? 3 : groupCount;
    for (std::size_t i = 0; i < columnCount; ++i) {
        stacks.push_back(new QVBoxLayout);
        columns->addLayout(stacks.back(), 1);
    }
    for (std::size_t g = 0; g < groupCount; ++g) {
        auto* box = new QGroupBox(this);
        setTextId(box, m_page.groupId(static_cast<int>(g)));
        QFont f = box->font();
        f.setBold(true);
        box->setFont(f);
        auto* grid = new QGridLayout(box);
        grid->setVerticalSpacing(4);
        grid->setColumnStretch(0, 1);
        QFont normal = font();
        normal.setBold(false);
        int row = 0;
        for (const auto& c : m_page.controls) {
            if (c.group != static_cast<int>(g))
                continue;
            std::vector<QWidget*> rowWidgets;
            QWidget* widget = nullptr;
            if (c.kind == ControlKind::Check) {
                auto* check = new QCheckBox(box);
                check->setFont(normal);
                setTextId(check, c.id);
                connect(check, &QCheckBox::clicked, this, [this, id = c.id](bool on) { change(id, on ? 1 : 0); });
                grid->addWidget(check, row, 0, 1, 3);
                widget = check;
            } else if (c.kind == ControlKind::List) {
                auto* label = new QLabel(box);
                label->setFont(normal);
                label->setWordWrap(true);
                // A control without a label of its own (it continues the row above) has none to show.
                if (*c.label != '\0')
                    setTextId(label, c.id + kLabelOffset);
                auto* list = new CValueCmbBox(box);
                list->setFont(normal);
                label->setBuddy(list);
                connect(list, &QComboBox::activated, this, [this, id = c.id, list](int) {
                    if (const auto v = list->selectedValue())
                        change(id, *v);
                });
                auto* unit = new QLabel(QString::fromUtf8(c.unit), box);
                unit->setFont(normal);
                grid->addWidget(label, row, 0);
                grid->addWidget(list, row, 1);
                grid->addWidget(unit, row, 2);
                rowWidgets = {label, unit};
                widget = list;
            } else {
                auto* label = new QLabel(box);
                label->setFont(normal);
                setTextId(label, c.id + kLabelOffset);
                auto* slider = new QSlider(Qt::Horizontal, box);
                slider->setRange(0, 255);
                slider->setMinimumWidth(120);
                auto* number = new CNumEdit(0, 255, box);
                number->setFont(normal);
                label->setBuddy(slider);
                // A drag writes once, when the slider is let go; keys and clicks write at once.
                connect(slider, &QSlider::valueChanged, this, [number, slider, this, id = c.id](int v) {
                    number->setNumber(v);
                    if (!slider->isSliderDown() && !m_showing)
                        change(id, v);
                });
                connect(slider, &QSlider::sliderReleased, this, [this, slider, id = c.id] { change(id, slider->value()); });
                connect(number, &QLineEdit::editingFinished, this, [slider, number] {
                    slider->setValue(number->number(slider->value()));
                });
                grid->addWidget(label, row, 0);
                grid->addWidget(slider, row, 1);
                grid->addWidget(number, row, 2);
                rowWidgets = {label, number};
                m_numbers[c.id] = number;
                widget = slider;
            }
            rowWidgets.push_back(widget);
            m_controls[c.id] = widget;
            if (c.hidden)
                for (QWidget* w : rowWidgets)
                    w->hide();
            m_rows[c.id] = rowWidgets;
            ++row;
        }
        if (m_page.hasFuelLevel && g + 1 == groupCount)
            buildFuelLevel(grid, row);
        stacks[g % columnCount]->addWidget(box);
    }
    for (auto* s : stacks)
        s->addStretch(1);
}

void SettingsPageWidget::buildFuelLevel(QGridLayout* grid, int& row)
{
    QFont normal = font();
    normal.setBold(false);
    auto* readingLabel = new QLabel(this);
    readingLabel->setFont(normal);
    setTextId(readingLabel, fuelctl::ReadingLabel);
    m_reading = new QLabel(this);
    m_reading->setFont(normal);
    m_reading->setFrameShape(QFrame::Panel);
    m_reading->setFrameShadow(QFrame::Sunken);
    m_reading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_reading->setMinimumWidth(40);
    m_reading->setMinimumHeight(m_reading->fontMetrics().height() + 6);
    grid->addWidget(readingLabel, row, 0);
    grid->addWidget(m_reading, row, 2);
    ++row;
    auto* lamps = new QHBoxLayout;
    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        m_lamps[i] = new CColorStatic(this);
        m_lamps[i]->setFixedSize(22, 22);
        m_lamps[i]->setColors(colors::Dark, colors::Dark);
        lamps->addWidget(m_lamps[i]);
    }
    auto* reserve = new QLabel(this);
    reserve->setFont(normal);
    setTextId(reserve, fuelctl::ReserveLabel);
    lamps->addWidget(reserve);
    lamps->addStretch(1);
    grid->addLayout(lamps, row, 0, 1, 3);
    ++row;
}

QString SettingsPageWidget::title() const
{
    return qs(m_texts.text(CMultiLangText::kCaptionId));
}

void SettingsPageWidget::applyTexts()
{
    CWidgetTextTarget target(this, false);
    try {
        m_texts.apply(target);
    } catch (const IError&) {
        // A table without a text leaves the page's labels as they were.
    }
}

bool SettingsPageWidget::locked() const
{
    return m_page.needsPassword && !m_doc.unlocked();
}

void SettingsPageWidget::activate()
{
    if (locked() && m_askPassword && m_askPassword())
        m_doc.setUnlocked();
    reload();
}

void SettingsPageWidget::reload()
{
    m_showing = true;
    for (const auto& c : m_page.controls)
        if (auto* list = qobject_cast<CValueCmbBox*>(control(c.id)))
            list->fill(c.items);
    m_showing = false;
    showRecord();
    if (m_page.needsPassword)
        showLocked();
}

void SettingsPageWidget::showLocked()
{
    const bool show = !locked();
    for (const auto& c : m_page.controls)
        for (QWidget* w : m_rows[c.id])
            w->setVisible(show && !c.hidden);
    for (QGroupBox* box : findChildren<QGroupBox*>())
        box->setVisible(show);
}

void SettingsPageWidget::showRecord()
{
    m_showing = true;
    const CDeviceSettings& s = m_doc.m_settings;
    for (const auto& c : m_page.controls) {
        QWidget* w = control(c.id);
        const double v = c.get(s);
        if (auto* list = qobject_cast<CValueCmbBox*>(w)) {
            if (!list->selectValue(v) && c.clearWhenNoMatch)
                list->setCurrentIndex(-1);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(v != 0);
        } else if (auto* slider = qobject_cast<QSlider*>(w)) {
            if (std::isfinite(v))
                slider->setValue(static_cast<int>(v));
            m_numbers[c.id]->setNumber(slider->value());
        }
        if (c.minVersion != 0 && !c.hidden) {
            const bool shown = s.m_devInfo.m_version >= c.minVersion;
            for (QWidget* rw : m_rows[c.id])
                rw->setVisible(shown);
        }
    }
    m_showing = false;
}

void SettingsPageWidget::change(int id, double value)
{
    const SettingControl* c = m_page.find(id);
    if (!c || m_showing)
        return;
    {
        CBusyScope busy(m_doc.prompt());
        try {
            const ChangeResult result = applySettingChange(m_doc, *c, value);
            if (const char* message = changeFailureMessage(result); *message)
                m_doc.prompt().error(translate(message));
        } catch (const IError& e) {
            m_doc.prompt().errorBox(std::string(c->handler) + "()", e);
        }
    }
    showRecord();
}

void SettingsPageWidget::liveUpdate(unsigned tick)
{
    if (!m_reading || !fuelGaugeTick(tick) || !m_doc.isConnected())
        return;
    CDiag sample;
    if (!m_doc.diagData().newest(sample))
        return;
    const std::uint8_t level = diagValues(sample, contextFrom(m_doc.m_settings)).fuelLevel;
    const QString text = QString::number(level);
    if (m_reading->text() != text)
        m_reading->setText(text);
    const int lit = fuelLampsLit(level, m_doc.m_settings.m_sensorsSetup);
    for (int i = 0; i < 4; ++i) {
        const QColor c = fuelLampOn(i, lit) ? colors::LevelGreen : colors::Dark;
        m_lamps[static_cast<std::size_t>(i)]->setColors(c, c);
    }
    if (lit == 0)
        m_blink = !m_blink;
    const QColor reserve = lit == 0 && m_blink ? colors::Red : colors::Dark;
    m_lamps[4]->setColors(reserve, reserve);
}

} // namespace tarvola::gui
