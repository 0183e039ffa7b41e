#include "Core/Operations/changetotalvolumevisualizationoptions.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"
#include "UI/Operations/changevolumevisualizationdialog.h"
#include "catalogtesthome.h"
#include "testoperations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

using Core::Operations::ChangeTotalVolumeVisualizationOptions;
using Core::Operations::VisualizationOptions;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Ui::Observers::ChangeTotalVolumeViewOptionsObserver;
using Ui::Operations::ChangeVolumeVisualizationDialog;

namespace {
constexpr uint32_t Film = 201;
constexpr uint32_t Base = 202;

// Records every console message in order.
class MessageLog : public Util::IObserver {
public:
    explicit MessageLog(Core::ConsoleInput &console)
        : m_console(console)
    {
    }
    void notify() override { messages << m_console.message(); }
    QStringList messages;

private:
    Core::ConsoleInput &m_console;
};
} // namespace

/// The "Change Visualization" operation with its observer and dialog.
class tst_ChangeVolumeVisualization : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::shared_ptr<TestFactory> m_factory;
    Util::ObserverPtr m_observer; // what the factory gives each operation
    std::shared_ptr<MessageLog> m_log;
    std::shared_ptr<TotalVolume> m_first;
    std::shared_ptr<TotalVolume> m_second;

    void select(const std::shared_ptr<TotalVolume> &volume) { m_workspace->selection().toggle(volume); }

private slots:
    void init()
    {
        auto catalogue = MaterialFactory::instance();
        catalogue->setMaterial(Material(Film, "Film", 1, 1, 0.1f, {0.2f, 0.4f, 0.6f, 1.0f}));
        catalogue->setMaterial(Material(Base, "Base", 1, 1, 0.1f, {0.9f, 0.9f, 0.9f, 1.0f}));
        m_workspace = std::make_unique<Core::Workspace>();
        m_factory = std::make_shared<TestFactory>();
        m_factory->makers[6] = [this] {
            return withObserver(std::make_shared<ChangeTotalVolumeVisualizationOptions>(*m_workspace), m_observer);
        };
        m_workspace->setOperationFactory(m_factory);
        m_log = std::make_shared<MessageLog>(m_workspace->console());
        m_workspace->console().addObserver(m_log);
        m_first = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Film);
        m_second = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(5, 0, 0), Film);
        for (const auto &v : {m_first, m_second}) {
            v->painter().regenerateSurface();
            m_workspace->document().addObject(v);
        }
    }
    void cleanup()
    {
        m_observer.reset();
        m_first.reset();
        m_second.reset();
        m_workspace.reset();
    }

    void acceptedOptionsReachThePainterAndColoursEveryVolume()
    {
        auto observer = std::make_shared<ChangeTotalVolumeViewOptionsObserver>(*m_workspace, nullptr);
        observer->runDialog = [](ChangeVolumeVisualizationDialog &dialog) {
            dialog.algorithmBox()->setCurrentIndex(2);
            dialog.distributionBox()->setCurrentIndex(1);
            dialog.colorScaleBox()->setCurrentIndex(2);
            dialog.setPendingColor(Film, QColor(255, 0, 0, 255));
            return true;
        };
        m_observer = observer;
        select(m_first);
        m_workspace->startOperation(6);

        QCOMPARE(m_log->messages, (QStringList{"Change Visualization: Cell volume selected.",
                                               "Change Visualization: Options changed."}));
        const auto &painter = m_first->painter();
        QCOMPARE(painter.surfaceAlgorithm(), 2u);
        QCOMPARE(painter.particleDistribution(), 1u);
        QCOMPARE(painter.colorScaleType(), 2u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{1, 0, 0, 1}));
        // The other volume was not selected, yet shows the new film colour.
        QCOMPARE(m_second->painter().opaqueFaces().front().fillColor, (std::array<float, 4>{1, 0, 0, 1}));
        QVERIFY(!m_workspace->currentOperation());
        QVERIFY(m_workspace->selection().selected().isEmpty());
        QVERIFY(!m_workspace->selection().isSelectionMode());
    }

    void theChosenAlgorithmIsWhatIsBuilt_data()
    {
        QTest::addColumn<int>("algorithm");
        QTest::newRow("direct cubic") << 0;
        QTest::newRow("marching cubes") << 1;
        QTest::newRow("octree") << 2;
        QTest::newRow("field view (cubic faces for now)") << 3;
    }
    void theChosenAlgorithmIsWhatIsBuilt()
    {
        QFETCH(int, algorithm);
        auto observer = std::make_shared<ChangeTotalVolumeViewOptionsObserver>(*m_workspace, nullptr);
        observer->runDialog = [algorithm](ChangeVolumeVisualizationDialog &dialog) {
            dialog.algorithmBox()->setCurrentIndex(algorithm);
            return true;
        };
        m_observer = observer;
        select(m_first);
        m_workspace->startOperation(6);
        const auto &painter = m_first->painter();
        // The 2 x 2 x 2 block: 24 cubic faces, 6 octree faces, and 8 marching-cubes triangles
        // around the one corner not in the window's lower layers.
        const bool cubic = algorithm == 0 || algorithm == 3;
        QCOMPARE(painter.opaqueFaceCount(), cubic ? size_t(24) : size_t(0));
        QCOMPARE(painter.marchingCubeSurface().triangleCount(), algorithm == 1 ? size_t(8) : size_t(0));
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), algorithm == 2 ? size_t(6) : size_t(0));
    }

    void rejectedDialogCancels()
    {
        auto observer = std::make_shared<ChangeTotalVolumeViewOptionsObserver>(*m_workspace, nullptr);
        observer->runDialog = [](ChangeVolumeVisualizationDialog &dialog) {
            dialog.algorithmBox()->setCurrentIndex(3);
            dialog.setPendingColor(Film, QColor(0, 255, 0));
            return false;
        };
        m_observer = observer;
        select(m_first);
        m_workspace->startOperation(6);
        QCOMPARE(m_log->messages.last(), QStringLiteral("Change Visualization: Operation Canceled!"));
        QCOMPARE(m_first->painter().surfaceAlgorithm(), 0u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{0.2f, 0.4f, 0.6f, 1}));
        QVERIFY(!m_workspace->currentOperation());
    }

    void withoutSelectionItWaitsForEnter()
    {
        auto observer = std::make_shared<CountingObserver>();
        m_observer = observer;
        m_workspace->startOperation(6);
        QCOMPARE(m_log->messages, (QStringList{"Change Visualization: Select a cell volume and press Enter/Return."}));
        QVERIFY(m_workspace->selection().isSelectionMode());
        QVERIFY(m_workspace->console().isEnterRequested());

        // Enter with still nothing selected prompts again.
        m_workspace->console().handleLine(QString());
        QCOMPARE(m_log->messages.size(), 2);
        QCOMPARE(observer->count, 0);

        auto operation =
            std::dynamic_pointer_cast<ChangeTotalVolumeVisualizationOptions>(m_workspace->currentOperation());
        QVERIFY(operation);
        // A weak capture: the operation owns this observer, which would otherwise own it back.
        observer->onNotify = [weak = std::weak_ptr<ChangeTotalVolumeVisualizationOptions>(operation)] {
            VisualizationOptions options;
            options.renderEmptyVoxelOutlines = true;
            weak.lock()->setOptions(options);
        };
        select(m_second);
        m_workspace->console().handleLine(QString());
        QCOMPARE(observer->count, 1);
        QCOMPARE(m_log->messages.last(), QStringLiteral("Change Visualization: Options changed."));
        QVERIFY(m_second->painter().renderEmptyVoxelOutlines());
        QVERIFY(!m_first->painter().renderEmptyVoxelOutlines());
    }

    void dialogHandsBackItsValues()
    {
        VisualizationOptions given;
        given.lattice.renderSiAtoms = true;
        given.lattice.renderSiUnitCells = true;
        given.surfaceAlgorithm = 1;
        given.colorScaleType = 1;
        ChangeVolumeVisualizationDialog dialog(given);
        QVERIFY(dialog.options() == given);
        // Surface atoms only are offered while atoms are shown.
        auto *surfaceOnly = dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSurfaceAtomsOnly"));
        QVERIFY(surfaceOnly->isEnabled());
        dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSiAtoms"))->setChecked(false);
        QVERIFY(!surfaceOnly->isEnabled());
        dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSiAtomLinks"))->setChecked(true);
        const auto chosen = dialog.options().lattice;
        QVERIFY(!chosen.renderSiAtoms && chosen.renderSiAtomLinks && chosen.renderSiUnitCells);
    }

    void swatchShowsThePendingColour()
    {
        ChangeVolumeVisualizationDialog dialog(VisualizationOptions{});
        const int index = dialog.materialBox()->findData(Film);
        QVERIFY(index >= 0);
        dialog.materialBox()->setCurrentIndex(index);
        QCOMPARE(dialog.swatch()->styleSheet(), QStringLiteral("background-color : #336699"));
        dialog.setPendingColor(Film, QColor(255, 128, 0));
        QCOMPARE(dialog.swatch()->styleSheet(), QStringLiteral("background-color : #ff8000"));
        QCOMPARE(dialog.pendingColors().size(), 1);
        dialog.setPendingColor(Base, QColor());
        QCOMPARE(dialog.pendingColors().size(), 1);
    }
};

QTEST_MAIN(tst_ChangeVolumeVisualization)
#include "tst_changevolumevisualization.moc"
