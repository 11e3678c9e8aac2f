#include "calibration/CMapCorrPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "calibration/CMapArray.h"
#include "calibration/MapCompare.h"
#include "lang/Language.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"

namespace tarvola::gui {

namespace {


// A small sample of the tint a difference gets, with the difference written on it.
QLabel* swatch(int percent, QWidget* parent)
{
    const MapDifference d = mapDifference(percent, 0);
    auto* label = new QLabel(qs(d.text), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("\u2212000")) + 8);
    label->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3); color: black; border: 1px solid rgb(170, 170, 170);")
                             .arg(d.colour.red)
                             .arg(d.colour.green)
                             .arg(d.colour.blue));
    return label;
}

} // namespace

CMapCorrPage::CMapCorrPage(CVeldranixDoc& doc, QWidget* parent)
    : CAppPropPage(parent), m_doc(doc), m_grid(new CMapArray(doc.mapGrid(), doc.prompt(), this)),
      m_hint(label(mapids::Hint, this)), m_compareBar(new QWidget(this)), m_fileName(new QLabel(m_compareBar)),
      m_count(new QLabel(m_compareBar)), m_endCompare(button(mapids::EndCompare, m_compareBar)),
      m_warningBar(new QWidget(this)), m_readBack(button(mapids::ReadBack, m_warningBar))
{
    m_hint->setWordWrap(true);

    auto* compare = new QHBoxLayout(m_compareBar);
    compare->setContentsMargins(0, 0, 0, 0);
    compare->addWidget(label(mapids::ComparedWith, m_compareBar));
    QFont bold = m_fileName->font();
    bold.setBold(true);
    m_fileName->setFont(bold);
    compare->addWidget(m_fileName);
    compare->addSpacing(12);
    compare->addWidget(label(mapids::DiffLegend, m_compareBar));
    for (int percent : {-kMapDifferenceSaturation, 0, kMapDifferenceSaturation})
        compare->addWidget(swatch(percent, m_compareBar));
    compare->addSpacing(12);
    compare->addWidget(m_count);
    compare->addStretch(1);
    compare->addWidget(m_endCompare);
    connect(m_endCompare, &QPushButton::clicked, &m_doc, &CVeldranixDoc::endComparison);

    auto* warning = new QHBoxLayout(m_warningBar);
    warning->setContentsMargins(0, 0, 0, 0);
    QLabel* differs = label(mapids::Differs, m_warningBar);
    differs->setStyleSheet(QStringLiteral("color: rgb(180, 0, 0); font-weight: bold;"));
    warning->addWidget(differs);
    warning->addStretch(1);
    warning->addWidget(m_readBack);
    connect(m_readBack, &QPushButton::clicked, this, &CMapCorrPage::readBack);
    m_warningBar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_hint);
    layout->addWidget(m_compareBar);
    layout->addWidget(m_warningBar);
    // The grid takes the room the page has; below the size its font needs it scrolls.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_grid);
    layout->addWidget(scroll, 1);

    connect(&m_doc, &CVeldranixDoc::changed, this, &CMapCorrPage::documentChanged);
    connect(&m_doc, &CVeldranixDoc::comparisonChanged, this, &CMapCorrPage::showComparison);
    connect(&m_doc, &CVeldranixDoc::historyChanged, this, [this] {
        // An undo or redo changed cells and may have started the store timer.
        m_grid->refresh();
        m_grid->watchStoreTimer();
        showCount();
    });
    connect(m_grid, &CMapArray::edited, this, &CMapCorrPage::onEdited);
    connect(m_grid, &CMapArray::stored, this, &CMapCorrPage::onStored);

    applyTexts();
    showComparison();
}

QString CMapCorrPage::title() const
{
    return qs(translate("Mapa"));
}

QLabel* CMapCorrPage::label(int id, QWidget* parent)
{
    auto* label = new QLabel(parent);
    m_labels.push_back({label, id});
    return label;
}

QPushButton* CMapCorrPage::button(int id, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    m_buttons.push_back({button, id});
    return button;
}

void CMapCorrPage::applyTexts()
{
    // The page sets its own controls rather than marking them with text identifiers: the main view
    // relabels every control below it by identifier, and its table uses some of the same numbers.
    try {
        std::vector<QString> labels, buttons;
        for (const auto& [widget, id] : m_labels)
            labels.push_back(qs(text(id)));
        for (const auto& [widget, id] : m_buttons)
            buttons.push_back(qs(text(id)));
        for (std::size_t i = 0; i < labels.size(); ++i)
            m_labels[i].first->setText(labels[i]);
        for (std::size_t i = 0; i < buttons.size(); ++i)
            m_buttons[i].first->setText(buttons[i]);
    } catch (const IError&) {
        // A missing text leaves the labels as they were.
    }
    m_grid->setMenuResource(mapPopupMenuResource(currentLanguage()));
    showCount();
}

void CMapCorrPage::activate()
{
    applyTexts();
    reload();
}

void CMapCorrPage::reload()
{
    CMapGridModel& model = m_doc.mapGrid();
    if (model.storeTimer().running())
        onStored(model.onStoreTimer());
    showRecord();
}

void CMapCorrPage::showRecord()
{
    m_doc.mapGrid().loadFromRecord(m_doc.m_settings);
    m_grid->refresh();
    showCount();
}

void CMapCorrPage::liveUpdate(unsigned /*tick*/)
{
    CMapGridModel& model = m_doc.mapGrid();
    const MapCell before = model.markedCell();
    if (model.refreshOperatingPoint())
        m_grid->markerMoved(before);
}

void CMapCorrPage::documentChanged(const DeviceChange& change)
{
    if (change.has(DeviceChange::Replaced)) {
        // The record was read from the controller or written to it as a whole.
        m_unsent = false;
        m_unstored = false;
    }
    // The store itself announces the map it copied from the grid; showing it again changes nothing.
    if (change.has(DeviceChange::Map) || change.has(DeviceChange::Replaced) || change.has(DeviceChange::Connection))
        showRecord();
    showWarning();
}

void CMapCorrPage::readBack()
{
    bool read = false;
    {
        CBusyScope busy(m_doc.prompt());
        read = m_doc.readMap(); // announces the map, which shows it
    }
    if (!read) {
        m_doc.prompt().error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
        return;
    }
    m_unsent = false;
    m_unstored = false;
    showRecord();
    showWarning();
}

void CMapCorrPage::onEdited(MapEditOutcome outcome)
{
    if (outcome == MapEditOutcome::SendFailed || outcome == MapEditOutcome::Raised)
        m_unsent = true;
    showCount();
    showWarning();
}

void CMapCorrPage::onStored(MapStoreOutcome outcome)
{
    if (outcome == MapStoreOutcome::Failed || outcome == MapStoreOutcome::Raised)
        m_unstored = true;
    else if (outcome == MapStoreOutcome::Stored)
        m_unstored = false;
    showWarning();
}

bool CMapCorrPage::warningShown() const
{
    return m_unsent || m_unstored;
}

void CMapCorrPage::showWarning()
{
    m_warningBar->setVisible(warningShown());
}

void CMapCorrPage::showComparison()
{
    const CDeviceSettings* file = m_doc.comparison();
    m_grid->setComparison(file);
    m_compareBar->setVisible(file != nullptr);
    m_hint->setVisible(file == nullptr);
    m_fileName->setText(qs(m_doc.comparisonName()));
    showCount();
}

void CMapCorrPage::showCount()
{
    const CDeviceSettings* file = m_doc.comparison();
    if (!file)
        return;
    m_count->setText(qs(translate("Różniących się komórek mapy: ") +
                        std::to_string(differingCells(m_doc.mapGrid(), *file))));
}

} // namespace tarvola::gui
