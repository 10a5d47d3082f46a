#include <QTest>

#include "shell/shell_tests.h"
#include "shell/startup_wait.h"
#include "support/fake_clock.h"

using velmora::waitHandlingEvents;
using velmora::testing::FakeMonotonicClock;

class StartupWaitTest : public QObject {
    Q_OBJECT
private slots:
    void waitRunsTheFullTwoSeconds();
    void waitStartedBeforeMidnightEndsTwoSecondsLater();
    void waitHandlesEventsAtLeastOnce();
    void waitStopsAtTheFirstReadingPastTheEnd();
};

void StartupWaitTest::waitRunsTheFullTwoSeconds() {
    // Readings 0 (start), 0.5, 1.0, 1.5, 2.0: events are handled after each of
    // the last four, and the wait ends once 2.0 was reached.
    FakeMonotonicClock clock(0.0, 0.5);
    int handled = 0;
    const double elapsed = waitHandlingEvents(clock, 2.0, [&] { ++handled; });
    QCOMPARE(elapsed, 2.0);
    QCOMPARE(handled, 4);
    QCOMPARE(clock.reads, 5);
}

void StartupWaitTest::waitStartedBeforeMidnightEndsTwoSecondsLater() {
    // Started at 86399 s, one second before midnight: ends at the reading 86401.
    FakeMonotonicClock clock(86399.0, 0.25);
    int handled = 0;
    const double elapsed = waitHandlingEvents(clock, 2.0, [&] { ++handled; });
    QCOMPARE(elapsed, 2.0);
    QCOMPARE(handled, 8);
    QCOMPARE(clock.reads, 9);
    // The next reading would be 86401.25: the clock stopped being read at 86401.
    QCOMPARE(clock.elapsedSeconds(), 86401.25);
}

void StartupWaitTest::waitHandlesEventsAtLeastOnce() {
    // A clock that jumps past the end at once still lets the splash paint once.
    FakeMonotonicClock clock(0.0, 5.0);
    int handled = 0;
    QCOMPARE(waitHandlingEvents(clock, 2.0, [&] { ++handled; }), 5.0);
    QCOMPARE(handled, 1);
}

void StartupWaitTest::waitStopsAtTheFirstReadingPastTheEnd() {
    // Steps of 0.75: elapsed 0.75, 1.5, 2.25; the last pass is the first at or past 2.
    FakeMonotonicClock clock(10.0, 0.75);
    int handled = 0;
    QCOMPARE(waitHandlingEvents(clock, 2.0, [&] { ++handled; }), 2.25);
    QCOMPARE(handled, 3);
}

int runStartupWaitTests(int argc, char** argv) {
    StartupWaitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup_wait.moc"
