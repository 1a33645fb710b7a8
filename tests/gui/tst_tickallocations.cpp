// SPDX-License-Identifier: GPL-3.0-or-later
// A tick that finds nothing due allocates the same few blocks however many
// alarms it reads: the caption's text, and nothing for each row. This test
// program counts every block allocated from the C heap, which is where
// operator new and Qt's containers both take their memory.
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmFileFormat.h"

#include <QTest>

#include <atomic>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's runtime; g++ ships no header for it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void*, std::size_t), void (*onFree)(const volatile void*));
#endif

namespace {

std::atomic<long>& allocationCount() noexcept
{
    static std::atomic<long> count { 0 };
    return count;
}

void countAllocation() noexcept
{
    allocationCount().fetch_add(1, std::memory_order_relaxed);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
namespace {
// The sanitizer owns malloc; it reports each allocation to a hook instead.
void onSanitizerMalloc(const volatile void*, std::size_t)
{
    countAllocation();
}
void onSanitizerFree(const volatile void*) { }
void startCounting()
{
    __sanitizer_install_malloc_and_free_hooks(onSanitizerMalloc, onSanitizerFree);
}
} // namespace
#else
// The C library's own allocator does the work; these only count. Blocks
// are freed by the library's free, the allocator they came from.
extern "C" {
void* __libc_malloc(std::size_t size) noexcept;
void* __libc_calloc(std::size_t count, std::size_t size) noexcept;
void* __libc_realloc(void* block, std::size_t size) noexcept;

void* malloc(std::size_t size) noexcept
{
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept
{
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) noexcept
{
    countAllocation();
    return __libc_realloc(block, size);
}
}
namespace {
void startCounting() { }
} // namespace
#endif

using namespace tickwell;
using namespace tickwell::test;

namespace {

// Blocks allocated by one tick over `rows` alarms, none of them due; with
// `newMinute` the caption changes too.
long allocationsOfOneTick(int rows, bool newMinute)
{
    ProgramUnderTest program;
    std::string file;
    for (int i = 0; i < rows; ++i)
        file += formatAlarmRecord(
            { *DateValue::fromParts(2030, 1, 1 + i / 1440, i / 60 % 24, i % 60), "Meeting" });
    program.writeAlarmFile(file);
    program.clock.set(2029, 12, 31, 12, 0, 0);
    program.start();
    frmMain& editor = program.editor();
    if (editor.lstAlarms.listCount() != rows)
        return -1;
    editor.tmrTimer_Timer();
    program.clock.advance(newMinute ? 60 : 1);

    const long before = allocationCount().load();
    editor.tmrTimer_Timer();
    const long after = allocationCount().load();
    return after - before;
}

} // namespace

class TickAllocationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { startCounting(); }
    void aTickWithoutDueAlarmsAllocatesNothingForEachRow_data();
    void aTickWithoutDueAlarmsAllocatesNothingForEachRow();
};

void TickAllocationTest::aTickWithoutDueAlarmsAllocatesNothingForEachRow_data()
{
    QTest::addColumn<bool>("newMinute");
    QTest::addColumn<long>("bound");
    // The caption's text is made, then found unchanged.
    QTest::newRow("same caption") << false << 3L;
    // Once a minute the label takes a new text, and lays it out.
    QTest::newRow("new caption") << true << 8L;
}

void TickAllocationTest::aTickWithoutDueAlarmsAllocatesNothingForEachRow()
{
    QFETCH(bool, newMinute);
    QFETCH(long, bound);
    const long few = allocationsOfOneTick(10, newMinute);
    const long many = allocationsOfOneTick(2000, newMinute);
    qInfo("allocations of one tick: %ld over 10 rows, %ld over 2000 rows", few, many);
    QVERIFY(few >= 0);
    QCOMPARE(many, few);
    QVERIFY(few <= bound);
}

QTEST_MAIN(TickAllocationTest)
#include "tst_tickallocations.moc"
