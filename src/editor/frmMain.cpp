#include "editor/frmMain.h"

#include "frame/Forms.h"
#include "frame/Services.h"

namespace tickwell {

frmMain::frmMain(const Services& services)
    : lblCurrentTimeDate(this, QStringLiteral("lblCurrentTimeDate"), QStringLiteral("Current Time/Date"),
        { 3120, 240, 4455, 255 })
    , lblAlarmTimeDate(this, QStringLiteral("lblAlarmTimeDate"), QStringLiteral("New Alarm Time/Date"),
          { 3120, 600, 4455, 255 })
    , lstAlarms(this, "lstAlarms", { 3240, 1320, 4215, 1425 })
    , lstReminders(this, "lstReminders", { 6480, 3360, 1095, 255 })
    , cmdClearAlarm([this](int index) {
        static constexpr TwipsRect places[] { { 4680, 2880, 1335, 375 }, { 6120, 2880, 1335, 375 } };
        return new CommandButton(this, QStringLiteral("cmdClearAlarm(%1)").arg(index),
            index == 0 ? QStringLiteral("Clear Alarm") : QStringLiteral("Clear All Alarms"), places[index]);
    })
    , tmrTimer(this, "tmrTimer", 100, services.clock)
    , m_services(services)
    , m_alarmFile(services.alarmDirectory)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tickwell Alarm Clock - Alarm Editor"));
    setFixedSize(twips(7695), twips(5130));

    // The reminders are only the store of the rows of lstAlarms.
    lstReminders.setVisible(false);

    for (int index : { 0, 1 })
        connect(&cmdClearAlarm(index), &QPushButton::clicked, this,
            [this, index] { cmdClearAlarm_Click(std::int16_t(index)); });
    connect(&tmrTimer, &Timer::timer, this, &frmMain::tmrTimer_Timer);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    InitMonthTable();
    FillMonthList();
    InitTimeDate();
    LoadAlarms();
    // Only now, with the alarms read, may the first tick come.
    tmrTimer.setEnabled(true);
}

void frmMain::Form_Unload()
{
    forms::frmMain.clear(this);
}

void frmMain::InitMonthTable() { }

void frmMain::FillMonthList() { }

void frmMain::InitTimeDate() { }

} // namespace tickwell
