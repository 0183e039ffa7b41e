#include "Core/Operations/maskedcutcellvolumeoperation.h"
#include "Core/Operations/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/mooreneighborhoodetchingoperation.h"
#include "Core/Operations/photolithographyoperation.h"
#include "Core/Operations/planarizationoperation.h"
#include "Core/Operations/spincoatingoperation.h"
#include "Core/workspace.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/mooredepositionobserver.h"
#include "UI/Observers/mooreetchingobserver.h"
#include "UI/Observers/photolithographyobserver.h"
#include "UI/Observers/planarizationobserver.h"
#include "UI/Observers/spincoatingobserver.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "catalogtesthome.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace Core::Operations;

namespace {

/// Works on the next modal dialog as soon as it runs, then accepts or rejects it.
template <class Dialog> void handleNextDialog(bool accept, std::function<void(Dialog &)> fill = {})
{
    QTimer::singleShot(0, [accept, fill] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (fill)
            fill(*dialog);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

void choose(QComboBox *combo, const QString &name) { combo->setCurrentIndex(combo->findText(name)); }

/// A workspace with one volume: silicon below z = 4, empty above; 12 x 10 x 8 cells.
struct Scene {
    Scene()
    {
        volume = makeVolume(12, 10, 8, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? 1u : 0u; });
        ws.document().addObject(volume);
        factory = std::make_shared<TestFactory>();
        ws.setOperationFactory(factory);
    }
    CatalogTestHome home;
    Core::Workspace ws;
    std::shared_ptr<Model::Automaton::TotalVolume> volume;
    std::shared_ptr<TestFactory> factory;
    QWidget window;
};

} // namespace

class tst_LayerObservers : public QObject {
    Q_OBJECT
private slots:
    void mooreObserversNameTheValueAndHandItOver_data()
    {
        QTest::addColumn<bool>("etching");
        QTest::addColumn<QString>("label");
        QTest::newRow("deposition") << false << QStringLiteral("Film Thickness");
        QTest::newRow("etching") << true << QStringLiteral("Etch Depth");
    }
    void mooreObserversNameTheValueAndHandItOver()
    {
        QFETCH(bool, etching);
        QFETCH(QString, label);
        Scene s;
        s.factory->makers[18] = [&s] {
            return withObserver(std::make_shared<MooreNeighborhoodDepositionOperation>(s.ws),
                                std::make_shared<Ui::Observers::MooreDepositionObserver>(s.ws, &s.window));
        };
        s.factory->makers[19] = [&s] {
            return withObserver(std::make_shared<MooreNeighborhoodEtchingOperation>(s.ws),
                                std::make_shared<Ui::Observers::MooreEtchingObserver>(s.ws, &s.window));
        };
        QString shownLabel;
        handleNextDialog<Ui::Operations::MooreOptionsDialog>(true, [&](Ui::Operations::MooreOptionsDialog &d) {
            shownLabel = d.valueLabel();
            choose(d.filmComboBox(), etching ? QStringLiteral("Si") : QStringLiteral("Photoresist +"));
            d.valueSpinBox()->setValue(2);
        });
        s.ws.startOperation(etching ? 19 : 18);
        QCOMPARE(shownLabel, label);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Moore film deposition: Operation finished."));
        QCOMPARE(stateAt(*s.volume, 5, 5, etching ? 2 : 5), etching ? 0u : 11u);
        QCOMPARE(stateAt(*s.volume, 5, 5, etching ? 1 : 6), etching ? 1u : 0u);
    }

    void photolithographyObserverPreviewsThenRuns()
    {
        Scene s;
        {
            Model::Automaton::CellLock lock(*s.volume);
            for (uint32_t x = 0; x < 12; ++x)
                for (uint32_t y = 0; y < 10; ++y)
                    lock.cells()[s.volume->index(x, y, 4)].setState(11);
        }
        s.factory->makers[20] = [&s] {
            return withObserver(std::make_shared<PhotolithographyOperation>(s.ws),
                                std::make_shared<Ui::Observers::PhotolithographyObserver>(s.ws, &s.window));
        };
        bool previewed = false;
        handleNextDialog<Ui::Operations::PhotolithographyDialog>(true, [&](Ui::Operations::PhotolithographyDialog &d) {
            d.topGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/lines_and_spaces.png"));
            d.topGroup()->applyMask();
            // Only the part of the 100 x 100 image over the 12 x 10 columns is kept.
            previewed = s.volume->upperMask().size() == 12 * 10;
            choose(d.filmComboBox(), QStringLiteral("Photoresist +"));
        });
        s.ws.startOperation(20);
        QVERIFY(previewed);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Photolithography: Operation finished."));
        QVERIFY(s.volume->upperMask().isEmpty());
        // Lines 10 columns wide: x < 10 is masked, 10..11 is open.
        QCOMPARE(stateAt(*s.volume, 3, 4, 4), 11u);
        QCOMPARE(stateAt(*s.volume, 11, 4, 4), 0u);
    }

    void rejectedPhotolithographyKeepsThePreview()
    {
        Scene s;
        s.factory->makers[20] = [&s] {
            return withObserver(std::make_shared<PhotolithographyOperation>(s.ws),
                                std::make_shared<Ui::Observers::PhotolithographyObserver>(s.ws, &s.window));
        };
        handleNextDialog<Ui::Operations::PhotolithographyDialog>(false, [](Ui::Operations::PhotolithographyDialog &d) {
            d.bottomGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
            d.bottomGroup()->applyMask();
        });
        s.ws.startOperation(20);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Photolithography: Operation Canceled!"));
        QCOMPARE(s.volume->lowerMask().size(), 12 * 10);
    }

    void maskedCutObserverCutsUndoably()
    {
        Scene s;
        s.factory->makers[34] = [&s] {
            return withObserver(std::make_shared<MaskedCutCellVolumeOperation>(s.ws),
                                std::make_shared<Ui::Observers::MaskedCutObserver>(s.ws, &s.window));
        };
        handleNextDialog<Ui::Operations::MaskedCutOptionsDialog>(true, [](Ui::Operations::MaskedCutOptionsDialog &d) {
            d.maskGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/square_opening.png"));
            d.maskGroup()->applyMask();
        });
        s.ws.startOperation(34);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Masked Cut: Cut planes changed."));
        // The dark field covers the whole 12 x 10 corner of the mask: nothing is cut there.
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(s.ws.undoRedo().canUndo());

        handleNextDialog<Ui::Operations::MaskedCutOptionsDialog>(true);
        s.ws.startOperation(34);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Masked Cut: Operation Canceled!"));
    }

    void heightDialogsAreBoundedByNz_data()
    {
        QTest::addColumn<bool>("planarization");
        QTest::newRow("planarization") << true;
        QTest::newRow("pour material") << false;
    }
    void heightDialogsAreBoundedByNz()
    {
        QFETCH(bool, planarization);
        Scene s;
        s.factory->makers[22] = [&s] {
            return withObserver(std::make_shared<PlanarizationOperation>(s.ws),
                                std::make_shared<Ui::Observers::PlanarizationObserver>(s.ws, &s.window));
        };
        s.factory->makers[23] = [&s] {
            return withObserver(std::make_shared<SpinCoatingOperation>(s.ws),
                                std::make_shared<Ui::Observers::SpinCoatingObserver>(s.ws, &s.window));
        };
        int bound = -1;
        if (planarization) {
            handleNextDialog<Ui::Operations::PlanarizationOptionsDialog>(
                true, [&bound](Ui::Operations::PlanarizationOptionsDialog &d) {
                    bound = d.maximumSpinBox()->maximum();
                    d.minimumSpinBox()->setValue(1);
                    d.maximumSpinBox()->setValue(3);
                });
        } else {
            handleNextDialog<Ui::Operations::SpinCoatingOptionsDialog>(
                true, [&bound](Ui::Operations::SpinCoatingOptionsDialog &d) {
                    bound = d.heightSpinBox()->maximum();
                    choose(d.materialComboBox(), QStringLiteral("Photoresist +"));
                    d.heightSpinBox()->setValue(6);
                });
        }
        s.ws.startOperation(planarization ? 22 : 23);
        QCOMPARE(bound, 8);
        if (planarization) {
            QCOMPARE(s.ws.console().message(), QStringLiteral("Planarization: Operation finished."));
            QCOMPARE(stateAt(*s.volume, 0, 0, 0), 0u);
            QCOMPARE(stateAt(*s.volume, 0, 0, 1), 1u);
            QCOMPARE(stateAt(*s.volume, 0, 0, 3), 0u);
        } else {
            QCOMPARE(s.ws.console().message(), QStringLiteral("Spin Coating: Operation finished."));
            QCOMPARE(stateAt(*s.volume, 0, 0, 5), 11u);
            QCOMPARE(stateAt(*s.volume, 0, 0, 6), 0u);
            QCOMPARE(stateAt(*s.volume, 0, 0, 1), 1u);
        }
    }

    void rejectedHeightDialogsCancel()
    {
        Scene s;
        s.factory->makers[22] = [&s] {
            return withObserver(std::make_shared<PlanarizationOperation>(s.ws),
                                std::make_shared<Ui::Observers::PlanarizationObserver>(s.ws, &s.window));
        };
        const auto before = cellStates(*s.volume);
        handleNextDialog<Ui::Operations::PlanarizationOptionsDialog>(false);
        s.ws.startOperation(22);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Planarization: Operation canceled!"));
        QCOMPARE(cellStates(*s.volume), before);
    }
};

QTEST_MAIN(tst_LayerObservers)
#include "tst_layerobservers.moc"
