// The process descriptors: what the registry holds, and a step given by a window's dialog or by a
// list's line running the same way.
#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/stepparameters.h"
#include "Core/Engines/RandomWalk/randomstream.h"
#include "Core/Processes/anisotropicdepositionprocess.h"
#include "Core/Processes/boschetchingprocess.h"
#include "Core/Processes/createsubstrateprocess.h"
#include "Core/Processes/electroplatingprocess.h"
#include "Core/Processes/isotropicetchingprocess.h"
#include "Core/Processes/mooreetchingprocess.h"
#include "Core/Processes/pvdprocess.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "Core/Processes/spincoatingprocess.h"
#include "Model/Volume/particlecounts.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "engineoperationcases.h"

#include <QtTest>

#include <set>

using namespace EngineCases;
using Core::Processes::ProcessCommand;
using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessType;

namespace {

const uint32_t operationId = 500;

struct Road {
    uint32_t lastOperation = 0;
    bool latticeOutOfDate = false;
    std::vector<uint32_t> cells;
    /// The particle counters of every field, one after the other.
    std::vector<uint32_t> counters;
};

std::vector<uint32_t> counters(const TotalVolume &volume)
{
    using Model::Automaton::ParticleCounts;
    std::vector<uint32_t> all;
    for (const QString &name : volume.fieldNames()) {
        if (const auto counts = ParticleCounts::of(volume, name))
            all.insert(all.end(), counts->data(), counts->data() + counts->cellCount() * ParticleCounts::slotsPerCell);
    }
    return all;
}

/// The window's command `id` with its dialog's `values` (and `seed`), on a fresh volume whose
/// lattice is marked up to date.
Road throughTheWindow(CommandId id, const QVariantMap &values, QStringList *console = nullptr,
                      std::optional<uint64_t> seed = std::nullopt)
{
    Core::Workspace ws;
    auto volume = freshVolume();
    ws.document().addObject(volume);
    ws.setLatticeOutOfDate(volume->id(), false);
    auto factory = std::make_shared<TestFactory>();
    factory->makers[operationId] = [&ws, id, values, seed] { return command(id, values, seed)(ws, true); };
    ws.setOperationFactory(factory);
    auto log = std::make_shared<ConsoleLog>(ws);
    ws.console().addObserver(log);
    ws.startOperation(operationId);
    if (console)
        *console = log->lines;
    return {ws.lastOperation(volume->id()), ws.isLatticeOutOfDate(volume->id()), cellStates(*volume),
            counters(*volume)};
}

/// A list's step of the process with `values`, run (with the list's `seed`) on a fresh volume whose
/// lattice is marked up to date; `detail` gets its report's detail.
Road throughAList(ProcessType type, const QVariantMap &values, QString *detail = nullptr,
                  std::optional<uint64_t> seed = std::nullopt)
{
    Core::Workspace ws(Core::UndoFiles::Storage::None);
    auto volume = freshVolume();
    ws.document().addObject(volume);
    ws.setLatticeOutOfDate(volume->id(), false);
    Core::Processes::ProcessStep step{int(type)};
    const ProcessDescriptor *process = ProcessRegistry::descriptor(type);
    process->applyValues(step, values);
    process->completeDerivedParameters(step);
    Core::BatchRun::BatchRunner runner(ws, volume);
    runner.setSeed(seed);
    if (detail)
        runner.setStepObserver([detail](const Core::BatchRun::StepRecord &record) { *detail = record.detail; });
    const auto summary = runner.run({step});
    if (!summary.succeeded())
        return Road();
    return {ws.lastOperation(volume->id()), ws.isLatticeOutOfDate(volume->id()), cellStates(*volume),
            counters(*volume)};
}

/// One step of a scene: a window command with its dialog's values, or the same as a list's line.
struct SceneStep {
    CommandId command;
    ProcessType type;
    QVariantMap values;
};

/// Silicon 12 x 12 cells wide and 6 high under an oxide mask one cell thick, open over x, y = 4..7.
std::shared_ptr<TotalVolume> maskedSilicon()
{
    return ::makeVolume(12, 12, 10, [](uint32_t x, uint32_t y, uint32_t z) {
        if (z < 6)
            return Si;
        const bool open = x >= 2 && x < 10 && y >= 2 && y < 10;
        return z == 6 && !open ? Oxide : 0u;
    });
}

/// Runs the steps by one road on the volume, each in the window or all in one list.
void runScene(bool window, Core::Workspace &ws, const std::shared_ptr<TotalVolume> &volume,
              const QList<SceneStep> &steps)
{
    if (!window) {
        QList<Core::Processes::ProcessStep> lines;
        for (const SceneStep &s : steps) {
            Core::Processes::ProcessStep line{int(s.type)};
            const ProcessDescriptor *process = ProcessRegistry::descriptor(s.type);
            process->applyValues(line, s.values);
            process->completeDerivedParameters(line);
            lines << line;
        }
        QVERIFY(Core::BatchRun::BatchRunner(ws, volume).run(lines).succeeded());
        return;
    }
    for (const SceneStep &s : steps) {
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, s] { return command(s.command, s.values)(ws, true); };
        ws.setOperationFactory(factory);
        ws.startOperation(operationId);
        QVERIFY(ws.lastOperation(volume->id()) != 0u);
        ws.setLastOperation(volume->id(), 0);
    }
}

size_t siliconCells(TotalVolume &volume)
{
    const auto states = cellStates(volume);
    return size_t(std::count(states.begin(), states.end(), Si));
}

} // namespace

class tst_ProcessDescriptors : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void everyProcessHasOneDescriptorAndEveryCommandOneProcess()
    {
        std::set<int> types;
        std::set<uint32_t> commands;
        for (const ProcessDescriptor *process : ProcessRegistry::all()) {
            QVERIFY(types.insert(int(process->type())).second);
            QCOMPARE(ProcessRegistry::descriptor(process->type()), process);
            // In name order, each name once: the order of the list files.
            const auto &parameters = process->parameters();
            for (int i = 1; i < parameters.size(); ++i)
                QVERIFY2(parameters[i - 1].name < parameters[i].name, qPrintable(parameters[i].name));
            for (const QString &base : process->materialBases()) {
                QVERIFY(process->parameter(base));
                QVERIFY(process->parameter(Parameter::materialColor(base)));
            }
            for (const ProcessCommand &c : process->commands()) {
                QVERIFY(commands.insert(uint32_t(c.id)).second);
                const ProcessCommand *found = nullptr;
                QCOMPARE(ProcessRegistry::forCommand(c.id, &found), process);
                QCOMPARE(found, &c);
                for (const QString &preset : c.presets.keys())
                    QVERIFY2(process->parameter(preset), qPrintable(preset));
            }
        }
        QVERIFY(!ProcessRegistry::descriptor(-1) && !ProcessRegistry::descriptor(24));
    }

    // The dialog's values give the cells that the list's line with the same values gives, the same
    // last operation (the command's identifier) and the same lattice mark: every step that changes
    // cells, of any material, leaves the lattice out of date; the wet etch lays it and leaves it up
    // to date.
    void bothRoadsGiveTheSameStep_data()
    {
        using namespace Core::Processes;
        QTest::addColumn<uint>("command");
        QTest::addColumn<QVariantMap>("dialog");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariantMap>("line");
        QTest::addColumn<uint>("lastOperation");
        QTest::addColumn<bool>("marks");
        const auto row = [](const char *name, CommandId id, const QVariantMap &dialog, ProcessType type,
                            const QVariantMap &line, uint last, bool marks) {
            QTest::newRow(name) << uint(id) << dialog << int(type) << line << last << marks;
        };
        const auto deposition = values<IsotropicDepositionProcess>({Oxide, 2.5});
        row("isotropic deposition of oxide", CommandId::IsotropicDeposition, deposition,
            ProcessType::IsotropicDeposition, deposition, 13, true);
        const auto cvd = values<CvdProcess>({Si, 1.5});
        row("CVD of silicon", CommandId::Cvd, cvd, ProcessType::Cvd, cvd, 13, true);
        const auto rie = values<SimpleRieProcess>({PSi, 2, 3});
        row("RIE of P-doped silicon, both sides", CommandId::SimpleRie, rie, ProcessType::SimpleRie, rie, 30, true);
        const QVariantMap depth{{Parameter::Depth, 2.25}};
        const auto bca = values<SiWetEtchingProcess>({2.25, QStringLiteral("BCA")});
        const auto cca = values<SiWetEtchingProcess>({2.25, QStringLiteral("CCA")});
        row("BCA wet etch", CommandId::BondCountingWetEtch, depth, ProcessType::SiWetEtching, bca, 28, false);
        row("CCA wet etch", CommandId::ContinuousWetEtch, depth, ProcessType::SiWetEtching, cca, 29, false);
        // The command fixes its model, whatever the dialog says.
        row("BCA wet etch, dialog saying CCA", CommandId::BondCountingWetEtch, cca, ProcessType::SiWetEtching, bca, 28,
            false);
        const auto koh = values<SiWetEtchingProcess>(
            {0.0, QStringLiteral("CCA"), QStringLiteral("KOH"), 30.0, 70.0, 2.0, 1.0, QStringLiteral("100"), 0.0});
        row("wet etch in a KOH bath", CommandId::ContinuousWetEtch, koh, ProcessType::SiWetEtching, koh, 29, false);
        // Columns x < 5 of the 10 x 6 are covered from the top.
        QBitArray half(60);
        for (int i = 0; i < 30; ++i)
            half.setBit(i);
        const auto lithography = values<PhotolithographyProcess>({Resist, {{half, 10, 6}, "top.png"}, {}, false});
        row("photolithography", CommandId::Photolithography, lithography, ProcessType::Photolithography, lithography,
            20, true);
        const auto isotropicEtching = values<IsotropicEtchingProcess>({Oxide, 1.5});
        row("isotropic etching of oxide", CommandId::IsotropicEtching, isotropicEtching, ProcessType::IsotropicEtching,
            isotropicEtching, 14, true);
        const auto electroplating = values<ElectroplatingProcess>({Cu, Al, 1.5});
        row("electroplating of copper on aluminium", CommandId::Electroplating, electroplating,
            ProcessType::Electroplating, electroplating, 15, true);
        const auto anisotropicDeposition = values<AnisotropicDepositionProcess>({Oxide, 2.0, 0.5});
        row("anisotropic deposition of oxide", CommandId::AnisotropicDeposition, anisotropicDeposition,
            ProcessType::AnisotropicDeposition, anisotropicDeposition, 27, true);
        const auto anisotropicEtching = values<AnisotropicEtchingProcess>({Si, 2.0, 0.25});
        row("anisotropic etching of silicon", CommandId::AnisotropicEtching, anisotropicEtching,
            ProcessType::AnisotropicEtching, anisotropicEtching, 32, true);
        const auto pvd = values<PvdProcess>({Al, 1.5, 0.5, PvdSide::TopAndBottom});
        row("PVD of aluminium on top and bottom", CommandId::Pvd, pvd, ProcessType::Pvd, pvd, 31, true);
        const auto mooreDeposition = values<MooreDepositionProcess>({Oxide, 2});
        row("Moore deposition of oxide", CommandId::MooreDeposition, mooreDeposition, ProcessType::MooreDeposition,
            mooreDeposition, 18, true);
        const auto mooreEtching = values<MooreEtchingProcess>({Si, 1});
        row("Moore etching of silicon", CommandId::MooreEtching, mooreEtching, ProcessType::MooreEtching, mooreEtching,
            19, true);
        const auto doping = values<DopingProcess>({NSi, 2.0f});
        row("doping with N", CommandId::Doping, doping, ProcessType::Doping, doping, 17, true);
        const auto siliconDoping = values<DopingProcess>({Si, 1.5f});
        row("doping with Si", CommandId::Doping, siliconDoping, ProcessType::Doping, siliconDoping, 17, true);
        const auto implantation = values<IonImplantationProcess>({PSi, 3.0f, 0.5f, 1.5f});
        row("ion implantation of P", CommandId::IonImplantation, implantation, ProcessType::IonImplantation,
            implantation, 3, true);
        const auto byTime = values<SiOxidationProcess>({true, 30.0, 0.0, 1.5, 1323.0, 0.8, {}});
        row("oxidation for a time", CommandId::SiOxidation, byTime, ProcessType::SiOxidation, byTime, 26, true);
        const auto toThickness = values<SiOxidationProcess>({false, 20.0, 0.1, 0.0, 1273.0, 1.0, {}});
        row("oxidation to a thickness", CommandId::SiOxidation, toThickness, ProcessType::SiOxidation, toThickness, 26,
            true);
        const auto planarization = values<PlanarizationProcess>({8, 1});
        row("planarization", CommandId::Planarization, planarization, ProcessType::Planarization, planarization, 22,
            true);
        // A step's own seed draws alike on both roads.
        const auto lineOfSight = lineOfSightValues(ProcessType::LineOfSightDeposition, {Oxide, 1.5, 0.5, 1.0, 5u});
        row("line-of-sight deposition of oxide", CommandId::LineOfSightDeposition, lineOfSight,
            ProcessType::LineOfSightDeposition, lineOfSight, 40, true);
        const auto collimatedEtch = lineOfSightValues(ProcessType::LineOfSightEtching, {Si, 2.0, 0.5, 200.0, 5u});
        row("line-of-sight etching of silicon", CommandId::LineOfSightEtching, collimatedEtch,
            ProcessType::LineOfSightEtching, collimatedEtch, 41, true);
        const auto bosch = values<BoschEtchingProcess>({Si, 2, 1.5, 1.0, 0.2, Polymer, true, 5u});
        row("Bosch etching of silicon", CommandId::BoschEtching, bosch, ProcessType::BoschEtching, bosch, 42, true);
        const auto pour = values<SpinCoatingProcess>({12, Resist});
        row("pour material", CommandId::SpinCoating, pour, ProcessType::SpinCoating, pour, 23, true);
    }
    void bothRoadsGiveTheSameStep()
    {
        QFETCH(uint, command);
        QFETCH(QVariantMap, dialog);
        QFETCH(int, type);
        QFETCH(QVariantMap, line);
        QFETCH(uint, lastOperation);
        QFETCH(bool, marks);
        const Road window = throughTheWindow(CommandId(command), dialog);
        const Road list = throughAList(ProcessType(type), line);
        QVERIFY(window.cells != cellStates(*freshVolume()));
        QVERIFY(window.cells == list.cells);
        QCOMPARE(window.lastOperation, lastOperation);
        QCOMPARE(list.lastOperation, lastOperation);
        QCOMPARE(window.latticeOutOfDate, marks);
        QCOMPARE(list.latticeOutOfDate, marks);
    }

    // A wet etch through a mask's opening leaves partly etched silicon cells at the bottom of its pit.
    // A film of oxide that fills the pit keeps the etchant off that silicon: the next wet etch
    // removes nothing, by either road. The lattice must be laid anew after the film (a film of any
    // material), or the atoms the first etch took out of those cells would still be open to it.
    void aFilmInAnEtchedPitKeepsTheNextWetEtchOff_data()
    {
        QTest::addColumn<bool>("window");
        QTest::newRow("window") << true;
        QTest::newRow("list") << false;
    }
    void aFilmInAnEtchedPitKeepsTheNextWetEtchOff()
    {
        using namespace Core::Processes;
        QFETCH(bool, window);
        const QVariantMap etch = values<SiWetEtchingProcess>({1.5, QStringLiteral("BCA")});
        const SceneStep wetEtch{CommandId::BondCountingWetEtch, ProcessType::SiWetEtching, etch};
        const SceneStep film{CommandId::IsotropicDeposition, ProcessType::IsotropicDeposition,
                             values<IsotropicDepositionProcess>({Oxide, 3.0})};
        Core::Workspace ws(Core::UndoFiles::Storage::None);
        auto volume = maskedSilicon();
        ws.document().addObject(volume);
        const size_t before = siliconCells(*volume);
        runScene(window, ws, volume, {wetEtch, film});
        const size_t covered = siliconCells(*volume);
        QVERIFY(covered < before);
        // The film fills the pit up to the mask and beyond.
        for (uint32_t x = 0; x < 12; ++x)
            for (uint32_t y = 0; y < 12; ++y)
                for (uint32_t z = 0; z < 8; ++z)
                    QVERIFY(stateAt(*volume, x, y, z) != 0u);

        const auto filled = cellStates(*volume);
        runScene(window, ws, volume, {wetEtch});
        QCOMPARE(siliconCells(*volume), covered);
        QVERIFY(cellStates(*volume) == filled);
    }

    // A value no dialog gives is refused in the window as in a list, and nothing changes.
    void theWindowRefusesWhatAListRefuses()
    {
        QStringList console;
        const Road window =
            throughTheWindow(CommandId::IsotropicDeposition,
                             values<Core::Processes::IsotropicDepositionProcess>({Oxide, -1.0}), &console);
        QVERIFY(window.cells == cellStates(*freshVolume()));
        QCOMPARE(window.lastOperation, 0u);
        QVERIFY(console.size() >= 2);
        QCOMPARE(console[console.size() - 2],
                 QStringLiteral("Isotropic Deposition: invalid: \"Film Thickness\" of -1 is out of range: it must be "
                                "from 0 to 3.40282e+38 units"));
        QCOMPARE(console.last(), QStringLiteral("Isotropic Deposition: Operation canceled."));
    }

    // A walk seeded alike draws alike on both roads: a list's step draws from the stream its
    // position gives (the list's seed mixed with the step's index), the window from the dialog's.
    void theRandomWalkDrawsAlikeOnBothRoadsForOneSeed()
    {
        Core::Operations::RandomWalkDopingInput walk;
        walk.material = PSi;
        walk.dopingTimeMinutes = 1.0;
        walk.diffusionCoefficientCm2PerS = 1e-10; // q = D dt / a^2 = 0.1
        walk.cellSizeMicrometres = 1.0;
        walk.timeStepSeconds = 10.0;
        walk.surfaceConcentrationPerCm3 = 5e13; // 50 particles per cell at the surface
        walk.thresholdPercent = 20.0;
        const auto dialog = values<Core::Processes::RandomWalkDopingProcess>(walk);
        const uint64_t listSeed = 7;
        const uint64_t stepSeed = Core::Operations::RandomStream::mix(listSeed);
        const Road window = throughTheWindow(CommandId::RandomWalkDoping, dialog, nullptr, stepSeed);
        const Road list = throughAList(ProcessType::RandomWalkDoping, dialog, nullptr, listSeed);
        QVERIFY(window.cells != cellStates(*freshVolume()));
        QVERIFY(!window.counters.empty());
        QVERIFY(window.cells == list.cells);
        QVERIFY(window.counters == list.counters);
        QCOMPARE(window.lastOperation, 36u);
        QCOMPARE(list.lastOperation, 36u);
        QVERIFY(window.latticeOutOfDate && list.latticeOutOfDate);
        // The counters follow the seed: another one draws otherwise.
        QVERIFY(throughTheWindow(CommandId::RandomWalkDoping, dialog, nullptr, stepSeed + 1).counters !=
                window.counters);
    }

    // A step that finds nothing to change: a list's step succeeds, says why and is not recorded;
    // the window refuses the step with the same words (no material) or tells the thickness and
    // records it (an oxide of no thickness), as each road always has.
    void aStepWithNothingToChange_data()
    {
        using namespace Core::Processes;
        QTest::addColumn<uint>("command");
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<int>("emptied"); // the catalogue process left without materials, or -1
        QTest::addColumn<QStringList>("windowSays");
        QTest::addColumn<uint>("windowRecords");
        QTest::addColumn<QString>("listSays");
        const QString none = QStringLiteral("No material can be %1: the process \"%2\" has no compatible materials "
                                            "(Materials > Manage Compatible Materials).");
        const auto row = [](const char *name, CommandId id, const QVariantMap &values, int emptied,
                            const QStringList &window, uint records, const QString &list) {
            QTest::newRow(name) << uint(id) << values << emptied << window << records << list;
        };
        const QString doped = none.arg("doped", "Simple Doping");
        row("doping, nothing dopable", CommandId::Doping, values<DopingProcess>({NSi, 2.0f}), 13,
            {"Doping: " + doped, "Doping: Operation canceled."}, 0, doped);
        const QString implanted = none.arg("implanted", "Simple Doping");
        row("implantation, nothing dopable", CommandId::IonImplantation,
            values<IonImplantationProcess>({PSi, 3.0f, 0.5f, 1.5f}), 13,
            {"Ion Implantation: " + implanted, "Ion Implantation: Operation Canceled!"}, 0, implanted);
        const QString oxidized = none.arg("oxidized", "Simple Si Oxidation");
        row("oxidation, nothing oxidizable", CommandId::SiOxidation,
            values<SiOxidationProcess>({false, 20.0, 0.1, 0.0, 1273.0, 1.0, {}}), 12,
            {"Simple Si Oxidation: " + oxidized, "Simple Si Oxidation: Operation canceled."}, 0, oxidized);
        row("oxidation of no thickness", CommandId::SiOxidation,
            values<SiOxidationProcess>({false, 20.0, 0.0, 0.0, 1273.0, 1.0, {}}), -1,
            {"Simple Si Oxidation: The oxide thickness is 0 cell units; nothing was oxidized.",
             "Simple Si Oxidation: Operation finished."},
            26, "the oxide thickness is 0 cell units; nothing was oxidized");
    }
    void aStepWithNothingToChange()
    {
        QFETCH(uint, command);
        QFETCH(QVariantMap, values);
        QFETCH(int, emptied);
        QFETCH(QStringList, windowSays);
        QFETCH(uint, windowRecords);
        QFETCH(QString, listSays);
        std::optional<EngineTest::CompatibleMaterials> none;
        if (emptied >= 0)
            none.emplace(uint32_t(emptied), QList<uint32_t>());
        const ProcessDescriptor *process = ProcessRegistry::forCommand(CommandId(command));
        QStringList console;
        const Road window = throughTheWindow(CommandId(command), values, &console);
        QString detail;
        const Road list = throughAList(process->type(), values, &detail);
        const auto fresh = cellStates(*freshVolume());
        QVERIFY(window.cells == fresh);
        QVERIFY(list.cells == fresh);
        QCOMPARE(console.mid(console.size() - 2), windowSays);
        QCOMPARE(window.lastOperation, windowRecords);
        QCOMPARE(detail, listSays);
        QCOMPARE(list.lastOperation, 0u);
    }

    // The window's Create Substrate builds from its dialog's values the volume that a list's step
    // with those values makes; only the fields of the chosen shape count.
    // A step in an etch bath needs the bath's values, and data for them; it is refused before a
    // list runs, with the name of what is wrong and the values it may take.
    void bathStepsAreRefusedWithTheirReason_data()
    {
        using namespace Core::Processes;
        QTest::addColumn<QVariantMap>("changes");
        QTest::addColumn<QString>("refusal");
        const QString missing =
            QStringLiteral("\"Concentration\" is missing: with an \"Etchant\" it must be given, from 10 to 40 wt %");
        QTest::newRow("KOH") << QVariantMap() << QString();
        QTest::newRow("no concentration") << QVariantMap{{Parameter::Concentration, QVariant()}} << missing;
        QTest::newRow("TMAH") << QVariantMap{{Parameter::Etchant, QStringLiteral("TMAH")}}
                              << QStringLiteral("\"Etchant\" TMAH is refused: this program holds no citable TMAH etch "
                                                "rates; use KOH");
        QTest::newRow("bond counting") << QVariantMap{{Parameter::EtchModel, QStringLiteral("BCA")}}
                                       << QStringLiteral("\"Etch Model\" BCA is refused with an \"Etchant\": the "
                                                         "bath's rates are those of the continuous model (CCA); bond "
                                                         "counting etches by \"Depth\"");
        QTest::newRow("(110) wafer") << QVariantMap{{Parameter::WaferOrientation, QStringLiteral("110")}} << QString();
        QTest::newRow("(111) wafer") << QVariantMap{{Parameter::WaferOrientation, QStringLiteral("111")}} << QString();
        QTest::newRow("(311) wafer") << QVariantMap{{Parameter::WaferOrientation, QStringLiteral("311")}} << QString();
        QTest::newRow("(211) wafer") << QVariantMap{{Parameter::WaferOrientation, QStringLiteral("211")}}
                                     << QStringLiteral("\"Wafer Orientation\" must be 100, 110, 111 or 311, not \"211\"");
        QTest::newRow("flat at 45 degrees") << QVariantMap{{Parameter::FlatAngle, 45.0}} << QString();
        QTest::newRow("flat beyond a turn")
            << QVariantMap{{Parameter::FlatAngle, 400.0}}
            << QStringLiteral("\"Flat Angle\" of 400 is out of range: it must be from -360 to 360 degrees");
        QTest::newRow("flat at 90 degrees") << QVariantMap{{Parameter::FlatAngle, 90.0}} << QString();
        QTest::newRow("empty etchant") << QVariantMap{{Parameter::Etchant, QString()}}
                                       << QStringLiteral("\"Etchant\" must be KOH or TMAH, not \"\"");
    }
    void bathStepsAreRefusedWithTheirReason()
    {
        using namespace Core::Processes;
        QFETCH(QVariantMap, changes);
        QFETCH(QString, refusal);
        const SiWetEtchingProcess &process = ProcessRegistry::get<SiWetEtchingProcess>();
        ProcessStep step{int(ProcessType::SiWetEtching)};
        process.applyValues(step, values<SiWetEtchingProcess>({0.0, QStringLiteral("CCA"), QStringLiteral("KOH"), 30.0,
                                                               70.0, 2.0, 1.0, QStringLiteral("100"), 0.0}));
        process.applyValues(step, changes);
        QCOMPARE(Core::BatchRun::StepParameters::rangeRefusals(step).join(QLatin1Char('\n')), refusal);
    }

    void theDialogsSubstrateIsTheListsSubstrate()
    {
        using namespace Core::Processes;
        const CreateSubstrateProcess &process = ProcessRegistry::get<CreateSubstrateProcess>();
        CreateSubstrateParameters ball;
        ball.material = Si;
        ball.corner = Util::Vector3D(1.5, -2, 7);
        ball.volumeSize = {9, 7, 5};
        ball.spherical = true;
        ball.substrateSize = {1, 1, 1};
        ball.substrateCenter = {4, 3, 2};
        ball.radius = 2;
        const QVariantMap dialog = process.values(ball);
        const auto builder = process.builder(dialog);
        QVERIFY(builder);
        const auto fromTheWindow = builder->buildVolume();

        Core::Workspace ws(Core::UndoFiles::Storage::None);
        Core::Processes::ProcessStep step{int(ProcessType::CreateSubstrate)};
        process.applyValues(step, dialog);
        Core::BatchRun::BatchRunner runner(ws, nullptr);
        QVERIFY(runner.run({step}).succeeded());
        QVERIFY(runner.target());
        QCOMPARE(runner.target()->position(), fromTheWindow->position());
        const auto cells = cellStates(*runner.target());
        QVERIFY(cells == cellStates(*fromTheWindow));
        // Whole-cell offsets within 2 of the centre: 1 + 6 (at 1) + 12 (at 1.41) + 8 (at 1.73) + 6 (at 2).
        QCOMPARE(int(std::count(cells.begin(), cells.end(), Si)), 33);
    }
};

QTEST_GUILESS_MAIN(tst_ProcessDescriptors)
#include "tst_processdescriptors.moc"
