#pragma once
// The page that stands in for a window that comes in a later version: its title and one sentence.

#include <QLabel>
#include <QVBoxLayout>
#include <string>

#include "controls/CAppPropPage.h"
#include "lang/QtTextTargets.h"
#include "lang/WindowTexts.h"
#include "lang/translate.h"

namespace tarvola::gui {

// "Ta funkcja pojawi się w kolejnej wersji programu." in the current language.
inline std::string comingText()
{
    return CComingPageTexts("").text(CComingPageTexts::kMessageId);
}

class ComingPage : public CAppPropPage {
    Q_OBJECT
public:
    ComingPage(const char* polishTitle, QWidget* parent = nullptr)
        : CAppPropPage(parent), m_title(polishTitle), m_label(new QLabel(this))
    {
        auto* layout = new QVBoxLayout(this);
        m_label->setAlignment(Qt::AlignCenter);
        m_label->setWordWrap(true);
        layout->addWidget(m_label);
        applyTexts();
    }
    void applyTexts() override { m_label->setText(qs(comingText())); }
    QString title() const override { return qs(translate(m_title)); }

private:
    std::string m_title;
    QLabel* m_label;
};

} // namespace tarvola::gui
