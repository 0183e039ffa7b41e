#include "Core/Operations/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Observers/batchrunobserver.h"
#include "catalogtesthome.h"
#include "testoperations.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

using Core::Operations::SelectVolumesOperation;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

// Closes the batch-run dialog as soon as it is shown, remembering the volume it was opened for.
struct DialogCatcher {
    bool seen = false;
    TotalVolumePtr target;
    void arm()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<Ui::RunProcessesDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            target = dialog->targetVolume();
            dialog->reject();
        });
    }
};

} // namespace

class tst_BatchRunObserver : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void selectVolumesOpensTheDialog_data()
    {
        QTest::addColumn<bool>("selectVolume");
        QTest::newRow("selected volume") << true;
        QTest::newRow("answered n") << false;
    }
    void selectVolumesOpensTheDialog()
    {
        QFETCH(bool, selectVolume);
        Core::Workspace workspace;
        auto factory = std::make_shared<TestFactory>();
        const auto observer = std::make_shared<Ui::Observers::BatchRunObserver>(workspace, nullptr);
        factory->makers[24] = [&workspace, observer] {
            return withObserver(std::make_shared<SelectVolumesOperation>(workspace), observer);
        };
        workspace.setOperationFactory(factory);

        auto volume = std::make_shared<TotalVolume>(3, 3, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        volume->setUpperMask(QBitArray(9, true), 3, 3);
        workspace.document().addObject(volume);
        if (selectVolume)
            workspace.pickState().setSelected({volume});

        DialogCatcher catcher;
        catcher.arm();
        workspace.startOperation(24);
        if (!selectVolume) {
            QVERIFY(!catcher.seen);
            catcher.arm();
            workspace.console().handleLine(QStringLiteral("n"));
        }
        QVERIFY(catcher.seen);
        QCOMPARE(catcher.target, selectVolume ? volume : TotalVolumePtr());
        // The preview masks are gone once the dialog has closed.
        QCOMPARE(volume->upperMask().count(true), 0);
        QVERIFY(!workspace.currentOperation());
    }

    void selectedVolumeIsTheFirstCellVolume()
    {
        Core::Workspace workspace;
        QVERIFY(!Ui::Observers::BatchRunObserver::selectedVolume(workspace));
        auto volume = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        workspace.pickState().setSelected({volume});
        QCOMPARE(Ui::Observers::BatchRunObserver::selectedVolume(workspace), volume);
    }
};

QTEST_MAIN(tst_BatchRunObserver)
#include "tst_batchrunobserver.moc"
