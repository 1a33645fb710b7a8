// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/modMain.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "frame/controls/Pictures.h"
#include "frame/desktop/MessageBoxes.h"
#include "tray/frmTaskbar.h"

#include <QApplication>

namespace tickwell {

void Main()
{
    // Every window carries the clock's icon, the message boxes too: a window
    // manager shows a stranger's where a window names none.
    QApplication::setWindowIcon(activeClockIcon());
    forms::frmAbout.Load();
    forms::frmMain.Load();
    forms::frmTaskbar.Load();
}

void EndProgram(MessageBoxes& boxes)
{
    // The clock stops first: the tick whose reminder is closed below must
    // not go on to the next alarm of the minute.
    if (frmMain* editor = forms::frmMain.instance())
        editor->tmrTimer.setEnabled(false);
    boxes.closeAll();
    if (forms::frmTaskbar.isEmpty())
        Form::whenNoneBusy([] { QCoreApplication::exit(0); });
    else
        forms::frmTaskbar->mnuPopupExit_Click();
}

void EndWithoutDisplay(MessageBoxes& boxes)
{
    frmMain* editor = forms::frmMain.instance();
    if (editor)
        editor->tmrTimer.stop();
    // No box can be shown any more: what one would say goes to standard error.
    boxes.closeAll();
    if (editor)
        editor->reminderReadAtTheEnd();
}

} // namespace tickwell
