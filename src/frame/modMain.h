#pragma once

namespace tickwell {

// Start-up: loads the three windows, shows none of them, and returns. From
// then on the program lives in the notification area.
void Main();

// The desktop session is ending or the process was told to terminate: shut
// down as the tray menu's "Shut Down Alarm Clock" does.
void EndProgram();

// A later start of the program asked for the editor: open it as "Edit
// Alarms" does, unless the program is shutting down.
void ShowEditorOnRequest();

} // namespace tickwell
