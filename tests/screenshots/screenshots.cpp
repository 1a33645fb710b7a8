// Renders the program's windows on the offscreen platform into PNG files,
// for a person to look at: `make screenshots`.
#include "support/ProgramUnderTest.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

using namespace tickwell;

namespace {
bool save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(folder);

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
    editor.InitTimeDate();
    editor.cboMonth.setListIndex(2);
    editor.updYear.setValue(2030);
    editor.lblDate_Click(12);
    editor.txtReminder.setText(QStringLiteral("Call the garage"));
    editor.lstAlarms.setListIndex(1);
    bool ok = save(editor, folder, QStringLiteral("editor"));
    editor.Hide();
    ok = save(*forms::frmAbout, folder, QStringLiteral("about")) && ok;
    return ok ? 0 : 1;
}
