// The main window's runner keeps the window's events flowing while a job runs.

#include "RunnerHarness.h"
#include "mainwindow/Form1Fixture.h"

#include <QTest>
#include <QTimer>

using namespace tolvane;
using namespace tolvane::test;

class RunnerWindow : public QObject {
    Q_OBJECT
private slots:
    void timersFireWhileAJobIsSilent() {
        ScriptedInterpreter interpreter("sleep 0.5; echo done");
        Form1Fixture f;
        ReadOutput& runner = f.form->ReadOutput1;
        EventLog log(runner);
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);
        runner.SetCommand("C:\\UnrealTournament\\uccmake.bat");
        runner.ProcessCommand();
        QCOMPARE(log.output(), std::string("done\n"));
        QVERIFY2(ticks >= 10, std::to_string(ticks).c_str());
    }
};

QTEST_MAIN(RunnerWindow)
#include "test_runner_window.moc"
