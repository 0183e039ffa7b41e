#include "UI/ProcessDialogs/processdialogregistry.h"

#include "Core/Processes/isotropicdepositionprocess.h"
#include "Core/Processes/mooreprocess.h"
#include "UI/ProcessDialogs/anisotropicdepositiondialog.h"
#include "UI/ProcessDialogs/anisotropicetchingdialog.h"
#include "UI/ProcessDialogs/bcaetchingdialog.h"
#include "UI/ProcessDialogs/createsubstratedialog.h"
#include "UI/ProcessDialogs/dopingoptionsdialog.h"
#include "UI/ProcessDialogs/electrodepositiondialog.h"
#include "UI/ProcessDialogs/ionimplantationoptionsdialog.h"
#include "UI/ProcessDialogs/isotropicdepositiondialog.h"
#include "UI/ProcessDialogs/isotropicetchingdialog.h"
#include "UI/ProcessDialogs/mooreoptionsdialog.h"
#include "UI/ProcessDialogs/photolithographydialog.h"
#include "UI/ProcessDialogs/planarizationoptionsdialog.h"
#include "UI/ProcessDialogs/pvdoptionsdialog.h"
#include "UI/ProcessDialogs/randomwalkdopingdialog.h"
#include "UI/ProcessDialogs/saveimagedialog.h"
#include "UI/ProcessDialogs/simpleoxidationoptionsdialog.h"
#include "UI/ProcessDialogs/simpleriedialog.h"
#include "UI/ProcessDialogs/spincoatingoptionsdialog.h"

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
    {ProcessType::SiWetEtching, &plain<Operations::BCAEtchingDialog>},
    {ProcessType::MooreDeposition, &forProcess<Operations::MooreOptionsDialog, Core::Processes::MooreProcess>},
    {ProcessType::MooreEtching, &forProcess<Operations::MooreOptionsDialog, Core::Processes::MooreProcess>},
    {ProcessType::Cvd, &forProcess<Operations::IsotropicDepositionDialog, Core::Processes::IsotropicDepositionProcess>},
    {ProcessType::IsotropicEtching, &plain<Operations::IsotropicEtchingDialog>},
    {ProcessType::Electroplating, &plain<Operations::ElectrodepositionDialog>},
    {ProcessType::Pvd, &plain<Operations::PVDOptionsDialog>},
    {ProcessType::SimpleRie, &plain<Operations::SimpleRIEDialog>},
    {ProcessType::Doping, &plain<Operations::DopingOptionsDialog>},
    {ProcessType::IonImplantation, &plain<Operations::IonImplantationOptionsDialog>},
    {ProcessType::SiOxidation, &plain<Operations::SimpleOxidationOptionsDialog>},
    {ProcessType::RandomWalkDoping, &plain<Operations::RandomWalkDopingDialog>},
    {ProcessType::IsotropicDeposition,
     &forProcess<Operations::IsotropicDepositionDialog, Core::Processes::IsotropicDepositionProcess>},
    {ProcessType::Planarization, &plain<Operations::PlanarizationOptionsDialog>},
    {ProcessType::SpinCoating, &plain<Operations::SpinCoatingOptionsDialog>},
    {ProcessType::SaveImage, &plain<Operations::SaveImageDialog>},
    {ProcessType::CreateSubstrate, &plain<Operations::CreateSubstrateDialog>},
    {ProcessType::AnisotropicDeposition, &plain<Operations::AnisotropicDepositionDialog>},
    {ProcessType::AnisotropicEtching, &plain<Operations::AnisotropicEtchingDialog>},
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
