#include "calibration/MainCorrEditor.h"

#include "calibration/EditHistory.h"

#include <algorithm>
#include <cmath>

#include "errors/IError.h"
#include "lang/CommonTexts.h"
#include "lang/translate.h"
#include "device/CLPGDevice.h"
#include "platform/IUserPrompt.h"
#include "platform/NumberText.h"

namespace tarvola {

namespace {

bool validCylinder(int cylinder)
{
    return cylinder >= 0 && cylinder < CMainCorrEditor::kCylinders;
}

std::size_t index(int cylinder)
{
    return static_cast<std::size_t>(cylinder);
}
} // namespace

CMainCorrEditor::CMainCorrEditor(CLPGDevice& device, ClockFn clock)
    : m_device(device), m_applyTimer(kApplyPeriod, std::move(clock))
{
    open();
}

void CMainCorrEditor::open()
{
    for (int i = 0; i < kCylinders; ++i)
        m_texts[index(i)] = format(m_device.m_settings.m_mainCorr.m_mainCorr[index(i)]);
}

const std::string& CMainCorrEditor::text(int cylinder) const
{
    static const std::string empty;
    return validCylinder(cylinder) ? m_texts[index(cylinder)] : empty;
}

void CMainCorrEditor::setText(int cylinder, std::string text)
{
    if (validCylinder(cylinder))
        m_texts[index(cylinder)] = std::move(text);
}

int CMainCorrEditor::visibleCylinders() const
{
    return std::clamp(m_device.m_settings.m_devInfo.m_injCount, 0, kCylinders);
}

bool CMainCorrEditor::spinEnabled(int cylinder) const
{
    if (!cylinderVisible(cylinder) || !m_device.editable())
        return false;
    return cylinder == 0 || !m_changeForAll;
}

std::string CMainCorrEditor::format(double ms)
{
    return fixedText(ms, 2);
}

std::optional<double> CMainCorrEditor::parse(const std::string& text)
{
    return parseFixedText(text);
}

long long CMainCorrEditor::hundredthsOf(int cylinder) const
{
    const std::optional<double> v = parse(m_texts[index(cylinder)]);
    const double ms = v ? *v : m_device.m_settings.m_mainCorr.m_mainCorr[index(cylinder)];
    // Anything far outside the range is as good as its bound for the comparison below.
    return std::llround(std::clamp(ms, -1e6, 1e6) * 100);
}

bool CMainCorrEditor::spin(int cylinder, int step, bool coarse)
{
    if (!spinEnabled(cylinder))
        return false;
    const long long delta = static_cast<long long>(step) * (coarse ? 10 : 1);
    const long long next = hundredthsOf(cylinder) - delta;
    if (next < kMinHundredths || next > kMaxHundredths)
        return false;
    const std::string text = format(static_cast<double>(next) / 100.0);
    if (m_changeForAll)
        m_texts.fill(text);
    else
        m_texts[index(cylinder)] = text;
    m_applyTimer.restart();
    return true;
}

MainCorrApplyOutcome CMainCorrEditor::apply()
{
    m_applyTimer.stop();
    if (!m_device.editable())
        return MainCorrApplyOutcome::NotConnected;

    auto& corr = m_device.m_settings.m_mainCorr.m_mainCorr;
    const Corrections before = corr;
    for (int i = 0; i < kCylinders; ++i) {
        if (const std::optional<double> v = parse(m_texts[index(i)]))
            corr[index(i)] = std::clamp(*v, kMainCorrLowestMs, kMainCorrHighestMs);
        // Show what goes to the controller, not what the text said.
        m_texts[index(i)] = format(corr[index(i)]);
    }

    IUserPrompt& prompt = m_device.prompt();
    try {
        CBusyScope busy(prompt);
        if (m_device.writeSettings(SettingsBlock::MainCorr)) {
            const Corrections after = corr;
            if (m_history && after != before)
                m_history->record({"Korekcje cylindrów", [this, before] { return restore(before); },
                                   [this, after] { return restore(after); }});
            return MainCorrApplyOutcome::Written;
        }
    } catch (const IError& e) {
        // A timer handler must not let the error reach the event loop.
        prompt.errorBox("CMainCorrDlg::OnTimer()", e);
        return MainCorrApplyOutcome::Raised;
    }
    prompt.error(translate(kDeviceSettingFailedText));
    return MainCorrApplyOutcome::Failed;
}

bool CMainCorrEditor::restore(const Corrections& values)
{
    if (!m_device.editable())
        return false;
    IUserPrompt& prompt = m_device.prompt();
    auto& corr = m_device.m_settings.m_mainCorr.m_mainCorr;
    const Corrections current = corr;
    m_applyTimer.stop();
    corr = values;
    try {
        CBusyScope busy(prompt);
        if (m_device.writeSettings(SettingsBlock::MainCorr)) {
            open();
            return true;
        }
    } catch (const IError& e) {
        corr = current;
        prompt.errorBox("CMainCorrDlg::undo()", e);
        return false;
    }
    // The record keeps what the controller holds.
    corr = current;
    prompt.error(translate(kDeviceSettingFailedText));
    return false;
}

bool CMainCorrEditor::tick()
{
    if (!m_applyTimer.tick())
        return false;
    apply();
    return true;
}

} // namespace tarvola
