// A file named on cellforge's command line: a document opens in the window, a process list in the
// Batch Run dialog with the list loaded, and a list that cannot be read says why.
#include "Core/workspace.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/mainwindowpresenter.h"
#include "catalogtesthome.h"
#include "mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

/// What the modal windows that opened showed, in order; message boxes are answered with OK and
/// the Batch Run dialog is closed.
class ModalRecorder : public QObject {
public:
    struct Seen {
        QString kind; ///< "message" or "batch run"
        QString text;
        int steps = -1;
        QString listFile;
        bool hasTarget = false;
    };
    QList<Seen> seen;

    ModalRecorder()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last)
                return;
            m_last = modal;
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                seen.append({QStringLiteral("message"), box->text() + QLatin1Char('\n') + box->informativeText(), -1,
                             QString(), false});
                box->accept();
            } else if (auto *dialog = qobject_cast<Ui::RunProcessesDialog *>(modal)) {
                seen.append({QStringLiteral("batch run"), dialog->windowTitle(), int(dialog->steps().size()),
                             dialog->currentFileName(), bool(dialog->targetVolume())});
                dialog->reject();
            } else {
                seen.append({QStringLiteral("other"), modal->windowTitle(), -1, QString(), false});
                modal->close();
            }
        });
        m_timer.start(0);
    }

private:
    QTimer m_timer;
    QWidget *m_last = nullptr;
};

QString writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_CommandLineFiles : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void processListsAreRecognised_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("list");
        const QByteArray list = "<?xml version=\"1.0\"?>\n<!-- steps -->\n<Process-List version=\"1\"/>\n";
        const QByteArray document = "<?xml version=\"1.0\"?><Document><Header version=\"1\"/></Document>";
        QTest::newRow("list") << "a.plst" << list << true;
        QTest::newRow("suffix in capitals") << "B.PLST" << list << true;
        QTest::newRow("list under another name") << "steps.xml" << list << true;
        QTest::newRow("unreadable list") << "broken.plst" << QByteArray("not a list <") << true;
        QTest::newRow("document") << "wafer.cfw" << document << false;
        QTest::newRow("document without suffix") << "wafer" << document << false;
        QTest::newRow("not XML") << "notes.txt" << QByteArray("Process-List") << false;
        QTest::newRow("empty") << "empty.cfw" << QByteArray() << false;
    }
    void processListsAreRecognised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        const QString path = writeFile(m_dir.filePath(name), contents);
        QTEST(MainWindow::isProcessList(path), "list");
        QVERIFY(!MainWindow::isProcessList(m_dir.filePath(QStringLiteral("missing.cfw"))));
        QVERIFY(MainWindow::isProcessList(m_dir.filePath(QStringLiteral("missing.plst"))));
    }

    void listOpensInTheBatchRunDialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow(".plst") << "trench.plst";
        QTest::newRow("another suffix") << "trench.xml";
    }
    void listOpensInTheBatchRunDialog()
    {
        QFETCH(QString, name);
        const QByteArray example = readFile(QStringLiteral(EXAMPLES_DIR "/trench_with_conformal_film.plst"));
        QVERIFY(!example.isEmpty());
        const QString path = writeFile(m_dir.filePath(name), example);
        MainWindow window;
        window.show();
        ModalRecorder recorder;
        window.openFromCommandLine(path);
        QTRY_COMPARE(recorder.seen.size(), 1);
        const auto &seen = recorder.seen.first();
        QCOMPARE(seen.kind, QStringLiteral("batch run"));
        QCOMPARE(seen.listFile, path);
        QCOMPARE(seen.steps, int(example.count("<Process-Data ")));
        QCOMPARE(seen.steps, 6);
        QVERIFY(!seen.hasTarget);
        QVERIFY(window.presenter()->workspace().document().allObjects().isEmpty());
    }

    void unreadableListSaysWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not XML") << "broken.plst" << QByteArray("<Process-List version=\"1\"><Process-Data")
                                 << "is not a well-formed process list";
        QTest::newRow("missing") << "missing.plst" << QByteArray() << "Cannot read";
    }
    void unreadableListSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath(name);
        if (!contents.isEmpty())
            writeFile(path, contents);
        MainWindow window;
        window.show();
        ModalRecorder recorder;
        window.openFromCommandLine(path);
        QTRY_COMPARE(recorder.seen.size(), 2);
        QCOMPARE(recorder.seen.at(0).kind, QStringLiteral("message"));
        QVERIFY2(recorder.seen.at(0).text.startsWith(QLatin1String("The process list could not be opened.")),
                 qPrintable(recorder.seen.at(0).text));
        QVERIFY2(recorder.seen.at(0).text.contains(reason), qPrintable(recorder.seen.at(0).text));
        QCOMPARE(recorder.seen.at(1).kind, QStringLiteral("batch run"));
        QCOMPARE(recorder.seen.at(1).steps, 0);
    }

    void documentOpensInTheWindow()
    {
        const QString path = m_dir.filePath(QStringLiteral("example.cfw"));
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/persistence/example_2x1x3.cfw"), path));
        MainWindow window;
        window.show();
        ModalRecorder recorder;
        window.openFromCommandLine(path);
        QCOMPARE(window.presenter()->workspace().document().allObjects().size(), 1);
        QCOMPARE(window.presenter()->workspace().document().fileName(), path);
        // Nothing else opens later either.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(recorder.seen.size(), 0);
    }
};

QTEST_MAIN(tst_CommandLineFiles)
#include "tst_commandlinefiles.moc"
