#include "app/CCompareSettingsDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"
#include "lang/translate.h"
#include "service/SettingsActions.h"
#include "settings/CSettingsFile.h"
#include "settings/SettingsDiff.h"
#include "settings/SettingsKeys.h"

namespace tarvola::gui {

namespace {
// A Polish window text (a control's label) in the current language.
class LabelText : public CWindowTexts {
public:
    explicit LabelText(std::string_view polish) { add(1, polish); }
    QString translated() const
    {
        try {
            return qs(text(1));
        } catch (const IError&) {
            return {};
        }
    }
};

QString settingsFolderPath()
{
    return qs(settingsFolder().value_or(QDir::homePath().toStdString()));
}
} // namespace

CCompareSettingsDlg::CCompareSettingsDlg(CVeldranixDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_withController(new QPushButton(this)), m_twoFiles(new QPushButton(this)),
      m_list(new QTreeWidget(this)), m_summary(new QLabel(this))
{
    setTextId(m_withController, compareids::WithController);
    setTextId(m_twoFiles, compareids::TwoFiles);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_withController);
    buttons->addWidget(m_twoFiles);
    buttons->addStretch(1);
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setColumnCount(4);
    // The label takes the room that is left; key and values keep to their width, side by side.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    setTextId(close->button(QDialogButtonBox::Close), ids::Cancel);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_summary);
    layout->addWidget(close);
    resize(760, 520);

    connect(m_withController, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, m_withController->text(), settingsFolderPath(),
                                                          QStringLiteral("*.xset;;*"));
        if (!file.isEmpty())
            compareWithController(file);
    });
    connect(m_twoFiles, &QPushButton::clicked, this, [this] {
        const QStringList files = QFileDialog::getOpenFileNames(this, m_twoFiles->text(), settingsFolderPath(),
                                                                QStringLiteral("*.xset;;*"));
        if (files.size() == 2)
            compareFiles(files[0], files[1]);
    });
    applyTexts();
}

void CCompareSettingsDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A missing text leaves the dialog as it was.
    }
    m_withController->setEnabled(m_doc.isConnected());
}

bool CCompareSettingsDlg::read(const QString& path, CDeviceSettings& record)
{
    std::string error;
    if (readSettingsRecord(path.toStdString(), record, error))
        return true;
    m_doc.prompt().error(translate("Nie można wczytać ustawień z pliku") + "\n" + error);
    return false;
}

bool CCompareSettingsDlg::compareWithController(const QString& file)
{
    if (!m_doc.isConnected() || !m_doc.unreadBlocks().empty()) {
        m_doc.prompt().error(translate("Nie powiodło się wczytanie ustawień urządzenia!"));
        return false;
    }
    CDeviceSettings record;
    if (!read(file, record))
        return false;
    showDifferences(m_doc.m_settings, qs(text(compareids::Controller)), record, QFileInfo(file).fileName());
    return true;
}

bool CCompareSettingsDlg::compareFiles(const QString& first, const QString& second)
{
    CDeviceSettings a, b;
    if (!read(first, a) || !read(second, b))
        return false;
    showDifferences(a, QFileInfo(first).fileName(), b, QFileInfo(second).fileName());
    return true;
}

void CCompareSettingsDlg::showDifferences(const CDeviceSettings& first, const QString& firstName,
                                          const CDeviceSettings& second, const QString& secondName)
{
    m_list->clear();
    m_list->setHeaderLabels({qs(text(compareids::Setting)), qs(text(compareids::Key)), firstName, secondName});
    const auto differences = settingsDifferences(first, second);
    for (const SettingDifference& d : differences) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, d.label.empty() ? QString() : LabelText(d.label).translated());
        item->setText(1, qs(d.key->name()));
        item->setText(2, qs(d.before));
        item->setText(3, qs(d.after));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_summary->setText(differences.empty() ? qs(translate("Brak różnic."))
                                           : qs(translate("Różniących się ustawień: ")) +
                                                 QString::number(differences.size()));
}

QString CCompareSettingsDlg::summary() const
{
    return m_summary->text();
}

} // namespace tarvola::gui
