#include "lang/WindowTexts.h"

#include <map>
#include <string>

#include "monitor/Oscilloscope.h"
#include "settings/SettingsPages.h"

namespace tarvola::gui {

namespace {
constexpr MessageText kKeys[] = {
#include "texts/Windows_pl.inc"
};
constexpr MessageText kEnglish[] = {
#include "texts/Windows_en.inc"
};
constexpr MessageText kItalian[] = {
#include "texts/Windows_it.inc"
};
constexpr MessageText kSpanish[] = {
#include "texts/Windows_es.inc"
};
constexpr MessageText kPortuguese[] = {
#include "texts/Windows_pt.inc"
};
constexpr MessageText kCroatian[] = {
#include "texts/Windows_hr.inc"
};
constexpr MessageText kRussian[] = {
#include "texts/Windows_ru.inc"
};
constexpr MessageText kTurkish[] = {
#include "texts/Windows_tr.inc"
};
constexpr MessageText kGerman[] = {
#include "texts/Windows_de.inc"
};
constexpr MessageText kSlovenian[] = {
#include "texts/Windows_sl.inc"
};

std::string_view view(const char8_t* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// Polish text -> the twelve texts, built once.
const std::map<std::string_view, TwelveTexts, std::less<>>& catalog()
{
    static const auto table = [] {
        std::map<std::string_view, TwelveTexts, std::less<>> t;
        for (const auto& k : kKeys) {
            TwelveTexts texts{};
            texts[0] = view(k.polish);
            t.emplace(view(k.polish), texts);
        }
        for (std::size_t column = 1; column < kBuiltInLanguageCount; ++column) {
            for (const auto& m : windowTranslations(kTextColumnLanguage[column])) {
                auto it = t.find(view(m.polish));
                if (it != t.end())
                    it->second[column] = view(m.text);
            }
        }
        return t;
    }();
    return table;
}
} // namespace

std::span<const MessageText> windowTextKeys() { return kKeys; }

std::span<const MessageText> windowTranslations(int language)
{
    switch (language) {
    case Lang::English: return kEnglish;
    case Lang::Italian: return kItalian;
    case Lang::Spanish: return kSpanish;
    case Lang::Portuguese: return kPortuguese;
    case Lang::Croatian: return kCroatian;
    case Lang::Russian: return kRussian;
    case Lang::Turkish: return kTurkish;
    case Lang::German: return kGerman;
    case Lang::Slovenian: return kSlovenian;
    default: return {};
    }
}

TwelveTexts windowTexts(std::string_view polish)
{
    const auto& t = catalog();
    const auto it = t.find(polish);
    if (it != t.end())
        return it->second;
    TwelveTexts texts{};
    texts[0] = polish;
    return texts;
}

void CWindowTexts::add(int id, std::string_view polish)
{
    addText(id, windowTexts(polish));
}

void CViewTexts::fillTexts()
{
    using namespace viewids;
    add(kCaptionId, "Duży wyświetlacz");
    add(Switch, "Przełącznik");
    add(BtnGasoline, "Benzyna");
    add(BtnAuto, "Automat");
    add(BtnLpg, "Gaz");
    add(Injectors, "Aktywne wtryskiwacze");
    add(Pressure, "Ciśnienie");
    add(PressureGas, "Gaz");
    add(Manifold, "Kolektor");
    add(Temperature, "Temperatura");
    add(TemperatureGas, "Gaz");
    add(Reducer, "Reduktor");
    add(Voltage, "Napięcie");
    add(Supply, "Zasilanie");
    add(Rpm, "Obroty");
    add(Lambda1, "Lambda 1");
    add(Lambda2, "Lambda 2");
    add(GasTime, "Czas wtr. gazowy");
    add(PetrolTimes, "Czas wtrysku benzynowy");
    static const char* const kCyl[] = {"Cyl 1", "Cyl 2", "Cyl 3", "Cyl 4", "Cyl 5", "Cyl 6", "Cyl 7", "Cyl 8"};
    for (int i = 0; i < 8; ++i)
        add(CylFirst + i, kCyl[i]);
    add(RpmShort, "RPM");
    add(GasShort, "Gazowy");
    add(InjectionTime, "Czas wtrysku");
    add(RowPetrol, "Benzyna");
    add(RowGas, "Gaz");
}

void CMainMenuTexts::fillTexts()
{
    auto add = [this](int id, std::string_view polish) { addText(id, windowTexts(polish)); };
    add(0, "Plik");
    add(1, "Edycja");
    add(2, "Narzędzia");
    add(3, "O programie");
    add(ids::CmdFileOpen, "Otwórz plik ustawień...");
    add(ids::CmdFileSave, "Zapisz plik ustawień");
    add(ids::CmdFileSaveAs, "Zapisz plik ustawień jako...");
    add(ids::CmdFileClose, "Zamknij plik ustawień");
    add(ids::CmdExit, "Wyjście");
    add(ids::CmdUndo, "Cofnij");
    add(ids::CmdRedo, "Ponów");
    add(ids::CmdCompare, "Porównaj z plikiem ustawień...");
    add(ids::CmdCompareEnd, "Zakończ porównanie");
    add(ids::CmdCompareSettings, "Porównaj ustawienia...");
    add(ids::CmdMainCorr, "Korekta główna...");
    add(ids::CmdCharts, "Wykresy...");
    add(ids::CmdErrors, "Błędy urządzenia...");
    add(ids::CmdService, "Serwis...");
    add(ids::CmdSettings, "Odczyt/zapis ustawień...");
    add(ids::CmdLanguage, "Język...");
    add(ids::CmdInjCalc, "Kalkulator wtryskiwaczy...");
    add(ids::CmdLargeDisplay, "Duży wyświetlacz (F10)");
    add(ids::CmdHelp, "Pomoc");
    add(ids::CmdAbout, "O programie TARVOLA...");
}

void CAboutDlgTexts::fillTexts()
{
    add(kCaptionId, "O programie TARVOLA...");
    add(aboutids::Purpose, "Program konfiguracyjny sekwencyjnego sterownika wtrysku gazu LPG/CNG");
    add(aboutids::Licence, "Licencja: patrz plik LICENSE dostarczony z programem");
    add(aboutids::Guide, "Instrukcja obsługi: w folderze dokumentacji programu (menu O programie → Pomoc):");
    add(ids::Ok, "OK");
}

void CLangDlgTexts::fillTexts()
{
    add(kCaptionId, "Wybór języka");
    add(1200, "Język:");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

void CPasswdDlgTexts::fillTexts()
{
    add(kCaptionId, "Opcje zaawansowane");
    add(1201, "Podaj hasło");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

void CMapPageTexts::fillTexts()
{
    using namespace calids;
    add(BtnClearPetrol, "Kasuj benzynę");
    add(BtnClearGas, "Kasuj gaz");
    add(BtnCreate, "Oblicz nastawy");
    add(BtnClearLine, "Kasuj nastawy");
    add(Lock, "Blokada");
    add(PetrolTime, "Czas wtrysku benzynowy");
    add(GasTime, "Czas wtr. gazowy");
    add(MainCorr, "Korekta główna [ms]");
    add(PetrolFill, "Wypełnienie mapy benzynowej");
    add(GasFill, "Wypełnienie mapy gazowej");
    add(Hint, "Przeciągnij punkt linii myszą lub użyj strzałek; Page Up / Page Down przesuwa całą linię.");
    add(ComparedWith, "Porównanie z plikiem:");
    add(EndCompare, "Zakończ porównanie");
}

void CTimeCorrChartTexts::fillTexts()
{
    add(chartids::Petrol, "Mapa benzynowa");
    add(chartids::Gas, "Mapa gazowa");
    add(chartids::Line, "Linia mnożnika");
    add(chartids::FileLine, "Linia mnożnika z pliku");
}

void CMapTexts::fillTexts()
{
    using namespace mapids;
    add(Hint, "Zaznacz komórki myszą lub strzałkami (Shift rozszerza). Prawy przycisk: poprawki. Page Up / Page Down: ±1 %.");
    add(ComparedWith, "Porównanie z plikiem:");
    add(EndCompare, "Zakończ porównanie");
    add(DiffLegend, "Różnica: sterownik − plik");
    add(Differs, "Mapa w oknie może różnić się od mapy w sterowniku.");
    add(ReadBack, "Odczytaj mapę ze sterownika");
}

void CMapMenuTexts::fillTexts()
{
    auto add = [this](int id, std::string_view polish) { addText(id, windowTexts(polish)); };
    add(0, "Poprawki");
    add(32785, "Dodaj...");
    add(32786, "Odejmij...");
    add(32788, "Ustaw..");
    add(32787, "Kasuj poprawki");
}

void CMapAddDlgTexts::fillTexts()
{
    add(kCaptionId, "Dodaj...");
    add(mapdlgids::AddPrompt, "Dodaj:");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

void CMapSubbDlgTexts::fillTexts()
{
    add(kCaptionId, "Odejmij...");
    add(mapdlgids::SubbPrompt, "Odejmij:");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

void CMapSetDlgTexts::fillTexts()
{
    add(kCaptionId, "Ustaw...");
    add(mapdlgids::SetPrompt, "Ustaw wartość:");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

void CMainCorrDlgTexts::fillTexts()
{
    add(kCaptionId, "Korekcje");
    add(corrids::ChangeForAll, "Zmiana dla wszystkich");
    add(corrids::CylinderHeading, "Cylinder");
    add(corrids::CorrectionHeading, "Korekta [ms]");
    add(ids::Cancel, "Zamknij");
}

void CCompareSettingsDlgTexts::fillTexts()
{
    add(kCaptionId, "Porównanie ustawień");
    add(compareids::WithController, "Sterownik i plik...");
    add(compareids::TwoFiles, "Dwa pliki...");
    add(compareids::Setting, "Ustawienie");
    add(compareids::Key, "Klucz");
    add(compareids::Controller, "Sterownik");
    add(ids::Cancel, "Zamknij");
}

CSettingsPageTexts::CSettingsPageTexts(const SettingsPage& page)
{
    add(kCaptionId, page.title);
    for (std::size_t g = 0; g < page.groups.size(); ++g)
        add(page.groupId(static_cast<int>(g)), page.groups[g]);
    for (const auto& c : page.controls) {
        if (*c.label == '\0')
            continue;
        add(c.kind == ControlKind::Check ? c.id : c.id + kLabelOffset, c.label);
    }
    if (page.hasFuelLevel) {
        add(fuelctl::ReadingLabel, "Aktualne wskazanie");
        add(fuelctl::ReserveLabel, "Rezerwa");
    }
}

// ---- the service windows ----

void CErrDlgTexts::fillTexts()
{
    add(kCaptionId, "Błędy");
    add(errids::Clear, "Kasuj błędy");
    add(errids::Buzzer, "Sygnał ciągły dla błędów");
    add(ids::Ok, "OK");
}

void CInjSizeCalcDlgTexts::fillTexts()
{
    add(kCaptionId, "Obliczanie średnicy dysz");
    add(injcalcids::TypeLabel, "Typ wtrysku benzynowego");
    add(injcalcids::CylindersLabel, "Liczba cylindrów");
    add(injcalcids::PowerLabel, "Moc silnika [KM]");
    add(injcalcids::ResultLabel, "Średnica dysz [mm]");
    add(injcalcids::Calculate, "Oblicz");
    add(injcalcids::Close, "Zamknij");
}

void CServiceDlgTexts::fillTexts()
{
    add(kCaptionId, "Informacje o pojeździe");
    add(serviceids::RunningGroup, "Czas pracy");
    add(serviceids::PetrolLabel, "Benzyna");
    add(serviceids::GasLabel, "Gaz");
    add(serviceids::StampLabel, "Ostatnia modyfikacja ustawień");
    add(serviceids::ThisPcLabel, "Kod serwisowy tego komputera");
    add(serviceids::ServiceGroup, "Przegląd");
    add(serviceids::RemainingLabel, "Czas jazdy pozostały do przeglądu");
    add(serviceids::Set, "Ustaw");
    add(ids::Ok, "OK");
}

void CSetServiceDlgTexts::fillTexts()
{
    add(kCaptionId, "Następny przegląd");
    add(setserviceids::DistanceLabel, "Przegląd za:");
    add(setserviceids::Note, "Uwaga: obliczony czas zakłada średnią prędkość 50 km/h");
    add(ids::Ok, "OK");
    add(ids::Cancel, "Anuluj");
}

} // namespace tarvola::gui

// The OBD-II page.
namespace tarvola::gui {
void COBD2PageTexts::fillTexts()
{
    using namespace obdids;
    add(kCaptionId, "Diagnostyka OBD");
    add(LinkGroup, "Połączenie z samochodem");
    add(Protocol, "Protokół");
    add(Standard, "Standard OBD");
    add(Connected, "OBD połączone");
    add(LiveGroup, "Wartości bieżące");
    add(CorrGroup, "Korekta paliwowa z OBD");
    add(ReadCorr, "Czytanie korekty z OBD");
    add(Period, "Okres aktualizacji korekty");
    add(MaxCorr, "Maksymalna korekta");
    add(Cylinder, "Cylinder");
    add(Bank1, "Korekta z Bank 1");
    add(Bank2, "Korekta z Bank 2");
    add(Computed1, "Korekta obliczona (bank 1)");
    add(Computed2, "Korekta obliczona (bank 2)");
    add(CodesGroup, "Błędy OBD");
    add(BtnRead, "Wczytaj błędy OBD");
    add(BtnErase, "Kasuj błędy OBD");
}
// ---- the read/write dialog ("Odczyt/Zapis") and the firmware update window ----

void CSettingsDlgTexts::fillTexts()
{
    using namespace setdlgids;
    add(kCaptionId, "Odczyt/Zapis");
    add(Load, "Odczyt");
    add(Save, "Zapis");
    add(Factory, "Ustawienia fabryczne");
    add(Firmware, "Aktualizacja firmware");
    add(BackupNote, "Zanim sterownik zostanie nadpisany, jego ustawienia są zapisywane w folderze:");
    add(ids::Cancel, "Zamknij");
}

void CFirmwareDlgTexts::fillTexts()
{
    using namespace fwdlgids;
    add(kCaptionId, "Aktualizacja firmware");
    add(FileLabel, "Plik firmware:");
    add(Choose, "Wybierz plik...");
    add(FileVersion, "Wersja w pliku:");
    add(FileDevice, "Sterownik w pliku:");
    add(Controller, "Sterownik:");
    add(ControllerVersion, "Wersja sterownika:");
    add(Backup, "Kopia ustawień:");
    add(Blocks, "Zapisane bloki:");
    add(TimeLeft, "Pozostały czas:");
    add(Start, "Aktualizuj");
    add(ids::Cancel, "Zamknij");
}


// ---- the oscilloscope page and the charts dialog ----

void COscyloskopPageTexts::fillTexts()
{
    using namespace oscids;
    add(Rpm, "RPM");
    add(PetrolTime, "Wtrysk benz.");
    add(GasTime, "Wtrysk gazu");
    add(GasPressure, "Ciśnienie");
    add(Manifold, "Podciśnienie");
    add(GasTemp, "Temp. gazu");
    add(ReducerTemp, "Temp. redukt.");
    add(Lambda1, "Lambda 1");
    add(Lambda2, "Lambda 2");
    add(ScaleCaption, "Skala:");
    add(Open, "Otwórz...");
    add(Record, "Zapisz jako...");
    add(Recording, "Zapis do pliku:");
}

void CChartsDlgTexts::fillTexts()
{
    using namespace chartsids;
    add(kCaptionId, "Wykresy");
    add(Lambda1, "Lambda 1");
    add(Lambda2, "Lambda 2");
    add(GasPressure, "Ciśnienie");
    add(Manifold, "Podciśnienie");
    add(GasTemp, "Temp. gazu");
    add(ReducerTemp, "Temp. redukt.");
    add(FastTrim, "Nastawy szybkie");
    add(SlowTrim, "Nastawy wolne");
    add(ids::Cancel, "Zamknij");
}

// ---- the communication log window ----

void CCommLogDlgTexts::fillTexts()
{
    add(kCaptionId, "Dziennik komunikacji");
    add(ids::CmdCommLog, "Dziennik komunikacji...");
    add(commlogids::Pause, "Wstrzymaj");
    add(commlogids::Clear, "Wyczyść");
    add(commlogids::Save, "Zapisz do pliku...");
    add(ids::Cancel, "Zamknij");
}

// ---- the recording viewer ----

void CRecordingViewerTexts::fillTexts()
{
    using namespace viewerids;
    add(kCaptionId, "Przeglądarka zapisów");
    add(ids::CmdOpenRecording, "Otwórz zapis oscyloskopu...");
    add(Open, "Otwórz...");
    add(Fit, "Cały zapis");
    add(ExportCsv, "Eksport CSV...");
    add(ExportPng, "Zapisz obraz...");
    add(ScaleCaption, "Skala:");
    add(ids::Cancel, "Anuluj");
    for (int c = 0; c < osc::kChannels; ++c)
        add(channelCheck(c), osc::channels()[static_cast<std::size_t>(c)].label);
}

} // namespace tarvola::gui
