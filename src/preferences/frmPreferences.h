// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/Form.h"
#include "frame/controls/CheckBox.h"
#include "frame/controls/ComboBox.h"
#include "frame/controls/CommandButton.h"
#include "frame/controls/ControlArray.h"
#include "frame/controls/Label.h"
#include "frame/controls/OptionButton.h"
#include "frame/controls/TextBox.h"
#include "preferences/Preferences.h"

#include <cstdint>

namespace tickwell {

struct Services;

// The Preferences window: the alarm's sound (the sound theme's alarm or a
// file of the user's, with a button to hear it), how long an unanswered
// alarm rings, whether it starts softly, and the two snooze lengths of the
// reminder's notification. OK keeps the choices for the next reminder;
// Cancel, Escape or the window's close button forgets them.
class frmPreferences final : public Form {
    Q_OBJECT

public:
    explicit frmPreferences(const Services& services);
    ~frmPreferences() override;

    // Shows the window with the preferences as kept; one already on show
    // comes to the front with what the user has chosen in it so far.
    void ShowPreferences();

    void optSound_Click(std::int16_t index);
    void txtSoundFile_Change();
    void cmdBrowse_Click();
    void cmdPlay_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    Label lblSound;
    ControlArray<OptionButton, 0, 1> optSound; // 0: the theme's alarm, 1: a file
    TextBox txtSoundFile;
    CommandButton cmdBrowse;
    CommandButton cmdPlay;
    Label lblRingTime;
    ComboBox cboRingTime;
    CheckBox chkGentleStart;
    ControlArray<Label, 0, 1> lblSnooze;
    ControlArray<ComboBox, 0, 1> cboSnooze;
    CommandButton cmdOK;
    CommandButton cmdCancel;

protected:
    void Form_Unload() override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setTabOrder();
    void connectHandlers();
    // The controls show `preferences`; the preferences the controls show.
    void showChoices(const Preferences& preferences);
    Preferences chosen() const;
    void stopSample();

    const Services& m_services;
    // The sound the Play button started, while it may still play.
    int m_sample = 0;
};

} // namespace tickwell
