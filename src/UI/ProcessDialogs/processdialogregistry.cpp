#include "UI/ProcessDialogs/processdialogregistry.h"

#include "Core/Processes/isotropicdepositionprocess.h"
#include "Core/Processes/lineofsightprocess.h"
#include "Core/Processes/mooreprocess.h"
#include "UI/ProcessDialogs/anisotropicdepositiondialog.h"
#include "UI/ProcessDialogs/anisotropicetchingdialog.h"
#include "UI/ProcessDialogs/boschetchingdialog.h"
#include "UI/ProcessDialogs/createsubstratedialog.h"
#include "UI/ProcessDialogs/dopingdialog.h"
#include "UI/ProcessDialogs/electroplatingdialog.h"
#include "UI/ProcessDialogs/ionimplantationdialog.h"
#include "UI/ProcessDialogs/isotropicdepositiondialog.h"
#include "UI/ProcessDialogs/isotropicetchingdialog.h"
#include "UI/ProcessDialogs/lineofsightdialog.h"
#include "UI/ProcessDialogs/mooredialog.h"
#include "UI/ProcessDialogs/photolithographydialog.h"
#include "UI/ProcessDialogs/planarizationdialog.h"
#include "UI/ProcessDialogs/pvddialog.h"
#include "UI/ProcessDialogs/randomwalkdopingdialog.h"
#include "UI/ProcessDialogs/saveimagedialog.h"
#include "UI/ProcessDialogs/simpleriedialog.h"
#include "UI/ProcessDialogs/sioxidationdialog.h"
#include "UI/ProcessDialogs/siwetetchingdialog.h"
#include "UI/ProcessDialogs/spincoatingdialog.h"

namespace Ui {

namespace {

using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessType;
using Maker = std::unique_ptr<IProcessDialog> (*)(const ProcessDescriptor &, QWidget *);

template <class Dialog> std::unique_ptr<IProcessDialog> plain(const ProcessDescriptor &, QWidget *parent)
{
    return std::make_unique<Dialog>(parent);
}

/// A dialog made for its process's descriptor (one dialog serving processes that differ in names).
template <class Dialog, class Process>
std::unique_ptr<IProcessDialog> forProcess(const ProcessDescriptor &process, QWidget *parent)
{
    return std::make_unique<Dialog>(dynamic_cast<const Process &>(process), parent);
}

struct Entry {
    ProcessType type;
    Maker make;
};

// One line per process with a dialog.
const Entry entries[] = {
    {ProcessType::Photolithography, &plain<Operations::PhotolithographyDialog>},
    {ProcessType::SiWetEtching, &plain<Operations::SiWetEtchingDialog>},
    {ProcessType::MooreDeposition, &forProcess<Operations::MooreDialog, Core::Processes::MooreProcess>},
    {ProcessType::MooreEtching, &forProcess<Operations::MooreDialog, Core::Processes::MooreProcess>},
    {ProcessType::Cvd, &forProcess<Operations::IsotropicDepositionDialog, Core::Processes::IsotropicDepositionProcess>},
    {ProcessType::IsotropicEtching, &plain<Operations::IsotropicEtchingDialog>},
    {ProcessType::Electroplating, &plain<Operations::ElectroplatingDialog>},
    {ProcessType::Pvd, &plain<Operations::PvdDialog>},
    {ProcessType::SimpleRie, &plain<Operations::SimpleRieDialog>},
    {ProcessType::Doping, &plain<Operations::DopingDialog>},
    {ProcessType::IonImplantation, &plain<Operations::IonImplantationDialog>},
    {ProcessType::SiOxidation, &plain<Operations::SiOxidationDialog>},
    {ProcessType::RandomWalkDoping, &plain<Operations::RandomWalkDopingDialog>},
    {ProcessType::IsotropicDeposition,
     &forProcess<Operations::IsotropicDepositionDialog, Core::Processes::IsotropicDepositionProcess>},
    {ProcessType::Planarization, &plain<Operations::PlanarizationDialog>},
    {ProcessType::SpinCoating, &plain<Operations::SpinCoatingDialog>},
    {ProcessType::SaveImage, &plain<Operations::SaveImageDialog>},
    {ProcessType::CreateSubstrate, &plain<Operations::CreateSubstrateDialog>},
    {ProcessType::AnisotropicDeposition, &plain<Operations::AnisotropicDepositionDialog>},
    {ProcessType::AnisotropicEtching, &plain<Operations::AnisotropicEtchingDialog>},
    {ProcessType::LineOfSightDeposition,
     &forProcess<Operations::LineOfSightDialog, Core::Processes::LineOfSightProcess>},
    {ProcessType::LineOfSightEtching, &forProcess<Operations::LineOfSightDialog, Core::Processes::LineOfSightProcess>},
    {ProcessType::BoschEtching, &plain<Operations::BoschEtchingDialog>},
};

const Entry *entry(ProcessType type)
{
    for (const Entry &e : entries) {
        if (e.type == type)
            return &e;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<IProcessDialog> ProcessDialogRegistry::make(const ProcessDescriptor &process, QWidget *parent)
{
    const Entry *e = entry(process.type());
    return e ? e->make(process, parent) : nullptr;
}

bool ProcessDialogRegistry::has(ProcessType type) { return entry(type) != nullptr; }

} // namespace Ui
