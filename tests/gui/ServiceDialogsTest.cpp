// The service windows against the virtual controller: the stored errors are read, decoded and
// cleared in the controller, and the calculator and the next service dialog refuse what they cannot
// take beside the field, keeping what was typed.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/CValueCmbBox.h"
#include "gui/GuiFixture.h"
#include "service/CErrorsDlg.h"
#include "service/CInjSizeCalcDlg.h"
#include "service/CServiceDlg.h"

namespace tarvola::gui::test {

class ServiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void errorsDialogShowsAndClearsTheStoredErrors()
    {
        sim::SimOptions options;
        // A memory fault, injectors 1 and 2, no RPM signal with a bit that has no text, the CAN bus.
        options.errorFlags = {0x01, 0x03, 0x41, 0x01};
        GuiRig rig("errors", true, options);
        rig.start();
        QVERIFY(waitFor([&] { return rig.doc->isConnected(); }));

        CErrorsDlg dlg(*rig.doc, rig.frame.get());
        const QStringList lines = dlg.errorText().split(QChar('\n'), Qt::SkipEmptyParts);
        QStringList shown;
        for (const QString& line : lines)
            shown << line.trimmed();
        QCOMPARE(shown, QStringList({QStringLiteral("Błąd zapisu do pamięci"),
                                     QStringLiteral("Błąd wtryskiwacza gazu 1 lub"),
                                     QStringLiteral("Błąd wtryskiwacza gazu 2"), QStringLiteral("Brak sygnału RPM"),
                                     QStringLiteral("Nierozpoznany kod błędu = 0x40"),
                                     QStringLiteral("Błąd magistrali CAN")}));

        // The buzzer box writes the base settings: the controller keeps the bit.
        const bool buzzer = dlg.buzzerBox()->isChecked();
        dlg.buzzerBox()->click();
        QVERIFY(rig.doc->readSettings(SettingsBlock::Base));
        QCOMPARE(dlg.buzzerBox()->isChecked(), !buzzer);
        QCOMPARE((rig.doc->m_settings.m_base.m_flags & 0x04) != 0, !buzzer);

        dlg.clearButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(dlg.errorText().isEmpty());
        QVERIFY(rig.prompt.messages.empty() && rig.prompt.plainBoxes.empty());
        std::array<std::uint8_t, 4> flags{0xFF, 0xFF, 0xFF, 0xFF};
        QVERIFY(waitFor([&] { return rig.doc->readErrorFlags(flags) && flags == std::array<std::uint8_t, 4>{}; }));
        // Opened again, the dialog has nothing to show.
        CErrorsDlg again(*rig.doc, rig.frame.get());
        QVERIFY(again.errorText().isEmpty());
    }

    void refusedInputIsSaidBesideTheFieldAndKept()
    {
        GuiRig rig("refusals", false);
        rig.doc->startDemo();

        struct PowerCase {
            const char* typed;
            const char* result; // empty: refused
        };
        CInjSizeCalcDlg calc(*rig.doc);
        QVERIFY(calc.cylindersBox()->selectValue(4));
        for (const PowerCase& c : {PowerCase{"20000", ""}, PowerCase{"100", "2.6"}, PowerCase{"10001", ""},
                                   PowerCase{"abc", "2.0"}}) {
            calc.powerBox()->setText(QString::fromUtf8(c.typed));
            calc.OnBtnCalculate();
            const bool refused = *c.result == '\0';
            QCOMPARE(calc.resultText(), QString::fromUtf8(c.result));
            QCOMPARE(calc.refusalLabel()->isVisibleTo(&calc), refused);
            QCOMPARE(calc.refusalLabel()->text().contains(QStringLiteral("10000")), refused);
            QCOMPARE(calc.powerBox()->text(), QString::fromUtf8(c.typed));
        }
        // Correcting the power takes the refusal away.
        calc.powerBox()->setText(QStringLiteral("20000"));
        calc.OnBtnCalculate();
        QTest::keyClick(calc.powerBox(), Qt::Key_Backspace);
        QVERIFY(!calc.refusalLabel()->isVisibleTo(&calc));

        struct DistanceCase {
            const char* typed;
            std::optional<std::uint32_t> km;
        };
        for (const DistanceCase& c : {DistanceCase{"abc", std::nullopt}, DistanceCase{"60000", std::nullopt},
                                      DistanceCase{"-5", std::nullopt}, DistanceCase{"", std::nullopt},
                                      DistanceCase{"7500", 7500u}, DistanceCase{"wyłączony", 0u}}) {
            CSetServiceDlg dlg(*rig.doc);
            dlg.distanceBox()->setEditText(QString::fromUtf8(c.typed));
            dlg.onOk();
            QCOMPARE(dlg.result(), int(c.km ? QDialog::Accepted : QDialog::Rejected));
            QCOMPARE(dlg.refusalLabel()->isVisibleTo(&dlg), !c.km);
            QCOMPARE(dlg.distanceBox()->currentText(), QString::fromUtf8(c.typed));
            if (c.km)
                QCOMPARE((rig.doc->m_settings.m_advancedSetup.m_advancedFlags & flags::ServiceReminder) != 0,
                         *c.km != 0);
        }
        QVERIFY(rig.prompt.messages.empty());

        // A change of language keeps what was typed and chosen, and says the refusals again.
        calc.powerBox()->setText(QStringLiteral("20000"));
        calc.OnBtnCalculate();
        CSetServiceDlg typed(*rig.doc);
        typed.distanceBox()->setEditText(QStringLiteral("abc"));
        typed.onOk();
        const QString polish = typed.refusalLabel()->text();
        rig.doc->SetLanguage(Lang::English);
        QCOMPARE(typed.distanceBox()->currentText(), QStringLiteral("abc"));
        QVERIFY(typed.refusalLabel()->isVisibleTo(&typed) && typed.refusalLabel()->text() != polish);
        QCOMPARE(calc.powerBox()->text(), QStringLiteral("20000"));
        QCOMPARE(calc.cylindersBox()->selectedValue(), std::optional<double>(4));
        QVERIFY(calc.refusalLabel()->text().contains(QStringLiteral("HP")));
        rig.doc->SetLanguage(Lang::Polish);
    }
};

TARVOLA_GUI_SUITE(ServiceDialogsTest);

} // namespace tarvola::gui::test

#include "ServiceDialogsTest.moc"
