// SPDX-License-Identifier: GPL-3.0-or-later
// The hour, minute and AM/PM fields of the alarm being composed.
#include "editor/frmMain.h"

#include "frame/controls/KeyCodes.h"
#include "frame/dates/DateText.h"

#include <algorithm>

namespace tickwell {

namespace {

double valueOf(const TextBox& field)
{
    return numberValue(field.text().toStdString());
}

// Only Backspace and the digits may be typed into the time fields.
void filterTyping(int& keyAscii)
{
    if (keyAscii != KeyCode::Backspace && (keyAscii < '0' || keyAscii > '9'))
        keyAscii = 0;
}

enum class Step {
    None,
    Up,
    Down,
};

// The arrow keys step, whatever Shift, Ctrl or Alt are held with them.
Step stepOf(int keyCode)
{
    switch (keyCode) {
    case KeyCode::Up:
    case KeyCode::Right:
        return Step::Up;
    case KeyCode::Left:
    case KeyCode::Down:
        return Step::Down;
    default:
        return Step::None;
    }
}

// One step of a field that runs from `low` to `high` and wraps around.
// From below the range a step down wraps to the top, so that no value
// below the range can be made by stepping. Above the range a step up stops
// at what two digits hold; the key's release then clamps to the top.
double stepped(double v, Step step, int low, int high)
{
    constexpr double largestTwoDigits = 99;
    if (step == Step::Up)
        return v == high ? low : std::min(v + 1, largestTwoDigits);
    return v <= low ? high : v - 1;
}

} // namespace

void frmMain::txtHour_KeyPress(int& keyAscii)
{
    switchHalfOfDay(keyAscii);
    filterTyping(keyAscii);
}

void frmMain::txtMin_KeyPress(int& keyAscii)
{
    switchHalfOfDay(keyAscii);
    filterTyping(keyAscii);
}

// "a" or "p", in either case, switches AM/PM as a click on it would, when
// that gives the half of the day named; the letter itself is not typed.
void frmMain::switchHalfOfDay(int keyAscii)
{
    const bool isAm = lblAMPM.caption() == QLatin1String("AM");
    const bool wantsAm = keyAscii == 'a' || keyAscii == 'A';
    const bool wantsPm = keyAscii == 'p' || keyAscii == 'P';
    // A click gives "PM" from "AM" and "AM" from anything else.
    if ((wantsAm && !isAm) || (wantsPm && isAm))
        lblAMPM_Click();
}

void frmMain::txtHour_KeyDown(int& keyCode, int)
{
    const Step step = stepOf(keyCode);
    if (step != Step::None)
        txtHour.setText(QString::number(stepped(valueOf(txtHour), step, 1, 12)));
}

void frmMain::txtMin_KeyDown(int& keyCode, int)
{
    const Step step = stepOf(keyCode);
    if (step != Step::None)
        txtMin.setText(QString::number(stepped(valueOf(txtMin), step, 0, 59)));
}

void frmMain::txtHour_KeyUp(int&, int)
{
    if (valueOf(txtHour) > 12)
        txtHour.setText(QStringLiteral("12"));
}

void frmMain::txtMin_KeyUp(int&, int)
{
    if (valueOf(txtMin) > 59)
        txtMin.setText(QStringLiteral("59"));
}

void frmMain::txtHour_LostFocus()
{
    if (valueOf(txtHour) == 0)
        txtHour.setText(QStringLiteral("1"));
}

void frmMain::txtMin_LostFocus()
{
    txtMin.setText(QString::fromStdString(formatTwoDigits(valueOf(txtMin))));
}

void frmMain::txtHour_Change()
{
    const double v = valueOf(txtHour);
    if (v <= 12 && v >= 1)
        UpdateNewAlarmCaption();
}

void frmMain::txtMin_Change()
{
    const double v = valueOf(txtMin);
    if (v <= 59 && v >= 0 && !txtMin.text().isEmpty())
        UpdateNewAlarmCaption();
}

void frmMain::lblAMPM_Click()
{
    lblAMPM.setCaption(
        lblAMPM.caption() == QLatin1String("AM") ? QStringLiteral("PM") : QStringLiteral("AM"));
}

void frmMain::lblAMPM_Change()
{
    UpdateNewAlarmCaption();
}

} // namespace tickwell
