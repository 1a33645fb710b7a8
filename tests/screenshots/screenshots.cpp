// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the program's windows on the offscreen platform into PNG files,
// for a person to look at: `make screenshots`. Each window in the light and
// in a dark colour scheme, at the desktop's scale and, run again by this
// program, at 1.5 and 2 times it.
#include "support/DarkPalette.h"
#include "support/ProgramUnderTest.h"

#include "alarms/RepeatWords.h"
#include "editor/CustomRepeat.h"
#include "frame/controls/KeyCodes.h"
#include "preferences/frmPreferences.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QStyle>
#include <QTimer>

#include <cstdio>

using namespace tickwell;

namespace {

const char* const scaleVariable = "QT_SCALE_FACTOR";

bool save(QWidget& window, const QString& path)
{
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    std::fflush(stdout); // before what the runs at other scales print
    return saved;
}

bool show(QWidget& window, const QString& path)
{
    window.show();
    QApplication::processEvents();
    return save(window, path);
}

// A reminder box, looked at while it is up.
bool reminderBox(const QString& path)
{
    bool saved = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            saved = save(*box, path);
            box->accept();
        }
    });
    QtMessageBoxes {}.MsgBox(
        QStringLiteral("Lunch with Ada,\r\nbring the book\r\n\r\n(12:00 PM  Tuesday, March 12, 2030)"),
        MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
    return saved;
}

// The windows in the application's present colours; `variant` ends each file's name.
bool renderWindows(const QString& folder, const QString& variant)
{
    const auto path
        = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name) + variant + ".png"); };
    test::ProgramUnderTest program;
    program.clock.set(2030, 3, 8, 21, 4, 30);
    program.writeAlarmFile(formatAlarmFile(
        std::vector<AlarmRecord> {
            { *DateValue::fromParts(2030, 3, 9, 7, 30), "Train to the coast" },
            { *DateValue::fromParts(2030, 3, 12, 12, 0), "Lunch with Ada,\r\nbring the book" },
            { *DateValue::fromParts(2030, 4, 1, 9, 15), "Dentist" },
        },
        ""));
    program.start();

    frmMain& editor = program.editor();
    // One that repeats: the list says how after its date.
    editor.setAlarm(DateValue::fromParts(2030, 3, 11, 6, 30), "Wake up", parseRepeatWords("weekdays").rule);
    // Shown first: showing the editor puts the present date and time in.
    editor.show();
    QApplication::processEvents();
    editor.lblDate_Click(12);
    editor.txtReminder.setText(QStringLiteral("Call the garage"));
    editor.lstAlarms.setListIndex(1);
    // The calendar at the keyboard, its focus mark a day on from the picked day.
    editor.activateWindow();
    editor.picCalendar.setFocus(Qt::TabFocusReason);
    int right = KeyCode::Right;
    editor.picCalendar_KeyDown(right, 0);
    bool ok = show(editor, path("editor"));
    // The repeat choice's own words, refused with the reason.
    editor.cboRepeat.setListIndex(editor.cboRepeat.count() - 1);
    if (auto* custom = editor.findChild<CustomRepeat*>()) {
        custom->txtWords.setText(QStringLiteral("every second tuesday"));
        custom->cmdOK_Click();
        ok = show(*custom, path("custom-repeat")) && ok;
        custom->reject();
    }
    editor.Hide();
    ok = show(*forms::frmAbout, path("about")) && ok;
    forms::frmAbout->Hide();
    // A sound file of the user's, and a snooze the window does not offer itself.
    program.preferences.kept.sound = Preferences::Sound::File;
    program.preferences.kept.soundFile = "/home/ada/Music/Morning birds.oga";
    program.preferences.kept.snoozeMinutes = { 10, 45 };
    forms::frmPreferences->ShowPreferences();
    ok = show(*forms::frmPreferences, path("preferences")) && ok;
    forms::frmPreferences->Hide();
    return reminderBox(path("reminder")) && ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);

    const QString scale = qEnvironmentVariable(scaleVariable);
    const QString atScale = scale.isEmpty() ? QString() : QStringLiteral("@%1x").arg(scale);
    bool ok = renderWindows(folder, atScale);
    QApplication::setPalette(test::darkPalette());
    ok = renderWindows(folder, QStringLiteral("-dark") + atScale) && ok;

    if (scale.isEmpty()) {
        for (const char* factor : { "1.5", "2" }) {
            QProcess again;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QLatin1String(scaleVariable), QLatin1String(factor));
            again.setProcessEnvironment(environment);
            again.setProcessChannelMode(QProcess::ForwardedChannels);
            again.start(QCoreApplication::applicationFilePath(), { folder });
            ok = again.waitForFinished(-1) && again.exitStatus() == QProcess::NormalExit
                && again.exitCode() == 0 && ok;
        }
    }
    return ok ? 0 : 1;
}
