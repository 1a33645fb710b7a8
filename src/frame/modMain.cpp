#include "frame/modMain.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "tray/frmTaskbar.h"

#include <QCoreApplication>

namespace tickwell {

void Main()
{
    forms::frmAbout.Load();
    forms::frmMain.Load();
    forms::frmTaskbar.Load();
}

void ShowEditorOnRequest()
{
    if (!forms::frmTaskbar.isEmpty())
        forms::frmTaskbar->mnuPopupEdit_Click();
}

void EndProgram()
{
    if (forms::frmTaskbar.isEmpty())
        Form::whenNoneBusy([] { QCoreApplication::exit(0); });
    else
        forms::frmTaskbar->mnuPopupExit_Click();
}

} // namespace tickwell
