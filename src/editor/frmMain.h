#pragma once

#include "alarms/AlarmFile.h"
#include "frame/CommandButton.h"
#include "frame/ControlArray.h"
#include "frame/DateValue.h"
#include "frame/Form.h"
#include "frame/Label.h"
#include "frame/ListBox.h"
#include "frame/Timer.h"

#include <cstdint>
#include <optional>

namespace tickwell {

struct Services;

// The alarm editor. It owns the alarms: the two row-parallel lists (entry
// texts and reminders) and the timer that fires them.
class frmMain final : public Form {
    Q_OBJECT

public:
    explicit frmMain(const Services& services);
    ~frmMain() override;

    // Puts the present date and time into the editor's fields.
    void InitTimeDate();

    // The date value of an entry text of lstAlarms; none for a text that is not one.
    std::optional<DateValue> ParseAlarmEntry(const QString& entry) const;

    // Reads "Alarm.dat" into the lists and drops the alarms already past.
    void LoadAlarms();
    // The one removal path: index 0 removes the selected row, index 1 every
    // row; either way "Alarm.dat" is rewritten from the lists.
    void cmdClearAlarm_Click(std::int16_t index);
    // The clock tick: refreshes the present-time caption, announces the
    // alarms whose minute has come and removes every alarm that is due.
    void tmrTimer_Timer();

    Label lblCurrentTimeDate;
    Label lblAlarmTimeDate;
    ListBox lstAlarms;
    ListBox lstReminders;
    ControlArray<CommandButton, 0, 1> cmdClearAlarm;
    Timer tmrTimer;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void InitMonthTable();
    void FillMonthList();
    void rewriteAlarmFile();
    void announceSaveFailure(const std::string& reason);

    const Services& m_services;
    AlarmFile m_alarmFile;
    // A failing save is announced once, not at every removal while it keeps failing.
    bool m_saveFailureAnnounced = false;
    // Set while a tick scans the alarms, across the reminder boxes it waits in.
    bool m_scanningAlarms = false;
};

} // namespace tickwell
