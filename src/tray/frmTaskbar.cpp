// SPDX-License-Identifier: GPL-3.0-or-later
#include "tray/frmTaskbar.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/Pictures.h"
#include "preferences/frmPreferences.h"

#include <QCoreApplication>

namespace tickwell {

frmTaskbar::frmTaskbar(const Services& services)
    : imgActivatedIcon(activeClockIcon())
    , imgDeactivatedIcon(inactiveClockIcon())
    , mnuPopup(QStringLiteral("Pop Up Menu"))
    , mnuPopupEdit(mnuPopup.addAction(QStringLiteral("Edit Alarms")))
    , mnuPopupDeactivate(mnuPopup.addAction(QStringLiteral("Deactivate Alarm Clock")))
    , mnuPopupActivate(mnuPopup.addAction(QStringLiteral("Activate Alarm Clock")))
    , mnuPopupExit(mnuPopup.addAction(QStringLiteral("Shut Down Alarm Clock")))
    , mnuSeparator(mnuPopup.addSeparator())
    , mnuPopupPreferences(mnuPopup.addAction(QStringLiteral("Preferences...")))
    , mnuPopupAbout(mnuPopup.addAction(QStringLiteral("About...")))
    , m_tray(services.tray)
{
    setObjectName(QStringLiteral("frmTaskbar"));
    presentAs(*this, QAccessible::Window);
    mnuPopup.setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupEdit->setObjectName(QStringLiteral("mnuPopupEdit"));
    mnuPopupDeactivate->setObjectName(QStringLiteral("mnuPopupDeactivate"));
    mnuPopupActivate->setObjectName(QStringLiteral("mnuPopupActivate"));
    mnuPopupExit->setObjectName(QStringLiteral("mnuPopupExit"));
    mnuSeparator->setObjectName(QStringLiteral("mnuSeparator"));
    mnuPopupPreferences->setObjectName(QStringLiteral("mnuPopupPreferences"));
    mnuPopupAbout->setObjectName(QStringLiteral("mnuPopupAbout"));
    mnuPopupActivate->setVisible(false);

    connect(mnuPopupEdit, &QAction::triggered, this, &frmTaskbar::mnuPopupEdit_Click);
    connect(mnuPopupDeactivate, &QAction::triggered, this, &frmTaskbar::mnuPopupDeactivate_Click);
    connect(mnuPopupActivate, &QAction::triggered, this, &frmTaskbar::mnuPopupActivate_Click);
    connect(mnuPopupExit, &QAction::triggered, this, &frmTaskbar::mnuPopupExit_Click);
    connect(mnuPopupPreferences, &QAction::triggered, this, &frmTaskbar::mnuPopupPreferences_Click);
    connect(mnuPopupAbout, &QAction::triggered, this, &frmTaskbar::mnuPopupAbout_Click);
    connect(&m_tray, &TrayService::activated, this, &frmTaskbar::trayActivated);
}

frmTaskbar::~frmTaskbar() = default;

void frmTaskbar::Form_Load()
{
    MinimizeToTray();
}

void frmTaskbar::MinimizeToTray()
{
    TrayIconData.uID = 1;
    TrayIconData.szTip = QStringLiteral("Tickwell Alarm Clock");
    TrayIconData.hIcon = imgActivatedIcon;
    m_tray.add(TrayIconData, mnuPopup);
    Hide();
    // Without a notification area the user could not reach the clock at
    // all; the icon follows once an area appears.
    if (!m_tray.isAvailable())
        showEditor();
}

void frmTaskbar::trayActivated(TrayService::Activation activation)
{
    // Classic trays report a double click, which opens the editor, and a
    // single click before it, which does nothing. Other hosts only report
    // "activate", and that opens it.
    const bool opens = m_tray.reportsDoubleClicks() ? activation == TrayService::Activation::DoubleClick
                                                    : activation == TrayService::Activation::Trigger;
    if (opens)
        showEditor();
}

void frmTaskbar::showEditor()
{
    forms::frmMain->Show();
}

void frmTaskbar::mnuPopupEdit_Click()
{
    forms::frmMain->InitTimeDate();
    forms::frmMain->Show();
}

void frmTaskbar::mnuPopupDeactivate_Click()
{
    forms::frmMain->tmrTimer.setEnabled(false);
    TrayIconData.hIcon = imgDeactivatedIcon;
    m_tray.modify(TrayIconData);
    mnuPopupActivate->setVisible(true);
    mnuPopupDeactivate->setVisible(false);
}

void frmTaskbar::mnuPopupActivate_Click()
{
    forms::frmMain->tmrTimer.setEnabled(true);
    TrayIconData.hIcon = imgActivatedIcon;
    m_tray.modify(TrayIconData);
    mnuPopupActivate->setVisible(false);
    mnuPopupDeactivate->setVisible(true);
}

void frmTaskbar::mnuPopupPreferences_Click()
{
    forms::frmPreferences->ShowPreferences();
}

void frmTaskbar::mnuPopupAbout_Click()
{
    forms::frmAbout->ShowModal();
}

void frmTaskbar::Form_QueryUnload(bool&, UnloadMode)
{
    TrayIconData.uID = 1;
    m_tray.remove(TrayIconData);
}

void frmTaskbar::Form_Unload()
{
    forms::frmTaskbar.clear(this);
}

void frmTaskbar::mnuPopupExit_Click()
{
    // A window that waits for the user, such as a reminder on show, finishes
    // its work first: ending now would close the box and lose that work.
    m_shutdownBegun = true;
    whenNoneBusy(&frmTaskbar::shutDown);
}

void frmTaskbar::shutDown()
{
    forms::frmPreferences.Unload();
    forms::frmAbout.Unload();
    forms::frmMain.Unload();
    forms::frmTaskbar.Unload();
    // No window is loaded any more: the program ends.
    QCoreApplication::exit(0);
}

} // namespace tickwell
