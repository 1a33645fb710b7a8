// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/frmMain.h"

#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/DigitsValidator.h"
#include "frame/controls/Pictures.h"
#include "frame/controls/WindowFont.h"
#include "frame/dates/DateText.h"
#include "tray/frmTaskbar.h"

namespace tickwell {

namespace {

const QColor dayHeaderColour { 127, 151, 175 };

Label* makeCentred(QWidget* parent, const QString& name, const QString& caption, TwipsRect place)
{
    auto* label = new Label(parent, name, caption, place);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Every date caption that can follow `prefix`, for fitting the caption's size once.
QStringList everyDateCaption(const QString& prefix)
{
    QStringList captions;
    for (const char* half : { "AM", "PM" }) {
        for (int month = 1; month <= 12; ++month) {
            for (int weekday = 1; weekday <= 7; ++weekday)
                captions << prefix
                        + QStringLiteral("12:00 %1  %2, %3 30, 2030")
                              .arg(QLatin1String(half), latin1(weekdayName(weekday)),
                                  latin1(monthName(month)));
        }
    }
    return captions;
}

} // namespace

frmMain::frmMain(const Services& services)
    : Shape1(this, QStringLiteral("Shape1"), { 120, 240, 2805, 4755 }, QPalette::Dark)
    , Shape2(this, QStringLiteral("Shape2"), { 135, 255, 2805, 4755 }, QPalette::Light)
    , Shape3(this, QStringLiteral("Shape3"), { 3120, 1140, 4440, 2235 }, QPalette::Dark)
    , Shape4(this, QStringLiteral("Shape4"), { 3135, 1155, 4440, 2235 }, QPalette::Light)
    , lblCurrentTimeDate(this, QStringLiteral("lblCurrentTimeDate"), QStringLiteral("Current Time/Date"),
          { 3120, 240, 4455, 255 })
    , lblAlarmTimeDate(this, QStringLiteral("lblAlarmTimeDate"), QStringLiteral("New Alarm Time/Date"),
          { 3120, 600, 4455, 255 })
    , lblNewAlarm(this, QStringLiteral("lblNewAlarm"), QStringLiteral("New Alarm"), { 240, 150, 975, 255 })
    , cboMonth(this, QStringLiteral("cboMonth"), { 240, 420, 1500, 315 })
    , txtYear(this, QStringLiteral("txtYear"), QStringLiteral("1998"), { 1920, 420, 660, 315 })
    , updYear(this, QStringLiteral("updYear"), { 2625, 435, 195, 285 }, 1980, 2099, 1997)
    , picCalendar(this, QStringLiteral("picCalendar"), { 240, 900, 2580, 1845 })
    , lblDay([this](int k) {
        static const char* const names[] { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
        Label* header = makeCentred(&picCalendar, indexed("lblDay", k), QString::fromLatin1(names[k - 1]),
            { 360 * (k - 1), 0, 360, 255 });
        header->setBackColor(dayHeaderColour);
        header->setForeColor(Qt::black); // dark text reads on the blue-grey whatever the colour scheme
        return header;
    })
    , lblDate([this](int d) {
        const int column = (d - 1) % 7, row = (d - 1) / 7;
        Label* day = makeCentred(&picCalendar, indexed("lblDate", d), QString::number(d),
            { 360 * column, 255 + 240 * row, 360, 255 });
        day->setPressable(QAccessible::ListItem);
        day->setVisible(false); // until the calendar is first laid out
        return day;
    })
    , picTime(this, QStringLiteral("picTime"), { 240, 2940, 975, 345 })
    , txtHour(&picTime, QStringLiteral("txtHour"), QStringLiteral("00"), { 30, 30, 225, 225 })
    , lblColon([this](int index) {
        return makeCentred(&picTime, indexed("lblColon", index), QStringLiteral(":"), { 255, 30, 120, 225 });
    })
    , txtMin(&picTime, QStringLiteral("txtMin"), QStringLiteral("00"), { 360, 30, 225, 225 })
    , lblAMPM(&picTime, QStringLiteral("lblAMPM"), QStringLiteral("XM"), { 630, 30, 255, 225 })
    , cmdSetAlarm(this, QStringLiteral("cmdSetAlarm"), QStringLiteral("Set Alarm"), { 1440, 2940, 1335, 375 })
    // The repeat choice takes a row under the time; the reminder box gives
    // up that much of its height.
    , lblRepeat(this, QStringLiteral("lblRepeat"), QStringLiteral("Repeat : "), { 300, 3450, 780, 255 })
    , cboRepeat(this, QStringLiteral("cboRepeat"), { 1080, 3405, 1740, 315 })
    , lblReminder(
          this, QStringLiteral("lblReminder"), QStringLiteral("Reminder Text : "), { 300, 3810, 2415, 255 })
    , txtReminder(this, QStringLiteral("txtReminder"), { 240, 4050, 2580, 825 })
    , lblExistingAlarms(this, QStringLiteral("lblExistingAlarms"), QStringLiteral("Exisiting Alarms"),
          { 3240, 1050, 1335, 255 })
    , lstAlarms(this, QStringLiteral("lstAlarms"), { 3240, 1320, 4215, 1425 })
    , cmdViewReminder(
          this, QStringLiteral("cmdViewReminder"), QStringLiteral("View Reminder"), { 3240, 2880, 1335, 375 })
    , cmdClearAlarm([this](int index) {
        static constexpr TwipsRect places[] { { 4680, 2880, 1335, 375 }, { 6120, 2880, 1335, 375 } };
        return new CommandButton(this, indexed("cmdClearAlarm", index),
            index == 0 ? QStringLiteral("Clear Alarm") : QStringLiteral("Clear All Alarms"), places[index]);
    })
    , lstReminders(this, QStringLiteral("lstReminders"), { 6480, 3360, 1095, 255 })
    , lstRepeats(this, QStringLiteral("lstRepeats"), { 6480, 3360, 1095, 255 })
    , lblInstructions(this, QStringLiteral("lblInstructions"),
          QStringLiteral(
              "To create a new alarm, select the desired month, year, day, and time and enter an "
              "appropriate message in the 'Reminder' text box.  Hitting the 'Set Alarm' button will "
              "save your alarm."),
          { 3120, 3720, 4455, 615 })
    , cmdAbout(this, QStringLiteral("cmdAbout"), QStringLiteral("About..."), { 4800, 4560, 1335, 375 })
    , cmdClose(this, QStringLiteral("cmdClose"), QStringLiteral("Close"), { 6240, 4560, 1335, 375 })
    , tmrTimer(this, "tmrTimer", 100, services.clock, services.wakes)
    , m_services(services)
    , m_alarmFile(services.alarmDirectory)
{
    setObjectName(QStringLiteral("frmMain"));
    presentAs(*this, QAccessible::Window);
    setWindowTitle(QStringLiteral("Tickwell Alarm Clock - Alarm Editor"));
    setWindowIcon(activeClockIcon());
    setFont(windowFont());
    setFixedSize(twips(7695), twips(5130));

    // Laid out for Tahoma; another font may be wider.
    lblCurrentTimeDate.shrinkTextToFit(everyDateCaption(QStringLiteral("It is now : ")));
    lblAlarmTimeDate.shrinkTextToFit(everyDateCaption(QStringLiteral("New Alarm : ")) << noAlarmCaption());
    for (CommandButton* button :
        { &cmdSetAlarm, &cmdViewReminder, &cmdClearAlarm(0), &cmdClearAlarm(1), &cmdAbout, &cmdClose })
        button->shrinkTextToFit();
    lblRepeat.shrinkTextToFit();

    lblNewAlarm.setAlignment(Qt::AlignCenter);
    lblNewAlarm.setAutoFillBackground(true); // over the panel's top edge
    lblExistingAlarms.setAlignment(Qt::AlignCenter);
    lblInstructions.setWordWrap(true);
    lblInstructions.shrinkTextToFit();

    txtYear.setReadOnly(true);
    updYear.setBuddy(&txtYear);

    for (TextBox* field : { &txtHour, &txtMin }) {
        field->setFrame(false);
        // QLineEdit keeps two pixels of its own on either side, more than
        // these narrow fields can spare for two digits.
        field->setTextMargins(-2, 0, -2, 0);
        // At most two digits; the validator is the length limit too, so that
        // a paste is filtered before it is cut to length.
        field->setValidator(new DigitsValidator(2, field));
    }
    // "9:05" rather than "9 :05": the hour leans on the colon.
    txtHour.setAlignment(Qt::AlignRight);
    lblAMPM.setAlignment(Qt::AlignCenter);
    lblAMPM.setToolTip(QStringLiteral("Click to Toggle AM/PM"));
    lblAMPM.setPressable(QAccessible::Button);

    // Named for screen readers after what the window shows beside them.
    txtYear.setAccessibleName(QStringLiteral("Year"));
    updYear.setAccessibleName(QStringLiteral("Year"));
    txtHour.setAccessibleName(QStringLiteral("Hour"));
    txtMin.setAccessibleName(QStringLiteral("Minute"));
    lblRepeat.setLabelFor(cboRepeat);
    lblReminder.setLabelFor(txtReminder);
    lblExistingAlarms.setLabelFor(lstAlarms);
    // The calendar takes the focus in its own place, right after the year.
    picCalendar.setFocusPolicy(Qt::TabFocus);

    txtReminder.setMaxLength(128);
    FillRepeatList();

    // The reminders are only the store of the rows of lstAlarms.
    lstReminders.setVisible(false);
    lstRepeats.setVisible(false);

    setTabOrder();
    connectHandlers();
    // Hidden, the editor shows no time: its clock only needs the minutes.
    tmrTimer.setAsleep(true);
}

frmMain::~frmMain() = default;

void frmMain::setTabOrder()
{
    chainTabOrder({ &cboMonth, &txtYear, &updYear, &picCalendar, &txtHour, &txtMin, &cboRepeat, &lstAlarms,
        &cmdSetAlarm, &cmdClose, &cmdClearAlarm(0), &cmdClearAlarm(1), &txtReminder, &cmdViewReminder,
        &cmdAbout });
}

void frmMain::connectHandlers()
{
    // Clear Alarm asks first about an alarm that repeats.
    connect(&cmdClearAlarm(0), &QPushButton::clicked, this, &frmMain::clearAlarmAsked);
    connect(&cmdClearAlarm(1), &QPushButton::clicked, this, [this] { cmdClearAlarm_Click(1); });
    for (int d = 1; d <= 31; ++d) {
        connect(&lblDate(d), &Label::click, this, [this, d] {
            m_focusDay = d; // the keyboard goes on from the day clicked
            lblDate_Click(std::int16_t(d));
            showFocusDay();
        });
    }
    connect(&picCalendar, &PictureFrame::keyDown, this, &frmMain::picCalendar_KeyDown);
    connect(&picCalendar, &PictureFrame::gotFocus, this, &frmMain::picCalendar_GotFocus);
    connect(&picCalendar, &PictureFrame::lostFocus, this, &frmMain::picCalendar_LostFocus);
    connect(&tmrTimer, &Timer::timer, this, &frmMain::tmrTimer_Timer);
    connect(&tmrTimer, &Timer::enabledChanged, this, &frmMain::startWatching);
    // Switched off, the clock announces nothing: no machine wakes for it.
    connect(&tmrTimer, &Timer::enabledChanged, this, [this](bool enabled) {
        if (!enabled)
            cancelMachineWake();
    });
    connect(this, &Form::hidden, &tmrTimer, [this] { tmrTimer.setAsleep(true); });
    connect(&cboMonth, &ComboBox::click, this, &frmMain::cboMonth_Click);
    connect(&updYear, &SpinControl::change, this, &frmMain::updYear_Change);
    connect(&txtYear, &TextBox::change, this, &frmMain::txtYear_Change);

    connect(&txtHour, &TextBox::keyPress, this, &frmMain::txtHour_KeyPress);
    connect(&txtHour, &TextBox::keyDown, this, &frmMain::txtHour_KeyDown);
    connect(&txtHour, &TextBox::keyUp, this, &frmMain::txtHour_KeyUp);
    connect(&txtHour, &TextBox::change, this, &frmMain::txtHour_Change);
    connect(&txtHour, &TextBox::lostFocus, this, &frmMain::txtHour_LostFocus);
    connect(&txtMin, &TextBox::keyPress, this, &frmMain::txtMin_KeyPress);
    connect(&txtMin, &TextBox::keyDown, this, &frmMain::txtMin_KeyDown);
    connect(&txtMin, &TextBox::keyUp, this, &frmMain::txtMin_KeyUp);
    connect(&txtMin, &TextBox::change, this, &frmMain::txtMin_Change);
    connect(&txtMin, &TextBox::lostFocus, this, &frmMain::txtMin_LostFocus);
    connect(&lblAMPM, &Label::click, this, &frmMain::lblAMPM_Click);
    connect(&lblAMPM, &Label::change, this, &frmMain::lblAMPM_Change);

    connect(&cboRepeat, &ComboBox::click, this, &frmMain::cboRepeat_Click);
    // Custom words may be longer than the list is wide.
    connect(&cboRepeat, &QComboBox::currentTextChanged, &cboRepeat, &QWidget::setToolTip);
    // Whatever adds or changes a row, what it shows of its repetition follows.
    connect(lstAlarms.model(), &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex&, int first, int last) { showRepeatsOf(first, last); });
    connect(lstRepeats.model(), &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex&, int first, int last) { showRepeatsOf(first, last); });
    connect(lstRepeats.model(), &QAbstractItemModel::dataChanged, this,
        [this](
            const QModelIndex& first, const QModelIndex& last) { showRepeatsOf(first.row(), last.row()); });
    connect(&cmdSetAlarm, &QPushButton::clicked, this, &frmMain::cmdSetAlarm_Click);
    connect(&cmdViewReminder, &QPushButton::clicked, this, &frmMain::cmdViewReminder_Click);
    connect(&txtReminder, &MultiLineTextBox::dblClick, this, &frmMain::txtReminder_DblClick);
    connect(&cmdClose, &QPushButton::clicked, this, &frmMain::cmdClose_Click);
    connect(&cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
}

void frmMain::Form_Load()
{
    InitMonthTable();
    FillMonthList();
    InitTimeDate();
    LoadAlarms();
    // Only now, with the alarms read, may the first tick come.
    tmrTimer.setEnabled(true);
    // An editor loaded anew after an unload runs its clock again, whatever
    // the tray showed; the tray is brought in step.
    if (frmTaskbar* tray = forms::frmTaskbar.instance(); tray && forms::frmMain.instance() == this)
        tray->mnuPopupActivate_Click();
}

void frmMain::showEvent(QShowEvent* event)
{
    // The present time on show is live again.
    tmrTimer.setAsleep(false);
    Form::showEvent(event);
}

void frmMain::Form_Unload()
{
    // Unloaded, the editor's clock is gone, and with it its alarms' wake.
    cancelMachineWake();
    forms::frmMain.clear(this);
}

} // namespace tickwell
