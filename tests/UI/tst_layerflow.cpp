#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/mainwindowpresenter.h"
#include "catalogtesthome.h"
#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include <functional>

namespace {

/// Runs `answer` on the next modal dialog of type Dialog, then accepts it.
template <class Dialog> void acceptNext(std::function<void(Dialog &)> answer = {})
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (answer)
            answer(*dialog);
        dialog->accept();
    });
}

uint32_t state(Model::Automaton::TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.index(x, y, z)].state();
}

} // namespace

/// The layer and mask processes driven from the menus of a main window, one after another.
class tst_LayerFlow : public QObject {
    Q_OBJECT
private slots:
    void pourExposeAndPlanarizeByMenus()
    {
        CatalogTestHome home;
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        acceptNext<QDialog>();
        window.action("actionCreate_Substrate")->trigger();
        QCOMPARE(ws.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(ws.document().allObjects().first());
        QVERIFY(volume);
        QVERIFY2(volume->sizeX() > 15, "the default substrate is wide enough for one line and one space");
        uint32_t top = 0; // first empty layer above the substrate
        while (top < volume->sizeZ() && state(*volume, 0, 0, top) != 0)
            ++top;
        QVERIFY(top + 4 < volume->sizeZ());

        for (const char *action :
             {"actionSpin_Coating", "actionPhotolithography", "actionPlanarization", "actionMasked_Volume_Cut",
              "actionRemove_Masked_Cuts", "actionMoore_Deposition", "actionMoore_Etching"})
            QVERIFY2(window.action(action)->isEnabled(), action);

        acceptNext<Ui::Operations::SpinCoatingOptionsDialog>([top](Ui::Operations::SpinCoatingOptionsDialog &d) {
            auto *combo = d.materialComboBox();
            combo->setCurrentIndex(combo->findText(QStringLiteral("Photoresist +")));
            d.heightSpinBox()->setValue(int(top + 3));
        });
        window.action("actionSpin_Coating")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Spin Coating: Operation finished."));
        QCOMPARE(state(*volume, 12, 0, top + 2), 11u);

        acceptNext<Ui::Operations::PhotolithographyDialog>([&](Ui::Operations::PhotolithographyDialog &d) {
            d.topGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/lines_and_spaces.png"));
            d.topGroup()->applyMask();
            QCOMPARE(volume->upperMask().size(), 100 * 100);
            d.filmComboBox()->setCurrentIndex(d.filmComboBox()->findText(QStringLiteral("Photoresist +")));
        });
        window.action("actionPhotolithography")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Photolithography: Operation finished."));
        QVERIFY(volume->upperMask().isEmpty());
        QCOMPARE(state(*volume, 2, 0, top + 2), 11u); // under a line
        QCOMPARE(state(*volume, 12, 0, top), 0u);     // in a space

        acceptNext<Ui::Operations::PlanarizationOptionsDialog>(
            [top](Ui::Operations::PlanarizationOptionsDialog &d) { d.maximumSpinBox()->setValue(int(top + 1)); });
        window.action("actionPlanarization")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Planarization: Operation finished."));
        QCOMPARE(state(*volume, 2, 0, top), 11u);
        QCOMPARE(state(*volume, 2, 0, top + 1), 0u);
        QCOMPARE(state(*volume, 2, 0, 0), state(*volume, 12, 0, 0));

        acceptNext<Ui::Operations::MaskedCutOptionsDialog>([](Ui::Operations::MaskedCutOptionsDialog &d) {
            d.maskGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
            d.maskGroup()->applyMask();
        });
        window.action("actionMasked_Volume_Cut")->trigger();
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Masked Cut"));
        {
            Model::Automaton::CellLock lock(*volume);
            QVERIFY(lock.cells()[volume->index(0, 0, 0)].isCut());
        }
        window.action("actionUndo")->trigger();
        {
            Model::Automaton::CellLock lock(*volume);
            QVERIFY(!lock.cells()[volume->index(0, 0, 0)].isCut());
        }
        window.action("actionRedo")->trigger();
        window.action("actionRemove_Masked_Cuts")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Remove Cuts: Cut planes changed."));
        Model::Automaton::CellLock lock(*volume);
        QVERIFY(!lock.cells()[volume->index(0, 0, 0)].isCut());
    }
};

QTEST_MAIN(tst_LayerFlow)
#include "tst_layerflow.moc"
