// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/frmPreferences.h"

#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/WindowFont.h"
#include "frame/desktop/AlarmSound.h"
#include "frame/desktop/MessageBoxes.h"
#include "preferences/PreferencesStore.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

namespace tickwell {

namespace {

const QString title = QStringLiteral("Tickwell Alarm Clock");

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QString lengthName(int minutes)
{
    return minutes == 0 ? QStringLiteral("Once") : QString::fromStdString(minutesText(minutes)).toLower();
}

// The list offers `choices`, and `value` among them in its place should it
// be another (a file edited by hand may hold any the clock takes); `value`
// is selected. Each item holds its minutes.
void fillLengths(ComboBox& list, std::span<const int> choices, int value)
{
    std::vector<int> lengths(choices.begin(), choices.end());
    if (std::find(lengths.begin(), lengths.end(), value) == lengths.end())
        lengths.insert(std::upper_bound(lengths.begin(), lengths.end(), value), value);
    list.clear();
    for (const int minutes : lengths)
        list.addItem(lengthName(minutes), minutes);
    list.setListIndex(list.findData(value));
}

} // namespace

frmPreferences::frmPreferences(const Services& services)
    : lblSound(this, QStringLiteral("lblSound"), QStringLiteral("Alarm sound:"), { 240, 180, 3000, 255 })
    , optSound([this](int index) {
        static constexpr TwipsRect places[] { { 360, 480, 3600, 285 }, { 360, 810, 3600, 285 } };
        return new OptionButton(this, indexed("optSound", index),
            index == 0 ? QStringLiteral("The sound theme's alarm") : QStringLiteral("A sound file:"),
            places[index]);
    })
    , txtSoundFile(this, QStringLiteral("txtSoundFile"), QString(), { 600, 1140, 3420, 315 })
    , cmdBrowse(this, QStringLiteral("cmdBrowse"), QStringLiteral("Browse..."), { 4140, 1110, 1140, 375 })
    , cmdPlay(this, QStringLiteral("cmdPlay"), QStringLiteral("Play"), { 4140, 1575, 1140, 375 })
    , lblRingTime(this, QStringLiteral("lblRingTime"), QStringLiteral("Ring for:"), { 240, 2130, 1560, 255 })
    , cboRingTime(this, QStringLiteral("cboRingTime"), { 1860, 2070, 1920, 315 })
    , chkGentleStart(this, QStringLiteral("chkGentleStart"),
          QStringLiteral("Start softly, louder with each ring"), { 240, 2550, 5040, 285 })
    , lblSnooze([this](int index) {
        return new Label(this, indexed("lblSnooze", index),
            index == 0 ? QStringLiteral("First snooze:") : QStringLiteral("Second snooze:"),
            { 240, 3030 + 420 * index, 1560, 255 });
    })
    , cboSnooze([this](int index) {
        return new ComboBox(this, indexed("cboSnooze", index), { 1860, 2970 + 420 * index, 1920, 315 });
    })
    , cmdOK(this, QStringLiteral("cmdOK"), QStringLiteral("OK"), { 2700, 4020, 1215, 375 })
    , cmdCancel(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), { 4065, 4020, 1215, 375 })
    , m_services(services)
{
    setObjectName(QStringLiteral("frmPreferences"));
    presentAs(*this, QAccessible::Dialog);
    setWindowTitle(QStringLiteral("Tickwell Alarm Clock - Preferences"));
    setFont(windowFont());
    setFixedSize(twips(5520), twips(4635));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);

    // Laid out for Tahoma; another font may be wider.
    for (Label* label : { &lblSound, &lblRingTime, &lblSnooze(0), &lblSnooze(1) })
        label->shrinkTextToFit();
    for (CommandButton* button : { &cmdBrowse, &cmdPlay, &cmdOK, &cmdCancel })
        button->shrinkTextToFit();

    // Named for screen readers after what the window shows beside them.
    txtSoundFile.setAccessibleName(QStringLiteral("Sound file"));
    cmdPlay.setAccessibleDescription(QStringLiteral("Plays the alarm sound once"));
    cmdPlay.setToolTip(QStringLiteral("Hear the alarm sound"));
    lblRingTime.setLabelFor(cboRingTime);
    for (int index : { 0, 1 }) {
        lblSnooze(index).setLabelFor(cboSnooze(index));
        cboSnooze(index).setToolTip(
            QStringLiteral("The notification's button that reminds again this much later"));
    }
    cmdOK.setDefault(true);

    setTabOrder();
    connectHandlers();
}

frmPreferences::~frmPreferences() = default;

void frmPreferences::setTabOrder()
{
    chainTabOrder({ &optSound(0), &optSound(1), &txtSoundFile, &cmdBrowse, &cmdPlay, &cboRingTime,
        &chkGentleStart, &cboSnooze(0), &cboSnooze(1), &cmdOK, &cmdCancel });
}

void frmPreferences::connectHandlers()
{
    for (int index : { 0, 1 })
        connect(&optSound(index), &QAbstractButton::clicked, this,
            [this, index] { optSound_Click(std::int16_t(index)); });
    connect(&txtSoundFile, &TextBox::change, this, &frmPreferences::txtSoundFile_Change);
    connect(&cmdBrowse, &QPushButton::clicked, this, &frmPreferences::cmdBrowse_Click);
    connect(&cmdPlay, &QPushButton::clicked, this, &frmPreferences::cmdPlay_Click);
    connect(&cmdOK, &QPushButton::clicked, this, &frmPreferences::cmdOK_Click);
    connect(&cmdCancel, &QPushButton::clicked, this, &frmPreferences::cmdCancel_Click);
    // A sample played to its end no longer needs silencing.
    connect(&m_services.sound, &AlarmSound::finished, this, [this](int number) {
        if (number == m_sample)
            m_sample = 0;
    });
}

void frmPreferences::ShowPreferences()
{
    if (!isVisible()) {
        showChoices(m_services.preferences.load());
        // The keyboard starts at the top, at the sound chosen.
        optSound(optSound(1).value() ? 1 : 0).setFocus();
    }
    Show();
}

void frmPreferences::showChoices(const Preferences& preferences)
{
    // The file's name first: typing one chooses the file, and so would this.
    txtSoundFile.setText(QFile::decodeName(QByteArray::fromStdString(preferences.soundFile)));
    optSound(preferences.sound == Preferences::Sound::File ? 1 : 0).setValue(true);
    fillLengths(cboRingTime, ringTimeChoices, int(preferences.ringTime.count()));
    chkGentleStart.setValue(preferences.gentleStart);
    for (int index : { 0, 1 })
        fillLengths(cboSnooze(index), snoozeChoices, preferences.snoozeMinutes[std::size_t(index)]);
}

Preferences frmPreferences::chosen() const
{
    Preferences preferences;
    preferences.sound = optSound(1).value() ? Preferences::Sound::File : Preferences::Sound::Theme;
    preferences.soundFile = QFile::encodeName(txtSoundFile.text()).toStdString();
    preferences.ringTime = std::chrono::minutes(cboRingTime.currentData().toInt());
    preferences.gentleStart = chkGentleStart.value();
    for (int index : { 0, 1 })
        preferences.snoozeMinutes[std::size_t(index)] = cboSnooze(index).currentData().toInt();
    return preferences;
}

void frmPreferences::optSound_Click(std::int16_t index)
{
    // A file to be chosen: the place to choose it.
    if (index == 1 && txtSoundFile.text().isEmpty())
        txtSoundFile.setFocus();
}

void frmPreferences::txtSoundFile_Change()
{
    if (!txtSoundFile.text().isEmpty())
        optSound(1).setValue(true);
}

void frmPreferences::cmdBrowse_Click()
{
    // Not the window's own: should the window be unloaded while the user
    // looks (the clock told to end), the dialog is not taken along with it.
    QFileDialog dialog(nullptr, QStringLiteral("Choose the Alarm Sound"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ QStringLiteral("Sounds (*.oga *.ogg *.wav)"), QStringLiteral("All files (*)") });
    const QString current = txtSoundFile.text();
    dialog.setDirectory(current.isEmpty() ? QDir::homePath() : QFileInfo(current).absolutePath());
    if (!current.isEmpty())
        dialog.selectFile(current);
    const QPointer<frmPreferences> window(this);
    const bool chose = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (!window || !chose)
        return;
    txtSoundFile.setText(dialog.selectedFiles().front());
    optSound(1).setValue(true);
}

void frmPreferences::cmdPlay_Click()
{
    // The sound as it would ring, at full volume: the one the gentle start grows to.
    stopSample();
    AlarmTone tone;
    if (optSound(1).value())
        tone.file = QFile::encodeName(txtSoundFile.text()).toStdString();
    m_sample = m_services.sound.play(tone);
}

void frmPreferences::cmdOK_Click()
{
    stopSample();
    const Preferences preferences = chosen();
    if (preferences.sound == Preferences::Sound::File && preferences.soundFile.empty()) {
        m_services.messageBoxes.MsgBox(QStringLiteral("Choose a sound file, or the sound theme's alarm."),
            MessageStyle::Exclamation, title);
        txtSoundFile.setFocus();
        return;
    }
    // Kept, or the window stays open with the choices in it.
    if (const std::string failure = m_services.preferences.save(preferences); !failure.empty()) {
        m_services.messageBoxes.MsgBox(
            QStringLiteral("The preferences could not be saved: %1.").arg(QString::fromStdString(failure)),
            MessageStyle::Exclamation, title);
        return;
    }
    Hide();
}

void frmPreferences::cmdCancel_Click()
{
    Hide();
}

void frmPreferences::stopSample()
{
    if (m_sample)
        m_services.sound.stop(std::exchange(m_sample, 0));
}

void frmPreferences::keyPressEvent(QKeyEvent* event)
{
    // As in any dialog: Escape forgets the choices; Return or Enter, where
    // no button has the focus to take it, keeps them.
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (event->key() == Qt::Key_Escape && plain) {
        cmdCancel_Click();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        cmdOK_Click();
        return;
    }
    Form::keyPressEvent(event);
}

void frmPreferences::hideEvent(QHideEvent* event)
{
    // Closed, the window plays nothing on.
    stopSample();
    Form::hideEvent(event);
}

void frmPreferences::Form_Unload()
{
    stopSample();
    forms::frmPreferences.clear(this);
}

} // namespace tickwell
