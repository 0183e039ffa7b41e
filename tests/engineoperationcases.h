#pragma once

#include "Core/Engines/Columns/photolithography.h"
#include "Core/Engines/Columns/planarization.h"
#include "Core/Engines/Columns/simplereactiveionetching.h"
#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Engines/DistanceCounting/filmetchingengine.h"
#include "Core/Engines/DistanceCounting/ionimplantation.h"
#include "Core/Engines/DistanceCounting/simpledoping.h"
#include "Core/Engines/DistanceCounting/simplesioxidation.h"
#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Engines/LineOfSight/boschetching.h"
#include "Core/Engines/LineOfSight/lineofsighttransport.h"
#include "Core/Engines/Moore/mooreneighborhooddeposition.h"
#include "Core/Formats/maskimage.h"
#include "Core/Processes/anisotropicetchingprocess.h"
#include "Core/Processes/boschetchingprocess.h"
#include "Core/Processes/cvdprocess.h"
#include "Core/Processes/dopingprocess.h"
#include "Core/Processes/ionimplantationprocess.h"
#include "Core/Processes/lineofsightprocess.h"
#include "Core/Processes/mooredepositionprocess.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/photolithographyprocess.h"
#include "Core/Processes/planarizationprocess.h"
#include "Core/Processes/processoperation.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/simplerieprocess.h"
#include "Core/Processes/sioxidationprocess.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"
#include "enginetesthelpers.h"
#include "testoperations.h"

/// The process operations that run an engine on a cell volume, each with its dialog's answers
/// and the engine run it must equal, for the operation and engine tests.
namespace EngineCases {

using namespace Core::Operations;
using namespace EngineTest;
using Core::Processes::CommandId;
using Core::Processes::ProcessRegistry;
namespace Parameter = Core::Processes::Parameter;

inline std::shared_ptr<TotalVolume> freshVolume(uint32_t nx = 10) { return makeVolume(nx, 6, 14, rough); }

using Control = Util::RunControl *;
using ControlledRun = std::function<void(TotalVolume &, Control)>;
using Maker = std::function<OperationPtr(Core::Workspace &, bool accept)>;

/// One operation: how it is made with its dialog's answers (or a rejected dialog), the engine
/// run it must equal, and what it leaves in the workspace.
struct Case {
    QString name;
    uint32_t typeCode;
    Maker make;
    ControlledRun engine;
    bool undoable = true;
    bool marksLattice = false;
    int stopBoundary = 3; // a boundary inside the run, 0 when the run has none to stop at
    QString cancelText = QString();
    QString canceled() const
    {
        return cancelText.isEmpty() ? name + QStringLiteral(": Operation canceled.") : cancelText;
    }
};

/// The operation, with the dialog that gives `answers` when accepted.
template <class Op> inline Maker dialog(std::function<void(Op &)> answers)
{
    return [answers](Core::Workspace &ws, bool accept) -> OperationPtr {
        auto operation = std::make_shared<Op>(ws);
        auto observer = std::make_shared<CountingObserver>();
        Op *op = operation.get();
        observer->onNotify = [op, answers, accept] {
            if (accept)
                answers(*op);
        };
        operation->setObserver(observer);
        return operation;
    };
}

/// The window's command `id` of a process, whose dialog gives `values` (under the list's parameter
/// names), and the seed of a random step, when accepted.
inline Maker command(CommandId id, const QVariantMap &values, std::optional<uint64_t> seed = std::nullopt)
{
    return [id, values, seed](Core::Workspace &ws, bool accept) -> OperationPtr {
        auto operation = Core::Processes::ProcessOperation::make(ws, id);
        auto observer = std::make_shared<CountingObserver>();
        Core::Processes::ProcessOperation *op = operation.get();
        observer->onNotify = [op, values, seed, accept] {
            if (!accept)
                return;
            op->setParameters(values);
            op->setSeed(seed);
        };
        operation->setObserver(observer);
        return operation;
    };
}

/// The values of a process's parameter struct, as its dialog gives them.
template <class Process> inline QVariantMap values(const typename Process::Params &params)
{
    return ProcessRegistry::get<Process>().values(params);
}

/// The values of a line-of-sight step of `type`, as its dialog gives them.
inline QVariantMap lineOfSightValues(Core::Processes::ProcessType type,
                                     const Core::Processes::LineOfSightParameters &params)
{
    return dynamic_cast<const Core::Processes::LineOfSightProcess &>(*ProcessRegistry::descriptor(type)).values(params);
}

/// Runs the engine under the control (null: none).
template <class E> inline void runWith(E &&engine, Control control)
{
    engine.setRunControl(control);
    engine.run();
}

/// A seeded line-of-sight run.
inline void runLineOfSight(TotalVolume &v, Control rc, const LineOfSightTransport::Settings &settings)
{
    LineOfSightTransport engine(v, settings);
    engine.setSeed(12);
    runWith(engine, rc);
}

enum Flags { Undoable = 1, MarksLattice = 2 };

template <class Op>
inline Case op(const QString &name, uint32_t typeCode, int flags, ControlledRun engine,
               std::function<void(Op &)> answers)
{
    return {name, typeCode, dialog<Op>(answers), engine, (flags & Undoable) != 0, (flags & MarksLattice) != 0};
}

inline Case process(const QString &name, uint32_t typeCode, int flags, ControlledRun engine, CommandId id,
                    const QVariantMap &answers)
{
    return {name, typeCode, command(id, answers), engine, (flags & Undoable) != 0, (flags & MarksLattice) != 0};
}

inline QMap<QString, Case> cases()
{
    QMap<QString, Case> c;
    c["isotropic deposition"] = process(
        "Isotropic Deposition", 13, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) { runWith(FilmDepositionEngine(v, Oxide, 2.5f), rc); },
        CommandId::IsotropicDeposition, values<Core::Processes::IsotropicDepositionProcess>({Oxide, 2.5}));
    c["anisotropic etching"] = process(
        "Anisotropic Etching", 32, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) { runWith(FilmEtchingEngine(v, Si, 2.0f, 0.25f), rc); },
        CommandId::AnisotropicEtching, values<Core::Processes::AnisotropicEtchingProcess>({Si, 2.0, 0.25}));
    c["simple rie"] = process(
        "Simple RIE", 30, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            runWith(SimpleReactiveIonEtching(v, Si, 3, SimpleReactiveIonEtching::fromTop), rc);
        },
        CommandId::SimpleRie, values<Core::Processes::SimpleRieProcess>({Si, 3, SimpleReactiveIonEtching::fromTop}));
    // A depth of exactly one cell: reached only when the limit itself counts; one iteration long.
    c["doping with N"] = process(
        "Doping", 17, Undoable | MarksLattice, [](TotalVolume &v, Control rc) { runWith(SimpleDoping(v, NSi, 1.0f), rc); },
        CommandId::Doping, values<Core::Processes::DopingProcess>({NSi, 1.0f}));
    c["doping with N"].stopBoundary = 2;
    c["ion implantation"] = process(
        "Ion Implantation", 3, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) { runWith(IonImplantation(v, PSi, 3.0f, 0.5f, 1.5f), rc); },
        CommandId::IonImplantation, values<Core::Processes::IonImplantationProcess>({PSi, 3.0f, 0.5f, 1.5f}));
    c["ion implantation"].cancelText = "Ion Implantation: Operation Canceled!";
    c["oxidation by time"] = process(
        "Simple Si Oxidation", 26, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            SimpleSiOxidation engine(v, 30.0);
            engine.setRunControl(rc);
            engine.runForTime(1.5, 1323.0, 0.8);
        },
        CommandId::SiOxidation, values<Core::Processes::SiOxidationProcess>({true, 30.0, 0.0, 1.5, 1323.0, 0.8, {}}));
    c["moore deposition"] = process(
        "Moore film deposition", 18, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) { runWith(MooreNeighborhoodDeposition(v, Oxide, 2), rc); },
        CommandId::MooreDeposition, values<Core::Processes::MooreDepositionProcess>({Oxide, 2}));
    c["planarization"] = process(
        "Planarization", 22, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) { runWith(Planarization(v, 8, 1), rc); }, CommandId::Planarization,
        values<Core::Processes::PlanarizationProcess>({8, 1}));
    c["planarization"].cancelText = "Planarization: Operation canceled!";
    c["photolithography"] = process(
        "Photolithography", 20, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            runWith(Photolithography(v, Resist, QBitArray(), 0, 0, QBitArray(), 0, 0), rc);
        },
        CommandId::Photolithography, values<Core::Processes::PhotolithographyProcess>({Resist, {}, {}, false}));
    c["photolithography"].cancelText = "Photolithography: Operation Canceled!";
    c["bca wet etch"] = process("BCA Wet Etch", 28, Undoable,
                                [](TotalVolume &v, Control rc) { runWith(BondCountingWetEtchEngine(v, 3.0), rc); },
                                CommandId::BondCountingWetEtch, {{Parameter::Depth, 3.0}});
    c["cca wet etch"] = process("Continuous Wet Etch", 29, Undoable,
                                [](TotalVolume &v, Control rc) { runWith(ContinuousWetEtchEngine(v, 3.0), rc); },
                                CommandId::ContinuousWetEtch, {{Parameter::Depth, 3.0}});
    using LineOfSight = LineOfSightTransport::Mode;
    c["line-of-sight deposition"] = process(
        "Line-of-Sight Deposition", 40, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            runLineOfSight(v, rc, {LineOfSight::Deposition, Oxide, 2.0, 0.5, 1.0});
        },
        CommandId::LineOfSightDeposition,
        lineOfSightValues(Core::Processes::ProcessType::LineOfSightDeposition, {Oxide, 2.0, 0.5, 1.0, 12u}));
    c["line-of-sight etching"] = process(
        "Line-of-Sight Etching", 41, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            runLineOfSight(v, rc, {LineOfSight::Etching, Si, 1.5, 0.3, 50.0});
        },
        CommandId::LineOfSightEtching,
        lineOfSightValues(Core::Processes::ProcessType::LineOfSightEtching, {Si, 1.5, 0.3, 50.0, 12u}));
    c["bosch etching"] = process(
        "Bosch Etching", 42, Undoable | MarksLattice,
        [](TotalVolume &v, Control rc) {
            BoschEtching engine(v, {Si, 2, 1.5, 1.0, 0.3, Polymer, true});
            engine.setSeed(12);
            runWith(engine, rc);
        },
        CommandId::BoschEtching,
        values<Core::Processes::BoschEtchingProcess>({Si, 2, 1.5, 1.0, 0.3, Polymer, true, 12u}));
    // Single passes have no boundary inside their run.
    for (const char *key : {"planarization", "bca wet etch", "cca wet etch"})
        c[key].stopBoundary = 0;
    return c;
}

} // namespace EngineCases
