#include "obd/COBD2Page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "controls/CValueCmbBox.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/DiagValues.h"
#include "service/COBDSession.h"

namespace tarvola::gui {

namespace {
constexpr const char* kConnectedText = "Podłączone";
constexpr const char* kDisconnectedText = "Rozłączone";
constexpr const char* kNoAnswerText =
    "Samochód nie odpowiada przez OBD. Sprawdź podłączenie sterownika do złącza diagnostycznego i włączony zapłon.";
// A silent car costs a whole read time-out per exchange; ask again only after this many ticks.
constexpr unsigned kQuietTicks = 20;

QLineEdit* readOnlyField(QWidget* parent, int minChars)
{
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(minChars, QLatin1Char('8'))) + 12);
    return field;
}

QLabel* label(QWidget* parent, int id)
{
    auto* l = new QLabel(parent);
    setTextId(l, id);
    return l;
}
} // namespace

COBD2Page::COBD2Page(CVeldranixDoc& doc, QWidget* parent)
    : CAppPropPage(parent), m_doc(doc), m_session(std::make_unique<COBDSession>(doc))
{
    build();
    connect(&m_doc, &CVeldranixDoc::changed, this, &COBD2Page::documentChanged);
    applyTexts();
    showLink();
    showLive();
    showCorrection();
    showCodes();
}

COBD2Page::~COBD2Page() = default;

QString COBD2Page::title() const
{
    return qs(translate("Diagnostyka OBD"));
}

// ---- building ----

void COBD2Page::build()
{
    auto* left = new QVBoxLayout;
    left->addWidget(buildLinkGroup());
    left->addWidget(buildLiveGroup());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildCorrectionGroup());
    right->addWidget(buildCodesGroup(), 1);
    // The page scrolls rather than making the main window taller than a laptop's screen.
    auto* content = new QWidget;
    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    layout->addLayout(left, 0);
    layout->addLayout(right, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

QGroupBox* COBD2Page::buildLinkGroup()
{
    auto* group = new QGroupBox(this);
    setTextId(group, obdids::LinkGroup);
    auto* form = new QFormLayout(group);
    m_protocol = readOnlyField(group, 18);
    m_protocol->setAlignment(Qt::AlignLeft);
    m_standard = readOnlyField(group, 18);
    m_standard->setAlignment(Qt::AlignLeft);
    m_connected = new QComboBox(group);
    connect(m_connected, &QComboBox::activated, this, [this] { onConnectedChosen(); });
    form->addRow(label(group, obdids::Protocol), m_protocol);
    form->addRow(label(group, obdids::Standard), m_standard);
    form->addRow(label(group, obdids::Connected), m_connected);
    return group;
}

QGroupBox* COBD2Page::buildLiveGroup()
{
    auto* group = new QGroupBox(this);
    setTextId(group, obdids::LiveGroup);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (int i = 0; i < kLiveValues; ++i, ++row) {
        m_liveNames[static_cast<std::size_t>(i)] = new QLabel(group);
        m_liveFields[static_cast<std::size_t>(i)] = readOnlyField(group, 7);
        m_liveUnits[static_cast<std::size_t>(i)] = new QLabel(group);
        grid->addWidget(m_liveNames[static_cast<std::size_t>(i)], row, 0);
        grid->addWidget(m_liveFields[static_cast<std::size_t>(i)], row, 1);
        grid->addWidget(m_liveUnits[static_cast<std::size_t>(i)], row, 2);
    }
    m_computed1 = readOnlyField(group, 7);
    m_computed2 = readOnlyField(group, 7);
    for (auto [id, field] : {std::pair{obdids::Computed1, m_computed1}, std::pair{obdids::Computed2, m_computed2}}) {
        grid->addWidget(label(group, id), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("%"), group), row, 2);
        ++row;
    }
    m_status = new QLabel(group);
    m_status->setWordWrap(true);
    QPalette warning = m_status->palette();
    warning.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_status->setPalette(warning);
    m_status->hide();
    grid->addWidget(m_status, row, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    return group;
}

QGroupBox* COBD2Page::buildCorrectionGroup()
{
    auto* group = new QGroupBox(this);
    setTextId(group, obdids::CorrGroup);
    auto* column = new QVBoxLayout(group);
    m_readCorr = new QCheckBox(group);
    setTextId(m_readCorr, obdids::ReadCorr);
    connect(m_readCorr, &QCheckBox::toggled, this, [this](bool on) {
        if (m_filling)
            return;
        m_session->setReadingCorrections(on);
        showCorrection();
    });
    column->addWidget(m_readCorr);

    m_corrControls = new QWidget(group);
    auto* controls = new QVBoxLayout(m_corrControls);
    controls->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    m_period = new CValueCmbBox(m_corrControls);
    for (int s = obdcorr::kMinUpdatePeriod; s <= obdcorr::kMaxUpdatePeriod; ++s)
        m_period->addValue(s, 0);
    m_maxCorr = new CValueCmbBox(m_corrControls);
    for (int p = obdcorr::kMinMaxCorrection; p <= obdcorr::kMaxMaxCorrection; ++p)
        m_maxCorr->addValue(p, 0);
    connect(m_period, &QComboBox::activated, this, [this] {
        if (const auto v = m_period->selectedValue(); v && !m_filling)
            m_session->setUpdatePeriod(static_cast<int>(*v));
        showCorrection();
    });
    connect(m_maxCorr, &QComboBox::activated, this, [this] {
        if (const auto v = m_maxCorr->selectedValue(); v && !m_filling)
            m_session->setMaxCorrection(static_cast<int>(*v));
        showCorrection();
    });
    auto valueRow = [&](int id, CValueCmbBox* box, const char* unit) {
        auto* line = new QHBoxLayout;
        line->addWidget(box);
        line->addWidget(new QLabel(QString::fromLatin1(unit), m_corrControls));
        line->addStretch(1);
        form->addRow(label(m_corrControls, id), line);
    };
    valueRow(obdids::Period, m_period, "s");
    valueRow(obdids::MaxCorr, m_maxCorr, "%");
    controls->addLayout(form);
    controls->addWidget(label(m_corrControls, obdids::Cylinder));

    // Two columns of four cylinders keep the group short enough for the codes list below it.
    for (int c = 0; c < kCylinders; ++c) {
        const int row = c % 4;
        const int first = c < 4 ? 0 : 4;
        auto* number = new QLabel(QString::number(c + 1), m_corrControls);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(number, row, first);
        for (int b = 0; b < 2; ++b) {
            auto* button = new QPushButton(m_corrControls);
            setTextId(button, b == 0 ? obdids::Bank1 : obdids::Bank2);
            button->setCheckable(true);
            connect(button, &QPushButton::clicked, this, [this, c, b] {
                if (!m_filling)
                    m_session->setCylinderBank(c + 1, b + 1);
                showCorrection();
            });
            grid->addWidget(button, row, first + 1 + b);
            m_bankButtons[static_cast<std::size_t>(c)][static_cast<std::size_t>(b)] = button;
        }
    }
    grid->setColumnMinimumWidth(3, 12);
    for (int buttonColumn : {1, 2, 5, 6})
        grid->setColumnStretch(buttonColumn, 1);
    controls->addLayout(grid);
    column->addWidget(m_corrControls);
    return group;
}

QGroupBox* COBD2Page::buildCodesGroup()
{
    auto* group = new QGroupBox(this);
    setTextId(group, obdids::CodesGroup);
    auto* column = new QVBoxLayout(group);
    auto* buttons = new QHBoxLayout;
    m_btnRead = new QPushButton(group);
    setTextId(m_btnRead, obdids::BtnRead);
    m_btnErase = new QPushButton(group);
    setTextId(m_btnErase, obdids::BtnErase);
    connect(m_btnRead, &QPushButton::clicked, this, &COBD2Page::onReadCodes);
    connect(m_btnErase, &QPushButton::clicked, this, &COBD2Page::onEraseCodes);
    buttons->addWidget(m_btnRead);
    buttons->addWidget(m_btnErase);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_codes = new QListWidget(group);
    m_codes->setMinimumHeight(60);
    column->addWidget(m_codes, 1);
    return group;
}

QWidget* COBD2Page::control(int id) const
{
    switch (id) {
    case obdids::Protocol: return m_protocol;
    case obdids::Standard: return m_standard;
    case obdids::Connected: return m_connected;
    case obdids::ReadCorr: return m_readCorr;
    case obdids::Period: return m_period;
    case obdids::MaxCorr: return m_maxCorr;
    case obdids::Computed1: return m_computed1;
    case obdids::Computed2: return m_computed2;
    case obdids::BtnRead: return m_btnRead;
    case obdids::BtnErase: return m_btnErase;
    default: return nullptr;
    }
}

QPushButton* COBD2Page::bankButton(int cylinder, int bank) const
{
    if (cylinder < 1 || cylinder > kCylinders || bank < 1 || bank > 2)
        return nullptr;
    return m_bankButtons[static_cast<std::size_t>(cylinder - 1)][static_cast<std::size_t>(bank - 1)];
}

// ---- the page's life ----

void COBD2Page::applyTexts()
{
    CWidgetTextTarget target(this, false);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the page's labels as they were.
    }
    {
        const QSignalBlocker block(m_connected);
        m_connected->clear();
        m_connected->addItem(qs(translate(kConnectedText)), 1);
        m_connected->addItem(qs(translate(kDisconnectedText)), 0);
    }
    m_status->setText(qs(translate(kNoAnswerText)));
    showLink();
    showLive();
}

void COBD2Page::reload()
{
    if (m_doc.isConnected()) {
        m_session->open();
        m_quietUntil = 0;
    }
    showStatus(true);
    showLink();
    showLive();
    showCorrection();
    showCodes();
}

void COBD2Page::documentChanged(const DeviceChange& change)
{
    if (!change.has(DeviceChange::Connection) && !change.has(DeviceChange::Replaced))
        return;
    // A controller found again while the page is shown: open its link once the connection settled.
    if (m_doc.isConnected() && isVisible()) {
        QTimer::singleShot(0, this, [this] {
            if (m_doc.isConnected() && isVisible())
                reload();
        });
        return;
    }
    // Hidden, or the controller gone: nothing is asked; the fields show what is known (or empty).
    showLink();
    showLive();
    showCorrection();
}

void COBD2Page::liveUpdate(unsigned tick)
{
    if (!m_doc.isConnected() || !m_session->isOpen() || !m_session->obdConnected() || tick < m_quietUntil)
        return;
    const auto result = m_session->liveRound();
    const bool answered = result == COBDSession::LiveResult::Read || result == COBDSession::LiveResult::NothingDue;
    if (!answered)
        m_quietUntil = tick + kQuietTicks;
    showStatus(answered);
    showLive();
}

// ---- showing the session ----

void COBD2Page::showLink()
{
    const bool open = m_doc.isConnected() && m_session->isOpen();
    m_protocol->setText(open ? qs(m_session->protocol()) : QString());
    m_standard->setText(open && !m_session->standard().empty() ? qs(translate(m_session->standard())) : QString());
    {
        const QSignalBlocker block(m_connected);
        m_connected->setCurrentIndex(open ? (m_session->obdConnected() ? 0 : 1) : -1);
    }
    m_connected->setEnabled(open);
    m_btnRead->setEnabled(open && m_session->obdConnected());
    m_btnErase->setEnabled(open && m_session->obdConnected());
}

void COBD2Page::showLive()
{
    const bool open = m_doc.isConnected() && m_session->isOpen();
    const auto& entries = m_session->live().entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        m_liveNames[i]->setText(qs(translate(e.name)));
        m_liveUnits[i]->setText(QString::fromLatin1(e.unit));
        m_liveFields[i]->setText(open && e.enabled ? qs(e.text) : QString());
        const bool shown = !open || e.enabled;
        m_liveNames[i]->setEnabled(shown);
        m_liveFields[i]->setEnabled(shown);
        m_liveUnits[i]->setEnabled(shown);
    }
    CDiag sample;
    if (open && m_doc.diagData().newest(sample)) {
        const DiagValues v = diagValues(sample, contextFrom(m_doc.m_settings));
        m_computed1->setText(QString::number(v.obdCorrection1));
        m_computed2->setText(QString::number(v.obdCorrection2));
    } else {
        m_computed1->clear();
        m_computed2->clear();
    }
}

void COBD2Page::showCorrection()
{
    const bool open = m_doc.isConnected() && m_session->isOpen();
    m_filling = true;
    m_readCorr->setChecked(open && m_session->readingCorrections());
    m_readCorr->setEnabled(open);
    m_corrControls->setVisible(open && m_session->readingCorrections());
    m_period->selectValue(m_session->updatePeriodSeconds());
    m_maxCorr->selectValue(m_session->maxCorrectionPercent());
    const int injectors = m_doc.m_settings.m_devInfo.m_injCount;
    for (int c = 1; c <= kCylinders; ++c) {
        const int bank = m_session->cylinderBank(c);
        const bool enabled = COBDSession::cylinderChoiceEnabled(c, injectors);
        for (int b = 1; b <= 2; ++b) {
            QPushButton* button = bankButton(c, b);
            button->setChecked(bank == b);
            button->setEnabled(enabled);
        }
    }
    m_filling = false;
}

void COBD2Page::showCodes()
{
    m_codes->clear();
    for (const auto& text : m_session->codes())
        m_codes->addItem(qs(text));
}

void COBD2Page::showStatus(bool carAnswers)
{
    m_status->setVisible(!carAnswers);
}

// ---- handlers ----

void COBD2Page::onConnectedChosen()
{
    if (m_filling || !m_session->isOpen())
        return;
    const bool connected = m_connected->currentData().toInt() == 1;
    if (connected != m_session->obdConnected() && m_session->setObdConnected(connected)) {
        reload();
        return;
    }
    showLink();
    showCorrection();
}

void COBD2Page::onReadCodes()
{
    m_session->readTroubleCodes();
    showCodes();
}

void COBD2Page::onEraseCodes()
{
    m_session->eraseTroubleCodes();
    showCodes();
}

} // namespace tarvola::gui
