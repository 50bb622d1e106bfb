// The worker of both windows: what a job throws ends it as a failure on the window thread.

#include "tests/ui/ui_support.h"
#include "ui/jobrunner.h"

#include <QtTest>
#include <new>
#include <stdexcept>

using namespace varnox;

class JobRunnerTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void thrownIsFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("failure");
        QTest::newRow("out of memory") << 0 << "Nicht genug Arbeitsspeicher";
        QTest::newRow("std::exception") << 1 << "Ordner weg";
        QTest::newRow("anything else") << 2 << "unbekannter Fehler";
    }

    void thrownIsFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, failure);
        ui::JobRunner runner;
        QObject owner;
        bool done = false;
        QStringList failures;
        QVERIFY(runner.Run(
            &owner,
            [kind](jobs::JobProgress&) {
                if (kind == 0)
                    throw std::bad_alloc();
                if (kind == 1)
                    throw std::runtime_error("Ordner weg");
                if (kind == 2)
                    throw 7;
                return 1;
            },
            [&](const std::shared_ptr<int>&) { done = true; },
            [&](const QString& text) { failures << text; }));
        QVERIFY(test::WaitForJob(runner));
        QCOMPARE(failures, QStringList{failure});
        QVERIFY(!done);

        // The runner takes the next job, whose value reaches the window thread.
        int value = 0;
        QVERIFY(runner.Run(
            &owner, [](jobs::JobProgress&) { return 42; },
            [&](const std::shared_ptr<int>& got) { value = *got; },
            [&](const QString& text) { failures << text; }));
        QVERIFY(test::WaitForJob(runner));
        QCOMPARE(value, 42);
        QCOMPARE(failures.size(), 1);
    }

    // A question from a job whose window is gone is answered Cancel without asking.
    void questionOfGoneWindowCancels()
    {
        ui::JobRunner runner;
        auto owner = std::make_unique<QObject>();
        bool asked = false;
        const ui::JobQuestion question = runner.MakeQuestion(owner.get(), [&](const QString&) {
            asked = true;
            return jobs::ReplaceAnswer::Yes;
        });
        owner.reset();
        QObject other;
        jobs::ReplaceAnswer answer = jobs::ReplaceAnswer::Yes;
        QVERIFY(runner.Run(
            &other, [question](jobs::JobProgress&) { return question(QStringLiteral("Ersetzen?")); },
            [&](const std::shared_ptr<jobs::ReplaceAnswer>& got) { answer = *got; }, [](const QString&) {}));
        QVERIFY(test::WaitForJob(runner));
        QCOMPARE(answer, jobs::ReplaceAnswer::Cancel);
        QVERIFY(!asked);
    }
};

QTEST_MAIN(JobRunnerTest)
#include "jobrunner_test.moc"
