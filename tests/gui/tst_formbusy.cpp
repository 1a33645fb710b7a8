// SPDX-License-Identifier: GPL-3.0-or-later
// Busy windows: what is asked of a window, or of the program, while one of
// its handlers holds it busy waits until the hold ends, and then runs from
// the event loop.
#include "frame/Form.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>

#include <memory>

using namespace tickwell;

namespace {

class Window final : public Form {
public:
    QStringList* events = nullptr;

protected:
    void Form_Unload() override { *events << "unload " + objectName(); }
};

std::unique_ptr<Window> window(const QString& name, QStringList& events)
{
    auto form = std::make_unique<Window>();
    form->setObjectName(name);
    form->events = &events;
    form->Load();
    return form;
}

} // namespace

class FormBusyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anUnloadWaitsForTheLastHoldAndTheEventLoop();
    void workForAnIdleProgramWaitsForEveryBusyWindow();
};

void FormBusyTest::anUnloadWaitsForTheLastHoldAndTheEventLoop()
{
    QStringList events;
    const auto form = window("a", events);
    {
        const Form::BusyHold outer(*form);
        {
            const Form::BusyHold inner(*form);
            form->Unload();
            form->whenIdle([&events] { events << "after"; });
        }
        QCoreApplication::processEvents();
        QVERIFY(form->isBusy());
        QCOMPARE(events, QStringList {});
    }
    QVERIFY(!form->isBusy());
    // Not yet: the holding handler has only just returned.
    QCOMPARE(events, QStringList {});
    QCoreApplication::processEvents();
    QCOMPARE(events, QStringList({ "unload a", "after" }));
    QVERIFY(form->isUnloaded());

    // An idle window does what it is asked at once.
    form->whenIdle([&events] { events << "at once"; });
    QCOMPARE(events.last(), "at once");
}

void FormBusyTest::workForAnIdleProgramWaitsForEveryBusyWindow()
{
    QStringList events;
    const auto a = window("a", events);
    const auto b = window("b", events);
    Form::whenNoneBusy([&events] { events << "now"; });
    QCOMPARE(events, QStringList { "now" });
    events.clear();

    auto holdA = std::make_unique<Form::BusyHold>(*a);
    auto holdB = std::make_unique<Form::BusyHold>(*b);
    Form::whenNoneBusy([&events] { events << "ended"; });
    holdA.reset();
    QCoreApplication::processEvents();
    QCOMPARE(events, QStringList {});
    holdB.reset();
    QCoreApplication::processEvents();
    QCOMPARE(events, QStringList { "ended" });
}

QTEST_MAIN(FormBusyTest)
#include "tst_formbusy.moc"
