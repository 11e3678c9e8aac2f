#pragma once
// The recording viewer: a window of its own that shows a whole recording (".osc") as the
// oscilloscope's curves over a time axis in seconds (CRecordingChart: zoom, pan and the cursor by
// mouse and keys), a scroll bar, a check box per channel, the list beside the chart that reads every
// field at the cursor, and buttons to show the whole recording, export the visible range to CSV
// and the chart to PNG.
//
// The file is read on the loader's worker thread: the window stays live, and a load that takes more
// than kProgressDelayMs shows a progress bar with a cancel button. What went wrong with a file
// (nothing readable, skipped lines, the record limit) is said in the window's message line, not in a
// box. Several viewers may be open; each deletes itself when closed.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "lang/WindowTexts.h"
#include "monitor/CRecordingChart.h"
#include "monitor/Oscilloscope.h"
#include "monitor/RecordingLoader.h"
#include "monitor/RecordingView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTreeWidget;

namespace tarvola::gui {

class CRecordingViewer : public QWidget, public CRecordingViewerTexts {
    Q_OBJECT
public:
    static constexpr int kProgressDelayMs = 500;
    static constexpr int kPollMs = 40;

    // Asks for a file: an existing recording to open (`save` false), or where to export to
    // (`save` true, `filter` the file kind). Empty: cancelled. Tests put their own in place.
    using FileChooser = std::function<QString(QWidget* parent, bool save, const QString& filter, const QString& folder)>;
    static void setFileChooser(FileChooser chooser);

    explicit CRecordingViewer(QWidget* parent = nullptr);
    ~CRecordingViewer() override;

    // Shows a new viewer owned by `owner` that reads `path`, or asks for a file when `path` is empty.
    // Null when the user cancelled the question (no window is left then).
    static CRecordingViewer* openViewer(QWidget* owner, const QString& path);

    // Starts reading `path` in the background; a load still running is cancelled first.
    void openFile(const QString& path);
    // Asks for a recording and opens it.
    void chooseAndOpen();
    bool loading() const { return m_loader.running() || m_poll.isActive(); }
    void cancelLoading();

    // The visible range's records as CSV / the chart as PNG; false (and the message line says why)
    // when the file could not be written or nothing is loaded.
    bool exportCsv(const QString& path);
    bool exportPng(const QString& path);

    void setChannelShown(int channel, bool shown);
    // The view was changed through view(): the chart, the scroll bar and the readings follow it.
    void refreshView();
    void applyTexts();

    const RecordingData& data() const { return m_data; }
    const QString& fileName() const { return m_path; }
    RecordingView& view() { return m_view; }
    CRecordingChart* chart() const { return m_chart; }
    // The message line: what was loaded, and what went wrong.
    QString message() const;
    QWidget* control(int id) const;
    QTreeWidget* readings() const { return m_readings; }
    QProgressBar* progressBar() const { return m_progress; }

private:
    void build();
    void pollLoader();
    void finishLoad(RecordingLoad load);
    void viewChanged();
    void showReadings();
    void showScale();
    void fillScales();
    void setMessage(const QString& info, const QString& problem);
    void updateTitle();
    QString chooseFile(bool save, const QString& filter);

    RecordingLoader m_loader;
    QTimer m_poll;
    QElapsedTimer m_loadClock;
    QString m_path;
    QString m_loadingPath;
    RecordingData m_data;
    RecordingView m_view;
    RecordingCurves m_curves;
    std::string m_problem;

    CRecordingChart* m_chart = nullptr;
    QScrollBar* m_scroll = nullptr;
    std::array<QCheckBox*, osc::kChannels> m_checks{};
    QComboBox* m_scale = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_fit = nullptr;
    QPushButton* m_csv = nullptr;
    QPushButton* m_png = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_info = nullptr;
    QLabel* m_problemLine = nullptr;
    QLabel* m_cursorTime = nullptr;
    QTreeWidget* m_readings = nullptr;
};

} // namespace tarvola::gui
