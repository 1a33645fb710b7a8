#include "tray/frmTaskbar.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"

#include <QCoreApplication>

namespace tickwell {

frmTaskbar::frmTaskbar(const Services& services)
    : m_services(services)
{
    setObjectName(QStringLiteral("frmTaskbar"));
}

frmTaskbar::~frmTaskbar() = default;

void frmTaskbar::Form_Load()
{
    MinimizeToTray();
}

void frmTaskbar::MinimizeToTray()
{
    Hide();
}

void frmTaskbar::Form_QueryUnload(bool& cancel)
{
    (void)cancel;
}

void frmTaskbar::Form_Unload()
{
    forms::frmTaskbar.clear(this);
}

void frmTaskbar::mnuPopupExit_Click()
{
    // A window that waits for the user, such as a reminder on show, finishes
    // its work first: ending now would close the box and lose that work.
    whenNoneBusy(&frmTaskbar::shutDown);
}

void frmTaskbar::shutDown()
{
    forms::frmAbout.Unload();
    forms::frmMain.Unload();
    forms::frmTaskbar.Unload();
    // No window is loaded any more: the program ends.
    QCoreApplication::exit(0);
}

} // namespace tickwell
