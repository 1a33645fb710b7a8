// SPDX-License-Identifier: GPL-3.0-or-later
// Putting the present date and time into the editor's fields.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"

namespace tickwell {

void frmMain::InitTimeDate()
{
    // Each step reads the clock afresh; every write below runs the changed
    // control's handler before the next step.
    const Clock& clock = m_services.clock;

    txtHour.setText(QString::number(clock.now().parts().hour % 12));
    if (numberValue(txtHour.text().toStdString()) == 0)
        txtHour.setText(QStringLiteral("12"));
    txtMin.setText(QString::number(clock.now().parts().minute));
    lblAMPM.setCaption(clock.now().parts().hour / 12 == 0 ? QStringLiteral("AM") : QStringLiteral("PM"));
    txtMin.setText(QString::fromStdString(formatTwoDigits(numberValue(txtMin.text().toStdString()))));

    cboMonth.setListIndex(clock.now().parts().month - 1);
    // The spin control holds a year outside its range at the nearer bound.
    updYear.setValue(clock.now().parts().year);
    txtYear.setText(QString::number(updYear.value()));

    SelectedDay = std::int16_t(clock.now().parts().day);
    lblCurrentTimeDate.setCaption(
        QStringLiteral("It is now : ") + QString::fromStdString(formatEntryPattern(clock.now())));
    UpdateNewAlarmCaption();
}

} // namespace tickwell
