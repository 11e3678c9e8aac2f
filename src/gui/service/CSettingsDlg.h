#pragma once
// The read/write dialog ("Odczyt/Zapis"): load a settings file into the controller, save the
// controller's settings to a file, restore the factory settings, and open the firmware update window.
// Each button runs its action to the end and then closes the dialog as OK does.
//
// Every action that overwrites the controller first saves what the controller holds to a time-stamped
// backup in the settings folder and then tells the user where it went; a backup that cannot be written
// stops the action before anything is sent. The actions' own failures come as the core's messages
// through the document's prompt; a declined factory reset leaves no backup behind.

#include <QDialog>
#include <QString>
#include <functional>

#include "lang/WindowTexts.h"

class QLabel;
class QPushButton;

namespace tarvola::gui {

class CVeldranixDoc;

class CSettingsDlg : public QDialog, public CSettingsDlgTexts {
    Q_OBJECT
public:
    // Which file a button asks for.
    enum class FileRole { Load, Save };
    // Chooses a file starting in `folder`; an empty result means cancelled. The system's file dialogs
    // by default; tests install their own and reset it with an empty function.
    using FileChooser = std::function<QString(QWidget* parent, FileRole role, const QString& folder)>;
    static void setFileChooser(FileChooser chooser);

    CSettingsDlg(CVeldranixDoc& doc, QWidget* parent = nullptr);

    // The view's "Odczyt/zapis ustawień..." command: shows the dialog modally.
    static void open(CVeldranixDoc& doc, QWidget* parent);

    QPushButton* loadButton() const { return m_load; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* factoryButton() const { return m_factory; }
    QPushButton* firmwareButton() const { return m_firmware; }
    // The path of the last backup an action wrote; empty when none.
    const QString& lastBackup() const { return m_lastBackup; }
    // True once the firmware button closed the dialog: open() shows the update window next.
    bool firmwareChosen() const { return m_firmwareChosen; }

public slots:
    void onLoad();
    void onSave();
    void onFactory();
    void onFirmware();

private:
    QString chooseFile(FileRole role);
    // Backs the controller's settings up; shows why not and returns false when it cannot.
    bool backUp();
    void tellBackup();

    CVeldranixDoc& m_doc;
    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_factory;
    QPushButton* m_firmware;
    QLabel* m_folder;
    QString m_lastBackup;
    bool m_firmwareChosen = false;
};

} // namespace tarvola::gui
