#include "Util/runcontrol.h"
#include "Util/runstage.h"

#include <QtTest>

class tst_RunControl : public QObject {
    Q_OBJECT
private slots:
    void countsStepsOfEachStage()
    {
        Util::RunControl control;
        {
            Util::RunStage stage(&control, 10);
            QCOMPARE(control.total(), uint64_t(10));
            stage.advance();
            stage.advance(3);
            QCOMPARE(control.done(), uint64_t(4));
            stage.finish();
            QCOMPARE(control.done(), uint64_t(10));
        }
        Util::RunStage second(&control, 0);
        QCOMPARE(control.total(), uint64_t(0));
        QCOMPARE(control.done(), uint64_t(0));
    }

    void stopsAtTheFirstBoundaryAfterTheRequestAndStaysStopped()
    {
        Util::RunControl control;
        QVERIFY(!control.stopHere());
        QVERIFY(!control.wasStopped());
        control.requestStop();
        QVERIFY(control.stopRequested());
        QVERIFY(!control.wasStopped()); // only a boundary stops the job
        QVERIFY(control.stopHere());
        QVERIFY(control.wasStopped());
        QVERIFY(control.stopHere());
        QCOMPARE(control.boundaries(), uint64_t(3));
    }

    void aControlThatCannotStopLetsTheJobRunOn()
    {
        Util::RunControl control;
        control.setStoppable(false);
        control.requestStop();
        QVERIFY(!control.canStop());
        QVERIFY(!control.stopHere());
        QVERIFY(!control.wasStopped());
        control.setStoppable(true);
        QVERIFY(control.stopHere());
    }

    void callbackSeesEveryBoundaryBeforeTheFlagIsRead()
    {
        Util::RunControl control;
        QList<uint64_t> seen;
        control.setBoundaryCallback([&seen](Util::RunControl &c) {
            seen << c.boundaries();
            if (c.boundaries() == 2)
                c.requestStop();
        });
        QVERIFY(!control.stopHere());
        QVERIFY(control.stopHere());
        QCOMPARE(seen, QList<uint64_t>({1, 2}));
    }

    void resetMakesItReadyForAnotherJob()
    {
        Util::RunControl control;
        control.setStoppable(false);
        control.beginStage(5);
        control.advance(5);
        control.requestStop();
        control.reset();
        QVERIFY(!control.stopRequested());
        QVERIFY(control.canStop());
        QCOMPARE(control.done(), uint64_t(0));
        QCOMPARE(control.total(), uint64_t(0));
        QVERIFY(!control.stopHere());
    }

    void noControlMeansNoStop()
    {
        Util::RunStage stage(nullptr, 4);
        stage.advance();
        stage.finish();
        QVERIFY(!stage.stopHere());
        QVERIFY(!stage.stopped());
    }
};

QTEST_MAIN(tst_RunControl)
#include "tst_runcontrol.moc"
