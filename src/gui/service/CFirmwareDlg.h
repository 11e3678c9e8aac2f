#pragma once
// The firmware update window: the fitter chooses an image, sees what the file and the controller hold,
// and starts the update. The image is checked against the controller before anything is sent; the
// controller's settings are backed up first and the backup's path is shown; the progress bar counts the
// blocks and estimates the time left. While blocks are written the window cannot be closed (the
// controller would be left half programmed), but it keeps repainting. At the end it shows the result
// and the version the controller reports after reconnecting.
//
// The update runs on the user-interface thread; the window stays alive because the update pumps the
// event loop after every block. Failures arrive as the core's messages through the document's prompt;
// a link error object raised on the way is shown with the action's name.

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "lang/WindowTexts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvola::gui {

class CVeldranixDoc;

class CFirmwareDlg : public QDialog, public CFirmwareDlgTexts {
    Q_OBJECT
public:
    // Chooses an image starting in `folder`; empty means cancelled. The system's file dialog by
    // default; tests install their own and reset it with an empty function.
    using FileChooser = std::function<QString(QWidget* parent, const QString& folder)>;
    static void setFileChooser(FileChooser chooser);

    CFirmwareDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // Reads and checks `path` and shows what it holds; true when the image fits this controller, which
    // enables the update button.
    bool chooseImage(const QString& path);
    bool running() const { return m_running; }

    QPushButton* startButton() const { return m_start; }
    QPushButton* closeButton() const { return m_close; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }
    QLabel* controllerVersionLabel() const { return m_controllerVersion; }
    QLabel* backupLabel() const { return m_backup; }

public slots:
    void onChoose();
    void onStart();
    // Ignored while the update runs.
    void reject() override;

private:
    void showController();
    void onProgress(std::size_t sent, std::size_t total);
    void setStatus(const std::string& text, bool failure);

    CVeldranixDoc& m_doc;
    QString m_path;
    bool m_running = false;
    QElapsedTimer m_clock;
    std::size_t m_firstSent = 0;
    QLabel* m_file;
    QLabel* m_fileVersion;
    QLabel* m_fileDevice;
    QLabel* m_controller;
    QLabel* m_controllerVersion;
    QLabel* m_backup;
    QLabel* m_timeLeft;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_choose;
    QPushButton* m_start;
    QPushButton* m_close;
};

} // namespace tarvola::gui
