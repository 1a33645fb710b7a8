// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/Form.h"
#include "frame/desktop/TrayService.h"

#include <QAction>
#include <QMenu>

namespace tickwell {

struct Services;

// The hidden window that owns the tray icon and its menu. The clock's state
// is what three things show together: the editor's timer, the icon's
// picture and which of the two activation items the menu offers.
class frmTaskbar final : public Form {
    Q_OBJECT

public:
    explicit frmTaskbar(const Services& services);
    ~frmTaskbar() override;

    // Adds the icon and hides this window.
    void MinimizeToTray();

    void mnuPopupEdit_Click();
    void mnuPopupDeactivate_Click();
    void mnuPopupActivate_Click();
    // "Shut Down Alarm Clock": unloads the three windows and ends the
    // program, once no window is busy.
    void mnuPopupExit_Click();
    void mnuPopupPreferences_Click();
    void mnuPopupAbout_Click();
    // From "Shut Down Alarm Clock" on, also while it waits for a box.
    bool shutdownBegun() const noexcept { return m_shutdownBegun; }

    // The two pictures of the icon.
    QIcon imgActivatedIcon;
    QIcon imgDeactivatedIcon;

    QMenu mnuPopup;
    QAction* mnuPopupEdit;
    QAction* mnuPopupDeactivate;
    QAction* mnuPopupActivate;
    QAction* mnuPopupExit;
    QAction* mnuSeparator;
    QAction* mnuPopupPreferences;
    QAction* mnuPopupAbout;

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel, UnloadMode mode) override;
    void Form_Unload() override;

private:
    static void shutDown();
    void trayActivated(TrayService::Activation activation);
    void showEditor();

    TrayService& m_tray;
    TrayIconRecord TrayIconData;
    bool m_shutdownBegun = false;
};

} // namespace tickwell
