#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "UI/Console/commandconsole.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationprogressdialog.h"
#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

/// Accepts, with its defaults, every option dialog that opens while it lives (a long run's
/// progress dialog is not one: it goes when the run ends).
class DialogAccepter : public QObject {
public:
    DialogAccepter()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && !qobject_cast<Ui::OperationProgressDialog *>(dialog)) {
                titles << dialog->windowTitle();
                dialog->accept();
            }
        });
        m_timer.start(0);
    }
    QStringList titles;

private:
    QTimer m_timer;
};

QList<TotalVolumePtr> volumes(Core::Workspace &ws)
{
    QList<TotalVolumePtr> result;
    for (const auto &object : ws.document().allObjects())
        if (auto volume = std::dynamic_pointer_cast<TotalVolume>(object))
            result << volume;
    return result;
}

void createSubstrate(MainWindow &window)
{
    DialogAccepter accepter;
    window.action(QStringLiteral("actionCreate_Substrate"))->trigger();
    QCOMPARE(accepter.titles.size(), 1);
}

/// 1 + the highest occupied z of the volume.
uint32_t occupiedHeight(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    uint32_t height = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        if (lock.cells()[i].state() != 0)
            height = std::max(height, uint32_t(i % volume.sizeZ()) + 1);
    return height;
}

QString consoleText(MainWindow &window) { return window.presenter()->console()->outputPane()->toPlainText(); }

} // namespace

class tst_VolumeMenus : public QObject {
    Q_OBJECT
private slots:
    void entriesAreEnabled_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("text");
        QTest::newRow("glue") << "actionGlue_Substrate"
                              << "Glue Substrate";
        QTest::newRow("extract") << "actionExtract_Film"
                                 << "Extract Film";
        QTest::newRow("cut") << "actionCut_Cell_Volume"
                             << "Cut Cell Volume";
    }
    void entriesAreEnabled()
    {
        QFETCH(QString, action);
        QFETCH(QString, text);
        MainWindow window;
        QVERIFY(window.action(action)->isEnabled());
        QCOMPARE(window.action(action)->text(), text);
    }

    void glueTwoCreatedSubstratesByMenu()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        createSubstrate(window);
        const auto two = volumes(ws);
        QCOMPARE(two.size(), 2);

        ws.selection().toggle(two.first());
        window.action(QStringLiteral("actionGlue_Substrate"))->trigger();
        QVERIFY(consoleText(window).contains(
            QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return.")));
        ws.selection().toggle(two.last());
        {
            DialogAccepter accepter;
            window.presenter()->enterPressed();
            QCOMPARE(accepter.titles, QStringList{QStringLiteral("Glue Substrate")});
        }
        const auto glued = volumes(ws);
        QCOMPARE(glued.size(), 1);
        QVERIFY(consoleText(window).contains(QStringLiteral("Glue Volumes: volumes glued.")));
        QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo Glue Volumes"));
        // Two equal substrates stacked: the accepted height is twice the occupied height of one.
        const uint32_t height = occupiedHeight(*two.first());
        QVERIFY(height > 0);
        QCOMPARE(glued.first()->sizeZ(), 2 * height);
        QCOMPARE(occupiedHeight(*glued.first()), 2 * height);
        QVERIFY(!glued.first()->painter().opaqueFaces().empty() ||
                !glued.first()->painter().transparentFaces().empty());

        window.action(QStringLiteral("actionUndo"))->trigger();
        QCOMPARE(volumes(ws), two);
        window.action(QStringLiteral("actionRedo"))->trigger();
        QCOMPARE(volumes(ws), glued);
    }

    void extractAndCutACreatedSubstrateByMenu()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        auto substrate = volumes(ws).first();

        ws.selection().toggle(substrate);
        {
            DialogAccepter accepter;
            window.action(QStringLiteral("actionExtract_Film"))->trigger();
            QCOMPARE(accepter.titles, QStringList{QStringLiteral("Extract Film")});
        }
        // The substrate and the film are of the first material of the catalogue, the dialogs' default.
        QVERIFY(consoleText(window).contains(QStringLiteral("Extract Film: film extracted.")));
        QCOMPARE(volumes(ws).size(), 2);
        QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo Extract Film"));

        ws.selection().setSelectionMode(true);
        ws.selection().toggle(substrate);
        {
            DialogAccepter accepter;
            window.action(QStringLiteral("actionCut_Cell_Volume"))->trigger();
            QCOMPARE(accepter.titles, QStringList{QStringLiteral("Cut Cell Volume")});
        }
        QVERIFY(consoleText(window).contains(QStringLiteral("Change Cut Planes: Cut planes changed.")));
    }
};

QTEST_MAIN(tst_VolumeMenus)
#include "tst_volumemenus.moc"
