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
// The Edit menu: undo and redo of the calibration edits, the comparison with a settings file.
constexpr int CmdUndo = 57643, CmdRedo = 57644, CmdCompare = 32781, CmdCompareEnd = 32782, CmdCompareSettings = 32783;
// The File menu: a settings file worked on without a controller.
constexpr int CmdFileOpen = 57601, CmdFileClose = 57602, CmdFileSave = 57603, CmdFileSaveAs = 57604;
// Tools: the communication log window.
constexpr int CmdCommLog = 32784;
// File: the recording viewer.
constexpr int CmdOpenRecording = 32785;
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

// A settings page: its title as the caption, its group captions and every control label.
class CSettingsPageTexts : public CWindowTexts {
public:
    explicit CSettingsPageTexts(const SettingsPage& page);
};

// ---- the calibration workspace ----

// The calibration page ("Kalibracja"): its buttons, check box, progress bar and labels. The
// autocalibration button's text follows the run ("Autokalibracja" / "Wyłącz kalibrację") and comes
// from the message dictionary, not from this table.
namespace calids {
constexpr int BtnAuto = 1140, BtnClearPetrol = 1138, BtnClearGas = 1139, BtnCreate = 1137, BtnClearLine = 1141,
              Lock = 1084, Progress = 1103;
constexpr int PetrolTime = 1142, GasTime = 1143, MainCorr = 1144, PetrolFill = 1145, GasFill = 1146, Hint = 1147,
              ComparedWith = 1148, EndCompare = 1149;
} // namespace calids

class CMapPageTexts : public CWindowTexts {
public:
    CMapPageTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The chart's legend (the axis titles are messages: "Czas [ms]", "Mnożnik", "Ciśnienie kolektora [kPa]").
namespace chartids {
constexpr int Petrol = 1, Gas = 2, Line = 3, FileLine = 4;
} // namespace chartids

class CTimeCorrChartTexts : public CWindowTexts {
public:
    CTimeCorrChartTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The correction map page ("Mapa").
namespace mapids {
constexpr int Hint = 1150, ComparedWith = 1151, EndCompare = 1152, DiffLegend = 1153, Differs = 1154,
              ReadBack = 1155;
} // namespace mapids

class CMapTexts : public CWindowTexts {
public:
    CMapTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The map grid's popup menu: position 0 is the "Poprawki" submenu, the commands are keyed by their
// numbers (kMapCmdAdd … in calibration/MapGridModel.h).
class CMapMenuTexts : public CMultiLangMenu {
public:
    CMapMenuTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The three value dialogs of the map edits: caption, prompt, OK and Cancel.
namespace mapdlgids {
constexpr int AddEdit = 1297, AddPrompt = 1298, SubbEdit = 1301, SubbPrompt = 1302, SetEdit = 1046,
              SetPrompt = 1047;
} // namespace mapdlgids

class CMapAddDlgTexts : public CWindowTexts {
public:
    CMapAddDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

class CMapSubbDlgTexts : public CWindowTexts {
public:
    CMapSubbDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

class CMapSetDlgTexts : public CWindowTexts {
public:
    CMapSetDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The per-cylinder correction dialog ("Korekcje").
namespace corrids {
constexpr int ChangeForAll = 1421, CylinderHeading = 1400, CorrectionHeading = 1401;
constexpr int Edits[8] = {1198, 1223, 1225, 1227, 1229, 1231, 1233, 1235};
constexpr int CoarseSpins[8] = {1201, 1237, 1238, 1239, 1240, 1241, 1242, 1243};
constexpr int FineSpins[8] = {1200, 1224, 1226, 1228, 1230, 1232, 1234, 1236};
constexpr int NumberLabels[8] = {1330, 1331, 1332, 1333, 1334, 1335, 1336, 1337};
} // namespace corrids

class CMainCorrDlgTexts : public CWindowTexts {
public:
    CMainCorrDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The comparison of two configurations ("Porównanie ustawień").
namespace compareids {
constexpr int WithController = 1501, TwoFiles = 1502, Setting = 1503, Key = 1504, Controller = 1505;
} // namespace compareids

class CCompareSettingsDlgTexts : public CWindowTexts {
public:
    CCompareSettingsDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// Identifiers of the main view's captions.
namespace viewids {
constexpr int Switch = 1113, BtnGasoline = 1059, BtnAuto = 1060, BtnLpg = 1058, Injectors = 1004;
constexpr int Pressure = 1054, PressureGas = 1055, Manifold = 1061, Temperature = 1062, TemperatureGas = 1063,
              Reducer = 1070, Voltage = 1071, Supply = 1073, Rpm = 1115, Lambda1 = 1120, Lambda2 = 1121,
              GasTime = 1109, PetrolTimes = 1078, CylFirst = 1140; // 1140..1147
constexpr int RpmShort = 1150, GasShort = 1151, InjectionTime = 1152, RowPetrol = 1153, RowGas = 1154;
} // namespace viewids

// ---- the service windows ----

// The stored-errors dialog ("Błędy").
namespace errids {
constexpr int Text = 1101, Clear = 1100, Buzzer = 1132;
} // namespace errids

class CErrDlgTexts : public CWindowTexts {
public:
    CErrDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The injector size calculator ("Obliczanie średnicy dysz").
namespace injcalcids {
constexpr int Type = 1044, Cylinders = 1045, Power = 1050, Spin = 1107, Result = 1001, Calculate = 1084,
              Close = 1083;
constexpr int TypeLabel = 1450, CylindersLabel = 1451, PowerLabel = 1452, ResultLabel = 1453;
} // namespace injcalcids

class CInjSizeCalcDlgTexts : public CWindowTexts {
public:
    CInjSizeCalcDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The vehicle information dialog ("Informacje o pojeździe").
namespace serviceids {
constexpr int RunningGroup = 1460, PetrolLabel = 1461, GasLabel = 1462, StampLabel = 1463, ThisPcLabel = 1464,
              ServiceGroup = 1465, RemainingLabel = 1466, Set = 1467;
constexpr int PetrolTime = 1470, GasTime = 1471, Stamp = 1472, ThisPc = 1473, Remaining = 1474, HoursUnit = 1475;
} // namespace serviceids

class CServiceDlgTexts : public CWindowTexts {
public:
    CServiceDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The next service dialog ("Następny przegląd").
namespace setserviceids {
constexpr int DistanceLabel = 1480, Distance = 1481, Note = 1482;
} // namespace setserviceids

class CSetServiceDlgTexts : public CWindowTexts {
public:
    CSetServiceDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

} // namespace tarvola::gui

// The OBD-II page ("Diagnostyka OBD").
namespace tarvola::gui {
namespace obdids {
constexpr int LinkGroup = 1600, Protocol = 1601, Standard = 1602, Connected = 1603, LiveGroup = 1604,
              CorrGroup = 1605, ReadCorr = 1606, Period = 1607, MaxCorr = 1608, Cylinder = 1609,
              Bank1 = 1610, Bank2 = 1611, Computed1 = 1612, Computed2 = 1613, CodesGroup = 1614,
              BtnRead = 1615, BtnErase = 1616;
} // namespace obdids

class COBD2PageTexts : public CWindowTexts {
public:
    COBD2PageTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};
// ---- the read/write dialog ("Odczyt/Zapis") and the firmware update window ----

// The read/write dialog: its four buttons, the note on backups above the settings folder, and Close.
namespace setdlgids {
constexpr int Load = 1485, Save = 1084, Factory = 1085, Firmware = 1086, BackupNote = 1087;
} // namespace setdlgids

class CSettingsDlgTexts : public CWindowTexts {
public:
    CSettingsDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The firmware update window: the image and the controller side by side, the backup, the progress.
namespace fwdlgids {
constexpr int FileLabel = 1501, Choose = 1502, FileVersion = 1503, FileDevice = 1504, Controller = 1505,
              ControllerVersion = 1506, Backup = 1507, Blocks = 1508, TimeLeft = 1509, Start = 1510;
} // namespace fwdlgids

class CFirmwareDlgTexts : public CWindowTexts {
public:
    CFirmwareDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};


// ---- the oscilloscope page and the charts dialog ("Wykresy") ----

// The oscilloscope page: one check box per channel (shows or hides its curve), the scale list's
// caption, opening and recording a file, and the name of the file being recorded.
namespace oscids {
constexpr int Rpm = 1494, PetrolTime = 1486, GasTime = 1487, GasPressure = 1488, Manifold = 1489, GasTemp = 1490,
              ReducerTemp = 1491, Lambda1 = 1492, Lambda2 = 1493;
constexpr int Scale = 1472, ScaleCaption = 1473, Resume = 1134, Pause = 1135, Open = 1485, Record = 1484,
              Recording = 1495;
// The check box of channel c (0..8), in the channel order of the chart.
constexpr int channelCheck(int c)
{
    constexpr int ids[] = {Rpm, PetrolTime, GasTime, GasPressure, Manifold, GasTemp, ReducerTemp, Lambda1, Lambda2};
    return c >= 0 && c < 9 ? ids[c] : 0;
}
} // namespace oscids

class COscyloskopPageTexts : public CWindowTexts {
public:
    COscyloskopPageTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// The charts dialog: its caption, the captions of the live values beside the calibration chart, Close.
namespace chartsids {
constexpr int Lambda1 = 1601, Lambda2 = 1602, GasPressure = 1603, Manifold = 1604, GasTemp = 1605,
              ReducerTemp = 1606, FastTrim = 1607, SlowTrim = 1608;
} // namespace chartsids

class CChartsDlgTexts : public CWindowTexts {
public:
    CChartsDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// ---- the communication log window ----

// The communication log: its buttons and, under ids::CmdCommLog, the Tools menu entry that opens it.
namespace commlogids {
constexpr int Pause = 1701, Clear = 1702, Save = 1703;
} // namespace commlogids

class CCommLogDlgTexts : public CWindowTexts {
public:
    CCommLogDlgTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

// ---- the recording viewer ----

// The recording viewer: its caption, buttons, one check box per channel and, under
// ids::CmdOpenRecording, the File menu entry that opens a viewer.
namespace viewerids {
constexpr int Open = 1801, Fit = 1802, ExportCsv = 1803, ExportPng = 1804, ScaleCaption = 1805;
// The check box of channel c (0..8), in the channel order of the oscilloscope.
constexpr int channelCheck(int c)
{
    return c >= 0 && c < 9 ? 1811 + c : 0;
}
} // namespace viewerids

class CRecordingViewerTexts : public CWindowTexts {
public:
    CRecordingViewerTexts() { fillTexts(); }
protected:
    void fillTexts() override;
};

} // namespace tarvola::gui
