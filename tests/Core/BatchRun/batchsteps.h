#pragma once
// Steps and volumes of the runner's tests: a registry with a test step, and the steps of each type
// as a list gives them.

#include "Core/BatchRun/batchrunner.h"
#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "batchlists.h"
#include "siwetetchscenes.h"
#include "volumetesthelpers.h"

#include <new>
#include <stdexcept>

namespace BatchSteps {

using namespace Core::BatchRun;
using Core::Processes::ProcessStep;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

inline ProcessStep sphereSubstrate(uint n, uint cx, uint cy, uint cz, uint radius)
{
    ProcessStep step = boxSubstrate(n, n, n, 1);
    step.setParameter(QStringLiteral("SphericalSubstrate"), true, false);
    for (const auto &centre : {qMakePair('X', cx), qMakePair('Y', cy), qMakePair('Z', cz)})
        step.setParameter(QStringLiteral("Substrate Center ") + QLatin1Char(centre.first), centre.second, true);
    step.setParameter(QStringLiteral("Substrate Radius"), radius, true);
    return step;
}

// A registry with Create Substrate and a test step (type 16) that reads "Film Thickness" as a
// double, counts its runs and fills the top layer with material 3.
struct TestSteps {
    int runs = 0;
    StepRegistry registry;
    TestSteps()
    {
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessStep &s) { return StepRegistry::standard().run(c, s); });
        registry.add(IsotropicDeposition, [this](StepContext &c, const ProcessStep &s) {
            if (!s.hasParameter(QStringLiteral("Film Thickness")))
                return int(MissingParameter);
            bool ok = false;
            const double t = s.getProcessParameter(QStringLiteral("Film Thickness")).toDouble(&ok);
            if (!ok)
                return int(InvalidValue);
            if (t < 0)
                throw std::invalid_argument("The thickness must not be negative.");
            if (t > 1e9)
                throw std::bad_alloc();
            ++runs;
            Model::Automaton::CellLock lock(*c.volume);
            for (uint32_t x = 0; x < c.volume->sizeX(); ++x)
                for (uint32_t y = 0; y < c.volume->sizeY(); ++y)
                    lock.cells().setState(c.volume->index(x, y, c.volume->sizeZ() - 1), 3);
            c.recordStep(13);
            return int(Success);
        });
    }
};

// An isotropic deposition of material 3; no thickness when it is invalid.
inline ProcessStep film(const QVariant &thickness)
{
    ProcessStep step = batchStep(IsotropicDeposition, {{"Material_Id", 3u}});
    if (thickness.isValid())
        step.setParameter(QStringLiteral("Film Thickness"), thickness, true);
    return step;
}

inline ProcessStep wetEtch(const QVariant &depth, const QString &model = QString())
{
    ProcessStep step(SiWetEtching);
    if (depth.isValid())
        step.setParameter(QStringLiteral("Depth"), depth, true);
    if (!model.isEmpty())
        step.setParameter(QStringLiteral("Etch Model"), model, true);
    return step;
}

inline void runWetEtchEngine(TotalVolume &volume, const QString &model, double depth)
{
    if (model == QLatin1String("CCA"))
        Core::Operations::ContinuousWetEtchEngine(volume, depth).run();
    else
        Core::Operations::BondCountingWetEtchEngine(volume, depth).run();
}

inline ProcessStep doping(const QVariant &material, const QVariant &depth)
{
    return batchStep(Doping, {{"Doped Material_Id", material}, {"Doping Depth", depth}});
}

inline ProcessStep implantation(const QVariant &material, float depth, float spread, float annealing)
{
    return batchStep(IonImplantation, {{"Doped Material_Id", material},
                                       {"Implantation Depth", depth},
                                       {"Vertical Spread", spread},
                                       {"Annealing Distance", annealing}});
}

inline ProcessStep oxidationTo(const QVariant &thickness)
{
    return batchStep(SiOxidation, {{"OxidationTimeSet", false},
                                   {"OxidationThicknessSet", true},
                                   {"Oxidation Thickness", thickness},
                                   {"Micron Conversion", 100.0}});
}

inline ProcessStep oxidationFor(double time, double temperature, double micronConversion)
{
    return batchStep(SiOxidation, {{"OxidationTimeSet", true},
                                   {"Oxidation Time", time},
                                   {"Oxidation Temperature", temperature},
                                   {"Oxidation Pressure", 1.0},
                                   {"Micron Conversion", micronConversion}});
}

inline ProcessStep pvdOn(int side)
{
    return batchStep(
        Pvd, {{"Material_Id", 4u}, {"Thickness", 1.0}, {"Horizontal to Vertical Ratio", 0.0}, {"DepositOn", side}});
}

// 3 x 3 x 6 cells: the given material below z = 3, empty above.
inline TotalVolumePtr threeLayers(uint32_t material)
{
    return makeVolume(3, 3, 6, [material](uint32_t, uint32_t, uint32_t z) { return z < 3 ? material : 0u; });
}

inline const WetEtchScene::Pit pit{26, 14, 16};

} // namespace BatchSteps
