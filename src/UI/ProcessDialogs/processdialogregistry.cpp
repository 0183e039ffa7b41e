#include "processdialogregistry.h"

#include "Core/Processes/isotropicdepositionprocess.h"
#include "Core/Processes/mooreprocess.h"
#include "UI/Operations/anisotropicdepositiondialog.h"
#include "UI/Operations/anisotropicetchingdialog.h"
#include "UI/Operations/bcaetchingdialog.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/electrodepositiondialog.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/isotropicdepositiondialog.h"
#include "UI/Operations/isotropicetchingdialog.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/saveimagedialog.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"
#include "UI/Operations/simpleriedialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

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
