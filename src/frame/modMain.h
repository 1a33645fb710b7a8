// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tickwell {

class MessageBoxes;

// Start-up: loads the three windows, shows none of them, and returns. From
// then on the program lives in the notification area.
void Main();

// The desktop session is ending or the process was told to terminate: shut
// down as the tray menu's "Shut Down Alarm Clock" does, within moments.
// Whatever box is on show is closed as its OK would close it: a reminder
// on show counts as announced and leaves the file, and no other alarm is
// taken on.
void EndProgram(MessageBoxes& boxes);

// The display has gone, and with it the event loop: what EndProgram would
// write is written here and now, without a window. A reminder on show
// counts as announced and leaves the file; nothing else changes.
void EndWithoutDisplay(MessageBoxes& boxes);

// A later start of the program asked for the editor: open it as "Edit
// Alarms" does, unless the program is shutting down.
void ShowEditorOnRequest();
// A later start of the program asked for the Preferences window: open it as
// "Preferences..." does, unless the program is shutting down.
void ShowPreferencesOnRequest();

} // namespace tickwell
