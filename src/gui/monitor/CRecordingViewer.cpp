#include "monitor/CRecordingViewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "monitor/CScrollChart.h"
#include "monitor/RecordingCsv.h"
#include "monitor/RecordingFields.h"

namespace tarvola::gui {

namespace {

constexpr int kScrollUnitsPerSecond = 1000;  // the scroll bar counts milliseconds

CRecordingViewer::FileChooser& fileChooser()
{
    static CRecordingViewer::FileChooser chooser;
    return chooser;
}

QString systemFileDialog(QWidget* parent, bool save, const QString& filter, const QString& folder)
{
    QFileDialog dialog(parent, QString(), folder, QStringLiteral("%1;;*").arg(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const int star = filter.indexOf(QStringLiteral("*."));
    if (star >= 0)
        dialog.setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void CRecordingViewer::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

CRecordingViewer::CRecordingViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &CRecordingViewer::pollLoader);
    applyTexts();
    viewChanged();
}

CRecordingViewer* CRecordingViewer::openViewer(QWidget* owner, const QString& path)
{
    auto* viewer = new CRecordingViewer(owner);
    QString file = path;
    if (file.isEmpty())
        file = viewer->chooseFile(false, qs(translate("Oscyloskop file (*.osc)")));
    if (file.isEmpty()) {
        delete viewer;
        return nullptr;
    }
    viewer->show();
    viewer->openFile(file);
    return viewer;
}

CRecordingViewer::~CRecordingViewer()
{
    m_loader.cancel();
}

void CRecordingViewer::build()
{
    m_chart = new CRecordingChart(m_view, m_curves, this);
    connect(m_chart, &CRecordingChart::viewChanged, this, &CRecordingViewer::viewChanged);
    connect(m_chart, &CRecordingChart::cursorChanged, this, &CRecordingViewer::showReadings);
    m_scroll = new QScrollBar(Qt::Horizontal, this);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_view.panTo(static_cast<double>(value) / kScrollUnitsPerSecond);
        m_chart->refresh();
    });

    auto* checks = new QGridLayout;
    checks->setHorizontalSpacing(12);
    checks->setVerticalSpacing(2);
    constexpr int kPerRow = 5;
    for (int c = 0; c < osc::kChannels; ++c) {
        auto* box = new QCheckBox(this);
        setTextId(box, viewerids::channelCheck(c));
        QPalette pal = box->palette();
        pal.setColor(QPalette::WindowText, CRecordingChart::channelColour(c));
        box->setPalette(pal);
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
        const bool shown = osc::channels()[static_cast<std::size_t>(c)].shownAtStart;
        box->setChecked(shown);
        m_curves[static_cast<std::size_t>(c)].visible = shown;
        connect(box, &QCheckBox::toggled, this, [this, c](bool on) { setChannelShown(c, on); });
        m_checks[static_cast<std::size_t>(c)] = box;
        checks->addWidget(box, c / kPerRow, c % kPerRow);
    }
    checks->setColumnStretch(kPerRow, 1);

    auto button = [this](int id, auto action) {
        auto* b = new QPushButton(this);
        setTextId(b, id);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    m_open = button(viewerids::Open, [this] { chooseAndOpen(); });
    m_fit = button(viewerids::Fit, [this] {
        m_view.fit();
        viewChanged();
    });
    m_csv = button(viewerids::ExportCsv, [this] {
        if (const QString path = chooseFile(true, QStringLiteral("CSV (*.csv)")); !path.isEmpty())
            exportCsv(path);
    });
    m_png = button(viewerids::ExportPng, [this] {
        if (const QString path = chooseFile(true, QStringLiteral("PNG (*.png)")); !path.isEmpty())
            exportPng(path);
    });
    auto* scaleCaption = new QLabel(this);
    setTextId(scaleCaption, viewerids::ScaleCaption);
    m_scale = new QComboBox(this);
    connect(m_scale, &QComboBox::currentIndexChanged, this, [this] { showScale(); });

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(240);
    m_cancel = button(ids::Cancel, [this] { cancelLoading(); });
    m_progress->hide();
    m_cancel->hide();

    auto* tools = new QHBoxLayout;
    tools->setSpacing(6);
    tools->addWidget(m_open);
    tools->addWidget(m_fit);
    tools->addWidget(m_csv);
    tools->addWidget(m_png);
    tools->addSpacing(12);
    tools->addWidget(scaleCaption);
    tools->addWidget(m_scale);
    tools->addStretch(1);
    tools->addWidget(m_progress);
    tools->addWidget(m_cancel);

    m_info = new QLabel(this);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problemLine = new QLabel(this);
    m_problemLine->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    m_problemLine->setWordWrap(true);

    m_cursorTime = new QLabel(this);
    QFont bold = m_cursorTime->font();
    bold.setBold(true);
    m_cursorTime->setFont(bold);
    m_readings = new QTreeWidget(this);
    m_readings->setColumnCount(2);
    m_readings->setHeaderHidden(true);
    m_readings->setRootIsDecorated(false);
    m_readings->setSelectionMode(QAbstractItemView::NoSelection);
    m_readings->setFocusPolicy(Qt::NoFocus);
    m_readings->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_readings->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        auto* item = new QTreeWidgetItem(m_readings);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (const int c = recordingFieldChannel(f); c >= 0) {
            item->setForeground(0, CRecordingChart::channelColour(c));
            item->setForeground(1, CRecordingChart::channelColour(c));
        }
    }
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_cursorTime);
    sideLayout->addWidget(m_readings, 1);

    auto* chartBox = new QWidget(this);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    chartLayout->addWidget(m_chart, 1);
    chartLayout->addWidget(m_scroll);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(chartBox);
    split->addWidget(side);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(tools);
    layout->addWidget(split, 1);
    layout->addLayout(checks);
    layout->addWidget(m_info);
    layout->addWidget(m_problemLine);
    resize(1100, 640);
}

QWidget* CRecordingViewer::control(int id) const
{
    for (int c = 0; c < osc::kChannels; ++c)
        if (viewerids::channelCheck(c) == id)
            return m_checks[static_cast<std::size_t>(c)];
    switch (id) {
    case viewerids::Open: return m_open;
    case viewerids::Fit: return m_fit;
    case viewerids::ExportCsv: return m_csv;
    case viewerids::ExportPng: return m_png;
    case ids::Cancel: return m_cancel;
    default: return nullptr;
    }
}

void CRecordingViewer::applyTexts()
{
    CWidgetTextTarget target(this, false);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the window's labels as they were.
    }
    fillScales();
    updateTitle();
    m_chart->setToolTip(qs(translate(
        "Kółko myszy: powiększenie. Lewy przycisk: zaznacz zakres lub postaw kursor. Prawy przycisk: przesuń.")));
    // The readings and the message line are in the language too.
    showReadings();
    if (!loading() && !m_path.isEmpty())
        setMessage(QString(), qs(m_problem));
    m_chart->update();
}

void CRecordingViewer::updateTitle()
{
    QString caption;
    try {
        caption = qs(text(kCaptionId));
    } catch (const IError&) {
    }
    setWindowTitle(m_path.isEmpty() ? caption : QStringLiteral("%1 - %2").arg(QFileInfo(m_path).fileName(), caption));
}

void CRecordingViewer::fillScales()
{
    CScrollChart::fillScaleList(*m_scale);
    showScale();
}

void CRecordingViewer::showScale()
{
    m_chart->setGridLabels(CScrollChart::gridLabels(*m_scale));
}

void CRecordingViewer::setChannelShown(int channel, bool shown)
{
    if (channel < 0 || channel >= osc::kChannels)
        return;
    m_curves[static_cast<std::size_t>(channel)].visible = shown;
    if (m_checks[static_cast<std::size_t>(channel)]->isChecked() != shown)
        m_checks[static_cast<std::size_t>(channel)]->setChecked(shown);
    m_chart->refresh();
}

QString CRecordingViewer::chooseFile(bool save, const QString& filter)
{
    QString folder = m_path.isEmpty() ? qs(oscilloscopeFolder().value_or("")) : QFileInfo(m_path).absolutePath();
    if (save && !m_path.isEmpty())
        folder = QFileInfo(m_path).absoluteDir().filePath(QFileInfo(m_path).completeBaseName());
    return fileChooser() ? fileChooser()(this, save, filter, folder) : systemFileDialog(this, save, filter, folder);
}

void CRecordingViewer::chooseAndOpen()
{
    const QString path = chooseFile(false, qs(translate("Oscyloskop file (*.osc)")));
    if (!path.isEmpty())
        openFile(path);
}

void CRecordingViewer::openFile(const QString& path)
{
    m_loadingPath = path;
    m_loader.start(path.toStdString());
    m_loadClock.start();
    m_poll.start();
    setMessage(qs(translate("Wczytywanie zapisu...")) + QStringLiteral("  ") + QFileInfo(path).fileName(), QString());
    m_open->setEnabled(false);
    pollLoader();
}

void CRecordingViewer::cancelLoading()
{
    m_loader.cancel();
}

void CRecordingViewer::pollLoader()
{
    if (m_loader.finished()) {
        m_poll.stop();
        m_progress->hide();
        m_cancel->hide();
        m_open->setEnabled(true);
        finishLoad(m_loader.take());
        return;
    }
    // A quick load shows no bar: it would only flicker.
    if (m_loadClock.elapsed() >= kProgressDelayMs) {
        m_progress->setValue(static_cast<int>(m_loader.progress() * 1000));
        m_progress->show();
        m_cancel->show();
    }
}

void CRecordingViewer::finishLoad(RecordingLoad load)
{
    const QString name = QFileInfo(m_loadingPath).fileName();
    if (load.status == RecordingLoad::Status::Cancelled) {
        // What was shown before stays shown.
        setMessage(m_path.isEmpty() ? name : QString(), qs(translate("Wczytywanie przerwane.")));
        return;
    }
    if (load.status != RecordingLoad::Status::Loaded) {
        // The recording shown so far stays: the message says why the new one is not.
        setMessage(name, qs(load.problem()));
        return;
    }
    // The message counts the records: taken before they move out of the load.
    m_problem = load.problem();
    m_path = m_loadingPath;
    m_data = std::move(load.data);
    m_curves = recordingCurves(m_data);
    for (int c = 0; c < osc::kChannels; ++c)
        m_curves[static_cast<std::size_t>(c)].visible = m_checks[static_cast<std::size_t>(c)]->isChecked();
    m_view.setRecords(m_data.size());
    setMessage(QString(), qs(m_problem));
    updateTitle();
    viewChanged();
    showReadings();
}

void CRecordingViewer::setMessage(const QString& info, const QString& problem)
{
    QString text = info;
    if (text.isEmpty() && !m_path.isEmpty())
        text = QStringLiteral("%1    %2 %3    %4 %5")
                   .arg(QFileInfo(m_path).fileName(), qs(translate("Zapisów:")),
                        QString::number(static_cast<qulonglong>(m_data.size())), qs(recordingTimeHeader()) + ':',
                        qs(tickLabel(m_view.duration(), 1)));
    m_info->setText(text);
    m_problemLine->setText(problem);
    m_problemLine->setVisible(!problem.isEmpty());
}

QString CRecordingViewer::message() const
{
    return m_problemLine->text().isEmpty() ? m_info->text() : m_info->text() + '\n' + m_problemLine->text();
}

void CRecordingViewer::viewChanged()
{
    const int span = static_cast<int>(std::lround(std::max(0.0, m_view.duration() - m_view.width()) * kScrollUnitsPerSecond));
    {
        const QSignalBlocker block(m_scroll);
        m_scroll->setRange(0, span);
        m_scroll->setPageStep(std::max(1, static_cast<int>(m_view.width() * kScrollUnitsPerSecond)));
        m_scroll->setSingleStep(std::max(1, static_cast<int>(m_view.width() * kScrollUnitsPerSecond / 10)));
        m_scroll->setValue(static_cast<int>(std::lround(m_view.left() * kScrollUnitsPerSecond)));
    }
    m_scroll->setEnabled(span > 0);
    const bool any = !m_data.empty();
    m_fit->setEnabled(any && !m_view.fitted());
    m_csv->setEnabled(any);
    m_png->setEnabled(any);
    m_chart->refresh();
}

void CRecordingViewer::refreshView()
{
    viewChanged();
    showReadings();
}

void CRecordingViewer::showReadings()
{
    const auto record = m_view.cursorRecord();
    const std::vector<FieldReading> readings =
        record ? readingsAt(m_data, *record) : std::vector<FieldReading>{};
    m_cursorTime->setText(qs(recordingTimeHeader()) + QStringLiteral(": ") +
                          (record ? qs(tickLabel(recordTimeSeconds(*record), 3)) : QStringLiteral("-")));
    for (std::size_t f = 0; f < kRecordFields; ++f) {
        QTreeWidgetItem* item = m_readings->topLevelItem(static_cast<int>(f));
        item->setText(0, qs(recordingFieldName(f)));
        if (f < readings.size()) {
            const FieldReading& r = readings[f];
            item->setText(1, r.unit.empty() ? qs(r.text) : QStringLiteral("%1 %2").arg(qs(r.text), qs(r.unit)));
        } else {
            item->setText(1, QString());
        }
    }
    m_chart->refresh();
}

bool CRecordingViewer::exportCsv(const QString& path)
{
    if (m_data.empty())
        return false;
    const RecordingView::Range range = m_view.visibleRecords();
    if (writeRecordingCsvFile(path.toStdString(), m_data, range.first, range.end))
        return true;
    setMessage(QString(), qs(translate("Nie można zapisać pliku:")) + QLatin1Char(' ') + path);
    return false;
}

bool CRecordingViewer::exportPng(const QString& path)
{
    if (m_data.empty())
        return false;
    // Written beside the target and renamed over it, so an old picture is replaced only by a whole one.
    const QString temporary = path + QStringLiteral(".part");
    if (m_chart->grab().save(temporary, "PNG")) {
        QFile::remove(path);
        if (QFile::rename(temporary, path))
            return true;
    }
    QFile::remove(temporary);
    setMessage(QString(), qs(translate("Nie można zapisać pliku:")) + QLatin1Char(' ') + path);
    return false;
}

} // namespace tarvola::gui
