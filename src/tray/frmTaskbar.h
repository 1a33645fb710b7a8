#pragma once

#include "frame/Form.h"

namespace tickwell {

struct Services;

// The hidden window that owns the tray icon and its menu.
class frmTaskbar final : public Form {
    Q_OBJECT

public:
    explicit frmTaskbar(const Services& services);
    ~frmTaskbar() override;

    void MinimizeToTray();
    // "Shut Down Alarm Clock": unloads the three windows and ends the
    // program, once no window is busy.
    void mnuPopupExit_Click();

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload() override;

private:
    static void shutDown();

    const Services& m_services;
};

} // namespace tickwell
