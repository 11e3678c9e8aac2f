#pragma once
// The password dialog of the advanced page: a masked entry and OK. OK with the right password
// closes it accepted; a wrong one keeps it open with the entry kept.

#include <QDialog>
#include <QLineEdit>

#include "lang/WindowTexts.h"

namespace tarvola::gui {

class CPasswdDlg : public QDialog, public CPasswdDlgTexts {
    Q_OBJECT
public:
    explicit CPasswdDlg(QWidget* parent = nullptr);
    QLineEdit* entry() const { return m_entry; }

public slots:
    void onOk();

private:
    QLineEdit* m_entry;
};

} // namespace tarvola::gui
