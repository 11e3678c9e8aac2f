// The value lists of the control library.

#include <QTest>

#include "controls/CValueCmbBox.h"
#include "gui/GuiFixture.h"

namespace tarvola::gui::test {

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void valueListsShowAndSelectByValue()
    {
        CValueCmbBox box;
        box.addValue(2.25, 1);
        box.addValue(-0.5, 0);
        box.addValue(1.2345, 3);
        box.addValue(7, 2);
        QCOMPARE(box.itemText(0), QStringLiteral("2.3"));   // halves away from zero
        QCOMPARE(box.itemText(1), QStringLiteral("-1"));
        QCOMPARE(box.itemText(2), QStringLiteral("1.234"));
        QCOMPARE(box.itemText(3), QStringLiteral("7.00"));

        CValueCmbBox list;
        list.fill(valueRange(1.0, 40.0, 1.0, 1));
        QCOMPARE(list.count(), 40);
        QVERIFY(list.selectValue(12));
        QCOMPARE(*list.selectedValue(), 12.0);
        // A value no item holds leaves the selection where it was.
        QVERIFY(!list.selectValue(0.8));
        QCOMPARE(*list.selectedValue(), 12.0);
        // Refilling keeps the position.
        list.fill(valueRange(1.0, 40.0, 1.0, 1));
        QCOMPARE(*list.selectedValue(), 12.0);
        list.setCurrentIndex(-1);
        QVERIFY(!list.selectedValue());
        list.fill(valueRange(1.0, 40.0, 1.0, 1));
        QCOMPARE(list.currentIndex(), 0);
    }

    void textItemsAreTranslated()
    {
        setCurrentLanguage(Lang::English);
        CValueCmbBox list;
        list.fill(switchPage().find(2307)->items);
        QCOMPARE(list.itemText(list.count() - 1), QStringLiteral("Off"));
        QCOMPARE(list.itemText(0), QStringLiteral("2800"));
        setCurrentLanguage(Lang::Polish);
    }
};

TARVOLA_GUI_SUITE(ControlsTest);

} // namespace tarvola::gui::test

#include "ControlsTest.moc"
