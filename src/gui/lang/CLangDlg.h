#pragma once
// The language dialog: the thirteen languages by their list names, in id order.

#include <QDialog>
#include <QListWidget>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CLangDlg : public QDialog, public CLangDlgTexts {
    Q_OBJECT
public:
    explicit CLangDlg(QWidget* parent = nullptr);
    // The language chosen with OK; -1 before that.
    int chosenLanguage() const { return m_chosen; }
    QListWidget* list() const { return m_list; }

public slots:
    // OK with an item selected closes the dialog with that item's language; with none, nothing.
    void onOk();

private:
    QListWidget* m_list;
    int m_chosen = -1;
};

} // namespace tarvola::gui
