#include "Core/Operations/isotropicfilmdepositionoperation.h"
#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Observers/isotropicfilmdepositionobserver.h"
#include "UI/Observers/simplerieobserver.h"
#include "testoperations.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using namespace Core::Operations;

namespace {

/// Answers the next modal dialog as soon as it is shown.
void answerNextDialog(std::function<void(QDialog &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
    });
}

std::shared_ptr<Model::Automaton::TotalVolume> slab()
{
    std::vector<uint32_t> states(4 * 4 * 8);
    for (size_t i = 0; i < states.size(); ++i)
        states[i] = i % 8 < 3 ? 1u : 0u;
    return std::make_shared<Model::Automaton::TotalVolume>(4, 4, 8, 1, 1, 1, Util::Vector3D(), states);
}

uint32_t stateAt(Model::Automaton::TotalVolume &volume, uint32_t z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.index(1, 1, z)].state();
}

} // namespace

class tst_ProcessObservers : public QObject {
    Q_OBJECT
private slots:
    void acceptedDialogSetsTheOptionsAndTheStepRuns()
    {
        Core::Workspace ws;
        QWidget window;
        auto volume = slab();
        ws.document().addObject(volume);
        auto observer = std::make_shared<Ui::Observers::IsotropicFilmDepositionObserver>(ws, &window, 3);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[33] = [&ws, observer] {
            return withObserver(std::make_shared<IsotropicFilmDepositionOperation>(ws, QStringLiteral("CVD")),
                                observer);
        };
        ws.setOperationFactory(factory);

        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblThickness"))->setValue(2.0);
            auto *materials = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
            materials->setCurrentIndex(materials->findData(16u));
            dialog.accept();
        });
        ws.startOperation(33);
        QCOMPARE(ws.console().message(), QStringLiteral("CVD: Operation finished."));
        QCOMPARE(stateAt(*volume, 3), 16u);
        QCOMPARE(stateAt(*volume, 4), 16u);
        QCOMPARE(stateAt(*volume, 5), 0u);
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("CVD"));
    }

    void rejectedDialogCancelsWithTheMessage()
    {
        Core::Workspace ws;
        QWidget window;
        auto volume = slab();
        ws.document().addObject(volume);
        auto observer = std::make_shared<Ui::Observers::IsotropicFilmDepositionObserver>(ws, &window);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[13] = [&ws, observer] {
            return withObserver(std::make_shared<IsotropicFilmDepositionOperation>(ws), observer);
        };
        ws.setOperationFactory(factory);

        answerNextDialog([](QDialog &dialog) { dialog.reject(); });
        ws.startOperation(13);
        QCOMPARE(ws.console().message(), QStringLiteral("Isotropic Deposition: Operation canceled."));
        QCOMPARE(stateAt(*volume, 3), 0u);
        QVERIFY(!ws.undoRedo().canUndo());
    }

    void rieObserverSetsBothDirectionBits()
    {
        Core::Workspace ws;
        QWidget window;
        auto volume = slab();
        ws.document().addObject(volume);
        auto observer = std::make_shared<Ui::Observers::SimpleRIEObserver>(ws, &window);
        std::shared_ptr<SimpleReactiveIonEtchingOperation> op;
        auto factory = std::make_shared<TestFactory>();
        factory->makers[30] = [&ws, &op, observer] {
            op = withObserver(std::make_shared<SimpleReactiveIonEtchingOperation>(ws), observer);
            return op;
        };
        ws.setOperationFactory(factory);

        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxDepth"))->setValue(2);
            dialog.findChild<QCheckBox *>(QStringLiteral("chkFromTop"))->setChecked(false);
            dialog.findChild<QCheckBox *>(QStringLiteral("chkFromBelow"))->setChecked(true);
            auto *materials = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
            materials->setCurrentIndex(materials->findData(1u));
            dialog.accept();
        });
        ws.startOperation(30);
        QCOMPARE(ws.console().message(), QStringLiteral("Simple RIE: Operation finished."));
        QCOMPARE(uint(op->direction()), 2u);
        QCOMPARE(op->depth(), 2.0);
        // Etching from below finds no exposed bottom: the slab rests on the volume's floor.
        QCOMPARE(stateAt(*volume, 2), 1u);
    }
};

QTEST_MAIN(tst_ProcessObservers)
#include "tst_processobservers.moc"
