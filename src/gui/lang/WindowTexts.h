#pragma once
// The text tables of the program's windows. Each window has a companion class named after it with a
// "Texts" suffix; its table maps the window's control identifiers (kCaptionId for the caption) to the
// built-in texts of the twelve languages. The texts are data: texts/Windows_pl.inc lists every Polish
// source text, texts/Windows_<lang>.inc one language's texts, and the language files serve Czech,
// Lithuanian and Thai.

#include <span>
#include <string_view>

#include "lang/CMultiLangText.h"
#include "lang/MessageDictionary.h"

namespace tarvola {
struct SettingsPage;
}

namespace tarvola::gui {

// Control identifiers shared by several windows.
namespace ids {
constexpr int Ok = 1;
constexpr int Cancel = 2;
// Menu commands (the toolbar carries the same identifiers).
constexpr int CmdMainCorr = 32773, CmdCharts = 32774, CmdErrors = 32775, CmdService = 32776, CmdSettings = 32777,
              CmdLanguage = 32778, CmdInjCalc = 32779, CmdLargeDisplay = 32780, CmdHelp = 57670, CmdAbout = 57664,
              CmdExit = 57665;
} // namespace ids

// Every Polish window text with its note, and one language's texts (language ids 1..11; empty for the
// others).
std::span<const MessageText> windowTextKeys();
std::span<const MessageText> windowTranslations(int language);
// The twelve built-in texts of a Polish window text (empty where a language has none).
TwelveTexts windowTexts(std::string_view polish);

// A window's table, filled from Polish texts.
class CWindowTexts : public CMultiLangDlgWnd {
protected:
    void add(int id, std::string_view polish);
};

class CViewTexts : public CWindowTexts {
public:
    CViewTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

class CMainMenuTexts : public CMultiLangMenu {
public:
    CMainMenuTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The about box: its caption, its button and the lines of its read-only text (control 1001).
namespace aboutids {
constexpr int Text = 1001, Purpose = 1002, Licence = 1003, Guide = 1004;
} // namespace aboutids

class CAboutDlgTexts : public CWindowTexts {
public:
    CAboutDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

class CLangDlgTexts : public CWindowTexts {
public:
    CLangDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

class CPasswdDlgTexts : public CWindowTexts {
public:
    CPasswdDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The page that stands in for a function that comes later.
class CComingPageTexts : public CWindowTexts {
public:
    static constexpr int kMessageId = 1300;
    explicit CComingPageTexts(std::string_view title);
};

// A settings page: its title as the caption, its group captions and every control label.
class CSettingsPageTexts : public CWindowTexts {
public:
    explicit CSettingsPageTexts(const SettingsPage& page);
};

// Identifiers of the main view's captions.
namespace viewids {
constexpr int Switch = 1113, BtnGasoline = 1059, BtnAuto = 1060, BtnLpg = 1058, Injectors = 1004;
constexpr int Pressure = 1054, PressureGas = 1055, Manifold = 1061, Temperature = 1062, TemperatureGas = 1063,
              Reducer = 1070, Voltage = 1071, Supply = 1073, Rpm = 1115, Lambda1 = 1120, Lambda2 = 1121,
              GasTime = 1109, PetrolTimes = 1078, CylFirst = 1140; // 1140..1147
constexpr int RpmShort = 1150, GasShort = 1151, InjectionTime = 1152, RowPetrol = 1153, RowGas = 1154;
} // namespace viewids

} // namespace tarvola::gui
