#include "Core/Processes/processregistry.h"

#include "Core/Processes/anisotropicdepositionprocess.h"
#include "Core/Processes/anisotropicetchingprocess.h"
#include "Core/Processes/boschetchingprocess.h"
#include "Core/Processes/createsubstrateprocess.h"
#include "Core/Processes/cvdprocess.h"
#include "Core/Processes/dopingprocess.h"
#include "Core/Processes/electroplatingprocess.h"
#include "Core/Processes/ionimplantationprocess.h"
#include "Core/Processes/isotropicdepositionprocess.h"
#include "Core/Processes/isotropicetchingprocess.h"
#include "Core/Processes/lineofsightprocess.h"
#include "Core/Processes/measureprocess.h"
#include "Core/Processes/mooredepositionprocess.h"
#include "Core/Processes/mooreetchingprocess.h"
#include "Core/Processes/photolithographyprocess.h"
#include "Core/Processes/planarizationprocess.h"
#include "Core/Processes/pvdprocess.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Core/Processes/saveimageprocess.h"
#include "Core/Processes/simplerieprocess.h"
#include "Core/Processes/sioxidationprocess.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "Core/Processes/spincoatingprocess.h"

#include <algorithm>
#include <memory>

namespace Core {
namespace Processes {

namespace {

struct Descriptors {
    std::vector<std::unique_ptr<const ProcessDescriptor>> owned;
    std::vector<const ProcessDescriptor *> all;

    Descriptors()
    {
        // One line per process.
        owned.push_back(std::make_unique<PhotolithographyProcess>());
        owned.push_back(std::make_unique<SiWetEtchingProcess>());
        owned.push_back(std::make_unique<MooreDepositionProcess>());
        owned.push_back(std::make_unique<MooreEtchingProcess>());
        owned.push_back(std::make_unique<CvdProcess>());
        owned.push_back(std::make_unique<IsotropicEtchingProcess>());
        owned.push_back(std::make_unique<ElectroplatingProcess>());
        owned.push_back(std::make_unique<PvdProcess>());
        owned.push_back(std::make_unique<SimpleRieProcess>());
        owned.push_back(std::make_unique<DopingProcess>());
        owned.push_back(std::make_unique<IonImplantationProcess>());
        owned.push_back(std::make_unique<SiOxidationProcess>());
        owned.push_back(std::make_unique<RandomWalkDopingProcess>());
        owned.push_back(std::make_unique<IsotropicDepositionProcess>());
        owned.push_back(std::make_unique<PlanarizationProcess>());
        owned.push_back(std::make_unique<SpinCoatingProcess>());
        owned.push_back(std::make_unique<SaveImageProcess>());
        owned.push_back(std::make_unique<CreateSubstrateProcess>());
        owned.push_back(std::make_unique<AnisotropicDepositionProcess>());
        owned.push_back(std::make_unique<AnisotropicEtchingProcess>());
        owned.push_back(std::make_unique<LineOfSightProcess>(LineOfSightProcess::Mode::Deposition));
        owned.push_back(std::make_unique<LineOfSightProcess>(LineOfSightProcess::Mode::Etching));
        owned.push_back(std::make_unique<BoschEtchingProcess>());
        owned.push_back(std::make_unique<MeasureProcess>());

        for (const auto &descriptor : owned)
            all.push_back(descriptor.get());
        std::sort(all.begin(), all.end(),
                  [](const ProcessDescriptor *a, const ProcessDescriptor *b) { return a->type() < b->type(); });
    }
};

const Descriptors &descriptors()
{
    static const Descriptors made;
    return made;
}

} // namespace

const ProcessDescriptor *ProcessRegistry::descriptor(ProcessType type)
{
    for (const ProcessDescriptor *descriptor : descriptors().all) {
        if (descriptor->type() == type)
            return descriptor;
    }
    return nullptr;
}

const ProcessDescriptor *ProcessRegistry::descriptor(int typeCode)
{
    return isProcessType(typeCode) ? descriptor(ProcessType(typeCode)) : nullptr;
}

const ProcessDescriptor *ProcessRegistry::forCommand(CommandId id, const ProcessCommand **command)
{
    for (const ProcessDescriptor *descriptor : descriptors().all) {
        if (const ProcessCommand *found = descriptor->command(id)) {
            if (command)
                *command = found;
            return descriptor;
        }
    }
    return nullptr;
}

const std::vector<const ProcessDescriptor *> &ProcessRegistry::all() { return descriptors().all; }

} // namespace Processes
} // namespace Core
