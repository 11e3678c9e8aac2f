#include "monitor/COscyloskopPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/CScrollChart.h"

namespace tarvola::gui {

namespace {

constexpr const char* kFileFilter = "Oscyloskop file (*.osc)";
constexpr const char* kCannotCreate = "Nie można utworzyć pliku zapisu:";
constexpr const char* kCannotOpen = "Nie można otworzyć pliku:";
constexpr const char* kNoPolling = "Zapis wymaga połączenia ze sterownikiem.";

COscyloskopPage::FileChooser& fileChooser()
{
    static COscyloskopPage::FileChooser chooser;
    return chooser;
}

QString systemFileDialog(QWidget* parent, bool save, const QString& folder)
{
    QFileDialog dialog(parent, QString(), folder, QStringLiteral("%1;;*").arg(qs(translate(kFileFilter))));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("osc"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QColor colourOf(int channel)
{
    const osc::Rgb c = osc::channels()[static_cast<std::size_t>(channel)].colour;
    return {c.r, c.g, c.b};
}

} // namespace

void COscyloskopPage::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

COscyloskopPage::COscyloskopPage(CVeldranixDoc& doc, bool large, QWidget* parent) : CAppPropPage(parent), m_doc(doc)
{
    build(large);
    connect(&m_doc, &CVeldranixDoc::changed, this, &COscyloskopPage::documentChanged);
    applyTexts();
}

QString COscyloskopPage::title() const
{
    return qs(translate("Oscyloskop"));
}

void COscyloskopPage::build(bool large)
{
    if (large) {
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 1.15);
        setFont(f);
    }
    m_chart = new CScrollChart(m_model.chart(), this);
    for (int c = 0; c < osc::kChannels; ++c)
        m_chart->setColour(c, colourOf(c));

    // One check box per curve, in the curve's colour: they are the chart's legend too.
    auto* checks = new QGridLayout;
    checks->setHorizontalSpacing(12);
    checks->setVerticalSpacing(2);
    constexpr int kPerRow = 5;
    for (int c = 0; c < osc::kChannels; ++c) {
        auto* box = new QCheckBox(this);
        setTextId(box, oscids::channelCheck(c));
        QPalette pal = box->palette();
        pal.setColor(QPalette::WindowText, colourOf(c));
        box->setPalette(pal);
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
        box->setChecked(osc::channels()[static_cast<std::size_t>(c)].shownAtStart);
        connect(box, &QCheckBox::toggled, this, [this, c](bool on) {
            m_model.setChannelShown(c, on);
            m_chart->refresh();
        });
        m_checks[static_cast<std::size_t>(c)] = box;
        checks->addWidget(box, c / kPerRow, c % kPerRow);
    }
    checks->setColumnStretch(kPerRow, 1);

    auto* scaleCaption = new QLabel(this);
    setTextId(scaleCaption, oscids::ScaleCaption);
    m_scale = new QComboBox(this);
    connect(m_scale, &QComboBox::currentIndexChanged, this, [this] { showScale(); });

    m_resume = new QPushButton(QStringLiteral(">"), this);
    m_pause = new QPushButton(QStringLiteral("||"), this);
    for (QPushButton* b : {m_resume, m_pause})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MMMM")) + 8);
    m_open = new QPushButton(this);
    setTextId(m_open, oscids::Open);
    m_record = new QPushButton(this);
    setTextId(m_record, oscids::Record);
    connect(m_resume, &QPushButton::clicked, this, &COscyloskopPage::resume);
    connect(m_pause, &QPushButton::clicked, this, &COscyloskopPage::pause);
    connect(m_open, &QPushButton::clicked, this, &COscyloskopPage::openRecording);
    connect(m_record, &QPushButton::clicked, this, &COscyloskopPage::startRecording);

    m_recordingCaption = new QLabel(this);
    setTextId(m_recordingCaption, oscids::Recording);
    m_recordingName = new QLabel(this);
    QFont bold = m_recordingName->font();
    bold.setBold(true);
    m_recordingName->setFont(bold);
    m_recordingName->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    showRecording(QString());

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(scaleCaption);
    buttons->addWidget(m_scale);
    buttons->addSpacing(12);
    buttons->addWidget(m_resume);
    buttons->addWidget(m_pause);
    buttons->addSpacing(12);
    buttons->addWidget(m_open);
    buttons->addWidget(m_record);
    buttons->addSpacing(12);
    buttons->addWidget(m_recordingCaption);
    buttons->addWidget(m_recordingName);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_chart, 1);
    layout->addLayout(checks);
    layout->addLayout(buttons);
}

QWidget* COscyloskopPage::control(int id) const
{
    for (int c = 0; c < osc::kChannels; ++c)
        if (oscids::channelCheck(c) == id)
            return m_checks[static_cast<std::size_t>(c)];
    switch (id) {
    case oscids::Scale: return m_scale;
    case oscids::Resume: return m_resume;
    case oscids::Pause: return m_pause;
    case oscids::Open: return m_open;
    case oscids::Record: return m_record;
    default: return nullptr;
    }
}

void COscyloskopPage::applyTexts()
{
    CWidgetTextTarget target(this, false);
    try {
        // A page has no caption of its own: its tab shows title().
        CMultiLangWnd::apply(target);
    } catch (const IError&) {
        // A table without a text leaves the page's labels as they were.
    }
    fillScales();
}

void COscyloskopPage::fillScales()
{
    CScrollChart::fillScaleList(*m_scale);
    showScale();
}

void COscyloskopPage::showScale()
{
    m_chart->setGridLabels(CScrollChart::gridLabels(*m_scale));
}

void COscyloskopPage::liveUpdate(unsigned /*tick*/)
{
    if (!m_doc.isConnected())
        return;
    if (m_model.liveStep(m_doc.diagData(), contextFrom(m_doc.m_settings)))
        m_chart->refresh();
}

void COscyloskopPage::resume()
{
    m_model.resume();
    m_chart->refresh();
}

void COscyloskopPage::pause()
{
    m_model.pause();
    // Polling goes on without a file: a recording in progress ends here.
    if (m_doc.isConnected()) {
        m_doc.stopDiagnostics();
        m_doc.startDiagnostics();
    }
    showRecording(QString());
}

void COscyloskopPage::startRecording()
{
    QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".osc");
    if (!m_doc.isConnected()) {
        m_doc.prompt().error(translate(kNoPolling));
        return;
    }
    // A file that cannot be made is said at once; the live polling goes on as it was.
    {
        CDiagFile probe;
        if (!probe.open(path.toStdString(), CDiagFile::Mode::Write)) {
            m_doc.prompt().error(translate(kCannotCreate) + "\n" + path.toStdString());
            return;
        }
    }
    m_doc.stopDiagnostics();
    m_model.resume();
    m_chart->refresh();
    if (m_doc.startDiagnostics(path.toStdString()))
        showRecording(path);
}

void COscyloskopPage::openRecording()
{
    m_model.pause();
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return;
    DiagRecording recording;
    if (!CDiagFile::readRecording(path.toStdString(), recording)) {
        m_doc.prompt().error(translate(kCannotOpen) + "\n" + path.toStdString());
        return;
    }
    m_model.load(recording.records);
    m_chart->refresh();
    const std::string problem = recording.problem();
    if (!problem.empty())
        m_doc.prompt().warning(translate(problem));
}

QString COscyloskopPage::chooseFile(bool save)
{
    const QString folder = qs(oscilloscopeFolder().value_or(""));
    return fileChooser() ? fileChooser()(this, save, folder) : systemFileDialog(this, save, folder);
}

void COscyloskopPage::documentChanged(const DeviceChange& change)
{
    // A reconnection starts polling afresh, without the file.
    if (change.has(DeviceChange::Connection))
        showRecording(QString());
}

void COscyloskopPage::showRecording(const QString& path)
{
    m_recordingName->setText(QFileInfo(path).fileName());
    m_recordingCaption->setVisible(!path.isEmpty());
    m_recordingName->setVisible(!path.isEmpty());
}

} // namespace tarvola::gui
