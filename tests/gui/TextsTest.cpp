// The window text tables: every text has its translations, the language files serve Czech, Lithuanian
// and Thai, and the windows still fit 1024 × 746 in the longest languages.

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <map>
#include <set>

#include "gui/GuiFixture.h"
#include "lang/CLangDlg.h"
#include "lang/CLangFile.h"
#include "lang/QtTranslations.h"
#include "lang/WindowTexts.h"
#include "settings/SettingsPages.h"

namespace tarvola::gui::test {

namespace {
std::string str(const char8_t* s)
{
    return reinterpret_cast<const char*>(s);
}
} // namespace

class TextsTest : public QObject {
    Q_OBJECT
private slots:
    void everyWindowTextHasEveryLanguage()
    {
        std::set<std::string> keys;
        for (const auto& k : windowTextKeys())
            QVERIFY2(keys.insert(str(k.polish)).second, k.polish ? reinterpret_cast<const char*>(k.polish) : "");
        for (int language : {Lang::English, Lang::Italian, Lang::Spanish, Lang::Portuguese, Lang::Croatian,
                             Lang::Russian, Lang::Turkish, Lang::German, Lang::Slovenian}) {
            std::set<std::string> seen;
            for (const auto& t : windowTranslations(language)) {
                QVERIFY2(keys.count(str(t.polish)), reinterpret_cast<const char*>(t.polish));
                QVERIFY(!str(t.text).empty());
                seen.insert(str(t.polish));
            }
            QCOMPARE(seen.size(), keys.size());
        }
        // Each language file carries every window text once, with a translation.
        for (const char* name : {"THAI.csv", "CZECH.csv", "LITHUANIAN.csv"}) {
            QFile file(QStringLiteral(TARVOLA_SOURCE_DATA_DIR "/E_Lang/") + QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll().mid(2);
            const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                                    bytes.size() / 2);
            std::map<std::string, int> count;
            for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
                const QStringList fields = line.split(QLatin1Char('\t'));
                QVERIFY2(fields.size() == 3 && !fields[2].isEmpty(), qPrintable(line));
                ++count[fields[0].toStdString()];
            }
            for (const auto& key : keys)
                QVERIFY2(count[key] == 1, (std::string(name) + ": " + key).c_str());
        }
    }

    void everyTableTextIsInTheCatalogue()
    {
        std::set<std::string> keys;
        for (const auto& k : windowTextKeys())
            keys.insert(str(k.polish));
        auto check = [&](const CMultiLangText& table) {
            for (const auto& [id, texts] : table.table())
                QVERIFY2(keys.count(texts[0]), texts[0].c_str());
        };
        check(CViewTexts());
        check(CMainMenuTexts());
        check(CAboutDlgTexts());
        check(CLangDlgTexts());
        check(CPasswdDlgTexts());
        check(CErrDlgTexts());
        check(CInjSizeCalcDlgTexts());
        check(CServiceDlgTexts());
        check(CSetServiceDlgTexts());
        check(COBD2PageTexts());
        check(CCompareSettingsDlgTexts());
        check(CSettingsDlgTexts());
        check(CFirmwareDlgTexts());
        check(CCommLogDlgTexts());
        check(CMapPageTexts());
        check(CMapAddDlgTexts());
        check(CMainCorrDlgTexts());
        check(COscyloskopPageTexts());
        check(CChartsDlgTexts());
        check(CRecordingViewerTexts());
        for (const SettingsPage* p : {&petrolPage(), &gasPage(), &switchPage(), &advancedPage()})
            check(CSettingsPageTexts(*p));
    }

    // Qt's own buttons follow the chosen language where Qt ships a translation, English elsewhere.
    void qtStandardButtonsSpeakTheLanguage()
    {
        const struct {
            int language;
            bool shipped;
            const char* yes;
        } cases[] = {{Lang::Polish, true, "&Tak"}, {Lang::German, true, "&Ja"}, {Lang::Thai, false, "&Yes"}};
        for (const auto& c : cases) {
            QCOMPARE(installQtTranslation(c.language), c.shipped);
            QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(c.yes));
        }
        installQtTranslation(Lang::English);
    }

    void languageDialogOffersThirteenLanguages()
    {
        CLangDlg dlg;
        QCOMPARE(dlg.list()->count(), 13);
        QCOMPARE(dlg.list()->currentRow(), 0);
        dlg.list()->setCurrentRow(12);
        dlg.onOk();
        QCOMPARE(dlg.chosenLanguage(), 12);
        CLangDlg none;
        none.list()->clearSelection();
        none.onOk();
        QCOMPARE(none.chosenLanguage(), -1);
    }

    void windowsFitInEveryLanguage()
    {
        GuiRig rig("fit");
        rig.start();
        auto* sheet = rig.view().sheet();
        for (int language : {Lang::Polish, Lang::English, Lang::German, Lang::Russian, Lang::Thai, Lang::Turkish}) {
            rig.doc->SetLanguage(language);
            rig.doc->setUnlocked();
            for (int page = 0; page < sheet->count(); ++page) {
                sheet->setCurrentIndex(page);
                QApplication::processEvents();
                const QSize need = rig.view().minimumSizeHint().expandedTo(rig.view().minimumSize());
                QVERIFY2(need.width() <= 1010 && need.height() <= 680,
                         qPrintable(QStringLiteral("language %1 page %2 needs %3x%4")
                                        .arg(language)
                                        .arg(page)
                                        .arg(need.width())
                                        .arg(need.height())));
            }
        }
        rig.doc->SetLanguage(Lang::Polish);
    }
};

TARVOLA_GUI_SUITE(TextsTest);

} // namespace tarvola::gui::test

#include "TextsTest.moc"
