#include "lang/CLangDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/Language.h"
#include "lang/QtTextTargets.h"

namespace tarvola::gui {

CLangDlg::CLangDlg(QWidget* parent) : QDialog(parent), m_list(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(this);
    setTextId(label, 1200);
    label->setBuddy(m_list);
    layout->addWidget(label);
    const auto& names = languageListNames();
    for (int id = 0; id < kLanguageCount; ++id) {
        auto* item = new QListWidgetItem(QString::fromUtf8(names[static_cast<std::size_t>(id)].data(),
                                                           static_cast<qsizetype>(names[static_cast<std::size_t>(id)].size())),
                                         m_list);
        item->setData(Qt::UserRole, id);
    }
    m_list->setCurrentRow(0);
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QDialogButtonBox::Ok);
    auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    setTextId(ok, ids::Ok);
    setTextId(cancel, ids::Cancel);
    connect(ok, &QPushButton::clicked, this, &CLangDlg::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CLangDlg::onOk);
    layout->addWidget(buttons);
    CWidgetTextTarget target(this);
    apply(target);
}

void CLangDlg::onOk()
{
    const auto selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_chosen = selected.first()->data(Qt::UserRole).toInt();
    accept();
}

} // namespace tarvola::gui
