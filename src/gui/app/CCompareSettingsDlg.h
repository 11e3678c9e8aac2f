#pragma once
// "Porównanie ustawień": every setting that differs between the controller and a settings file, or
// between two files, by its label in the user's language and its settings-file key, the two values
// side by side. Nothing is written.

#include <QDialog>

#include "lang/WindowTexts.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tarvola {
struct CDeviceSettings;
}

namespace tarvola::gui {

class CVeldranixDoc;

class CCompareSettingsDlg : public QDialog, public CCompareSettingsDlgTexts {
    Q_OBJECT
public:
    explicit CCompareSettingsDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The two comparisons; the buttons ask for the files in the settings folder. False, with the
    // reason shown, when a file cannot be read or the controller's settings are not all read.
    bool compareWithController(const QString& file);
    bool compareFiles(const QString& first, const QString& second);

    QTreeWidget* list() const { return m_list; }
    QString summary() const;

private:
    void showDifferences(const CDeviceSettings& first, const QString& firstName, const CDeviceSettings& second,
              const QString& secondName);
    bool read(const QString& path, CDeviceSettings& record);
    void applyTexts();

    CVeldranixDoc& m_doc;
    QPushButton* m_withController;
    QPushButton* m_twoFiles;
    QTreeWidget* m_list;
    QLabel* m_summary;
};

} // namespace tarvola::gui
