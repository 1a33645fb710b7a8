// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "about/frmAbout.h"
#include "alarms/AlarmFileFormat.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/modMain.h"
#include "preferences/frmPreferences.h"
#include "tray/frmTaskbar.h"

#include "support/FakeAlarmSound.h"
#include "support/FakeClock.h"
#include "support/FakeMachineWake.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeNotifications.h"
#include "support/FakePreferencesStore.h"
#include "support/FakeTrayService.h"
#include "support/FakeWakeSource.h"
#include "support/TemporaryDirectory.h"

#include <QStringList>

namespace tickwell::test {

// The whole program in the test process, on fakes: a clock that stands
// still, message boxes, notifications, a sound and a machine's wake that
// only record, preferences in memory, "Alarm.dat" in a directory of its own.
// Each window's load and unload is written to `events`.
class ProgramUnderTest {
public:
    TemporaryDirectory directory;
    FakeClock clock;
    FakeMessageBoxes messageBoxes;
    FakeTrayService tray;
    FakeNotifications notifications;
    FakeWakeSource wakes;
    FakeMachineWake machineWake;
    FakeAlarmSound sound;
    FakePreferencesStore preferences;
    Services services { clock, wakes, machineWake, messageBoxes, tray, notifications, sound, preferences,
        directory.path() };
    QStringList events;

    ProgramUnderTest()
    {
        install(forms::frmMain, "frmMain");
        install(forms::frmTaskbar, "frmTaskbar");
        install(forms::frmAbout, "frmAbout");
        install(forms::frmPreferences, "frmPreferences");
    }
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
    ~ProgramUnderTest() { forms::destroyAll(); }

    std::filesystem::path alarmPath() const { return directory / "Alarm.dat"; }
    std::string alarmFile() const { return readFile(alarmPath()); }
    void writeAlarmFile(std::string_view bytes) const { writeFile(alarmPath(), bytes); }

    void start() { Main(); }
    frmMain& editor() { return *forms::frmMain; }

    QStringList rows(const ListBox& list) const
    {
        QStringList texts;
        for (int i = 0; i < list.listCount(); ++i)
            texts << list.list(i);
        return texts;
    }

private:
    template <typename F> void install(FormReference<F>& reference, const QString& name)
    {
        reference.setFactory([this, name] {
            auto form = std::make_unique<F>(services);
            QObject::connect(form.get(), &Form::loaded, [this, name] { events << "load " + name; });
            QObject::connect(form.get(), &Form::unloaded, [this, name] { events << "unload " + name; });
            return form;
        });
    }
};

} // namespace tickwell::test
