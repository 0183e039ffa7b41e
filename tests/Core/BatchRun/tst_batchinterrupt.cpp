// cellforge-batch stopped by SIGINT or SIGTERM while a long step runs: the test waits for the
// child's own "started" line before it sends the signal, so nothing depends on how fast it runs.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

QByteArray parameter(const char *name, const char *type, const QByteArray &value)
{
    return QByteArray("<Parameter parameter-name=\"") + name + "\" parameter-type=\"" + type + "\" parameter-data=\"" +
           value + "\"/>";
}

QByteArray substrate(int n, int height)
{
    const QByteArray size = QByteArray::number(n);
    return "<Process-Data process-type=\"11\">" + parameter("Material_Id", "uint", "1") +
           parameter("Lower Left Front Corner", "Util::Vector3D", "0;0;0") + parameter("Volume Size X", "uint", size) +
           parameter("Volume Size Y", "uint", size) + parameter("Volume Size Z", "uint", size) +
           parameter("SphericalSubstrate", "bool", "false") + parameter("Substrate Size X", "uint", size) +
           parameter("Substrate Size Y", "uint", size) +
           parameter("Substrate Size Z", "uint", QByteArray::number(height)) +
           parameter("Substrate Delta X", "uint", "0") + parameter("Substrate Delta Y", "uint", "0") +
           parameter("Substrate Delta Z", "uint", "0") + "</Process-Data>\n";
}

QByteArray deposition(int thickness)
{
    return "<Process-Data process-type=\"16\">" + parameter("Material_Id", "uint", "3") +
           parameter("Film Thickness", "double", QByteArray::number(thickness)) + "</Process-Data>\n";
}

QByteArray list(const QByteArray &steps)
{
    return "<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Materials>\n"
           "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n"
           "<Material version=\"1\" name=\"Thermal Si02\" material-id=\"3\" density=\"2200\" color=\"#FF7F7FFF\"/>\n"
           "</Materials>\n" +
           steps + "</Process-List>\n";
}

} // namespace

class tst_BatchInterrupt : public QObject {
    Q_OBJECT
private slots:
    void signalDuringALongStepWritesNothingAndExits130_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("count");
        QTest::newRow("one SIGINT: stop at the next boundary") << int(SIGINT) << 1;
        QTest::newRow("one SIGTERM") << int(SIGTERM) << 1;
        QTest::newRow("two SIGINTs: quit at once") << int(SIGINT) << 2;
    }
    void signalDuringALongStepWritesNothingAndExits130()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, count);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString listFile = dir.filePath(QStringLiteral("long.plst"));
        {
            QFile file(listFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            // Three long depositions: the signal comes as the first of them starts.
            file.write(list(substrate(180, 60) + deposition(60) + deposition(60) + deposition(60)));
        }
        const QString output = dir.filePath(QStringLiteral("out.cfw"));
        const QByteArray existing = "an existing document that must survive\n";
        {
            QFile file(output);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(existing);
        }

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CELLFORGE_BATCH),
                      {listFile, QStringLiteral("--output"), output, QStringLiteral("--verbose")});
        QVERIFY(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);

        // Read standard error line by line until the child says the long step started.
        const QByteArray started = "step 2/4 (Isotropic Deposition) started";
        QByteArray err;
        bool seen = false;
        while (!seen) {
            if (!process.canReadLine() && !process.waitForReadyRead(120000))
                break;
            while (process.canReadLine()) {
                const QByteArray line = process.readLine();
                err += line;
                if (line.contains(started))
                    seen = true;
            }
        }
        QVERIFY2(seen, err.constData());
        for (int i = 0; i < count; ++i)
            QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
        QVERIFY(process.waitForFinished(120000));
        err += process.readAllStandardError();

        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), existing);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no half-written file
        if (count == 1) {
            QVERIFY2(err.contains("cellforge-batch: Stopped"), err.constData());
            QVERIFY2(err.contains("of 4 steps ran."), err.constData());
            QVERIFY2(err.contains("Nothing was written to"), err.constData());
        }
    }
};

QTEST_MAIN(tst_BatchInterrupt)
#include "tst_batchinterrupt.moc"
