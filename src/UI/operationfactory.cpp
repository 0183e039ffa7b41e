#include "UI/operationfactory.h"

#include "Core/Operations/Document/exportdataoperation.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/runmodelextraction.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/Operations/Objects/copyobject.h"
#include "Core/Operations/Objects/createsubstrateoperation.h"
#include "Core/Operations/Objects/deleteobject.h"
#include "Core/Operations/Objects/filmextractionoperation.h"
#include "Core/Operations/Objects/gluesubstrateoperation.h"
#include "Core/Operations/Objects/moveobject.h"
#include "Core/Operations/Objects/selectvolumesoperation.h"
#include "Core/Operations/View/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/View/cutcellvolumeoperation.h"
#include "Core/Operations/View/maskedcutcellvolumeoperation.h"
#include "Core/Operations/View/removecutsfromvolumeoperation.h"
#include "Core/Processes/processoperation.h"
#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"
#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Observers/cutcellvolumeobserver.h"
#include "UI/Observers/destroymodelextractiondialogobserver.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/Observers/exportdataobserver.h"
#include "UI/Observers/filmextractionobserver.h"
#include "UI/Observers/gluesubstrateobserver.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/Observers/runmodelextractionobserver.h"
#include "UI/ProcessDialogs/processdialogobserver.h"
#include "UI/documentdialogs.h"

#include <QWidget>

namespace Ui {

using Core::Operations::OperationPtr;
using Util::ObserverPtr;

namespace {

// Makers of the operations that are built and of their observers. Adding an operation: give its row
// below an operation maker and, when it has a dialog, an observer maker; the factory installs the
// window's one observer of that kind in every new operation. A process needs no row of its own: its
// descriptor's commands are rows (see `processRows`).

using Core::Processes::CommandId;

template <class Op> OperationPtr plain(OperationFactory &f, const OperationFactory::Entry &)
{
    return std::make_shared<Op>(f.workspace());
}

// The generic operation of a process command.
OperationPtr process(OperationFactory &f, const OperationFactory::Entry &e)
{
    return Core::Processes::ProcessOperation::make(f.workspace(), e.identifier);
}

template <class Observer> ObserverPtr dialog(OperationFactory &f)
{
    return std::make_shared<Observer>(f.workspace(), f.mainWindow());
}

template <class Op> OperationPtr saveDocument(OperationFactory &f, const OperationFactory::Entry &)
{
    return std::make_shared<Op>(f.workspace(), std::make_shared<DocumentDialogs>(f.mainWindow()));
}

ObserverPtr documentSaved(OperationFactory &f)
{
    return std::make_shared<Observers::DocumentSavedObserver>(f.mainWindow(), f.workspace());
}

ObserverPtr materialConflict(OperationFactory &f)
{
    return std::make_shared<Observers::MaterialConflictObserver>(f.workspace(), f.mainWindow());
}

OperationPtr openDocument(OperationFactory &f, const OperationFactory::Entry &)
{
    auto operation = std::make_shared<Core::Operations::OpenDocumentOperation>(
        f.workspace(), std::make_shared<DocumentDialogs>(f.mainWindow()));
    operation->setMaterialConflictObserver(f.observer(&materialConflict));
    return operation;
}

// Every document opens in a main window of its own, beside this one.
ObserverPtr documentOpened(OperationFactory &f)
{
    return std::make_shared<Observers::DocumentOpenedObserver>(
        f.workspace(), f.windowMaker(), std::make_shared<DocumentDialogs>(f.mainWindow()), f.mainWindow());
}

// Model extraction has a second observer, which closes the dialog that the window's opener (the
// observer of its row) showed.
OperationPtr modelExtraction(OperationFactory &f, const OperationFactory::Entry &)
{
    auto operation = std::make_shared<Core::Operations::RunModelExtraction>(
        f.workspace(), std::make_shared<DocumentDialogs>(f.mainWindow()));
    auto opener = std::dynamic_pointer_cast<Observers::RunModelExtractionObserver>(
        f.observer(&dialog<Observers::RunModelExtractionObserver>));
    operation->setDestroyDialogObserver(std::make_shared<Observers::DestroyModelExtractionDialogObserver>(opener));
    return operation;
}

using P = OperationFactory::Entry;
using C = CommandId;
using namespace Core::Operations;
using namespace Observers;

// A process command's row: its name and type code are its descriptor's; the generic process
// operation runs it, and the window's one process dialog observer opens the process's dialog.
P processRow(CommandId id, const char *actionName)
{
    const Core::Processes::ProcessCommand *command = nullptr;
    Core::Processes::ProcessRegistry::forCommand(id, &command);
    return {id,
            "ProcessOperation",
            command->operationName,
            command->typeCode,
            actionName,
            &process,
            &dialog<Ui::ProcessDialogObserver>};
}

// The command vocabulary: identifier, operation class, name, type code, menu action, operation
// maker, observer maker.
const std::vector<P> &entries()
{
    static const std::vector<P> table = {
        {C::CopyObjects, "CopyObject", "Copy Objects", 1, "actionCopy", &plain<CopyObject>},
        {C::CreateSubstrate, "CreateSubstrateOperation", "Create Substrate", 2, "actionCreate_Substrate",
         &plain<CreateSubstrateOperation>, &dialog<CreateSubstrateObserver>},
        processRow(C::IonImplantation, "actionIon_Implantation"),
        {C::DeleteObjects, "DeleteObject", "Delete Objects", 4, "actionDelete", &plain<DeleteObject>},
        {C::ChangeVisualization, "ChangeTotalVolumeVisualizationOptions", "Change Visualization", 6,
         "actionChange_Viewing_Options", &plain<ChangeTotalVolumeVisualizationOptions>,
         &dialog<ChangeTotalVolumeViewOptionsObserver>},
        {C::MoveObjects, "MoveObject", "Move Objects", 7, "actionMove", &plain<MoveObject>},
        {C::ExtractFilm, "ExtractFilm", "Extract Film", 8, "actionExtract_Film", &plain<FilmExtractionOperation>,
         &dialog<FilmExtractionObserver>},
        {C::SaveDocument, "SaveDocumentOperation", "Save document", 9, "actionSave",
         &saveDocument<SaveDocumentOperation>, &documentSaved},
        {C::SaveDocumentAs, "SaveDocumentAsOperation", "Save Document As", 10, "actionSave_as",
         &saveDocument<SaveDocumentAsOperation>, &documentSaved},
        {C::OpenDocument, "OpenDocumentOperation", "Open document", 11, "actionOpen", &openDocument, &documentOpened},
        {C::GlueVolumes, "GlueSubstrateOperation", "Glue Volumes", 12, "actionGlue_Substrate",
         &plain<GlueSubstrateOperation>, &dialog<GlueSubstrateObserver>},
        processRow(C::IsotropicDeposition, "actionIsotropic_Deposition"),
        processRow(C::IsotropicEtching, "actionIsotropic_Film_Etching"),
        processRow(C::Electroplating, "actionElectrodeposition"),
        {C::ChangeCutPlanes, "CutCellVolumeOperation", "Change Cut Planes", 2, "actionCut_Cell_Volume",
         &plain<CutCellVolumeOperation>, &dialog<CutCellVolumeObserver>},
        processRow(C::Doping, "actionDoping"),
        processRow(C::MooreDeposition, "actionMoore_Deposition"),
        processRow(C::MooreEtching, "actionMoore_Etching"),
        processRow(C::Photolithography, "actionPhotolithography"),
        processRow(C::Planarization, "actionPlanarization"),
        processRow(C::SpinCoating, "actionSpin_Coating"),
        // The batch-run dialog supplies this observer (setObserverMaker); until then it is not served.
        {C::SelectVolumes, "SelectVolumesOperation", "Select volumes", 24, "actionBatch_Run",
         &plain<SelectVolumesOperation>, nullptr, true},
        processRow(C::SiOxidation, "actionSi_Oxidation"),
        processRow(C::AnisotropicDeposition, "actionAnisotropic_Deposition"),
        processRow(C::BondCountingWetEtch, "actionBCA_Wet_Etching"),
        processRow(C::ContinuousWetEtch, "actionContinuous_Wet_Etching"),
        processRow(C::SimpleRie, "actionSimple_RIE"),
        processRow(C::Pvd, "actionPVD"),
        processRow(C::AnisotropicEtching, "actionAnisotropic_Etching"),
        processRow(C::Cvd, "actionCVD"),
        {C::MaskedCut, "MaskedCutCellVolumeOperation", "Masked Cut", 34, "actionMasked_Volume_Cut",
         &plain<MaskedCutCellVolumeOperation>, &dialog<MaskedCutObserver>},
        {C::RemoveCuts, "RemoveCutsFromVolumeOperation", "Remove Cuts", 35, "actionRemove_Masked_Cuts",
         &plain<RemoveCutsFromVolumeOperation>},
        processRow(C::RandomWalkDoping, "actionRandom_Walk_Doping"),
        processRow(C::LineOfSightDeposition, "actionLine_of_Sight_Deposition"),
        processRow(C::LineOfSightEtching, "actionLine_of_Sight_Etching"),
        processRow(C::BoschEtching, "actionBosch_Etching"),
        {C::ExportData, "ExportDataOperation", "Export Data", 37, "actionExport_Data", &plain<ExportDataOperation>,
         &dialog<ExportDataObserver>},
        {C::ExtractModel, "RunModelExtraction", "Extract Model", 1000, "actionModel_Extraction", &modelExtraction,
         &dialog<RunModelExtractionObserver>},
    };
    return table;
}

} // namespace

OperationFactory::OperationFactory(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

const std::vector<OperationFactory::Entry> &OperationFactory::table() { return entries(); }

const OperationFactory::Entry *OperationFactory::entry(uint32_t identifier)
{
    for (const auto &e : entries()) {
        if (uint32_t(e.identifier) == identifier)
            return &e;
    }
    return nullptr;
}

bool OperationFactory::serves(uint32_t identifier) const
{
    const Entry *e = entry(identifier);
    return e && e->make && (!e->needsObserverHook || m_hookedObservers.value(identifier));
}

void OperationFactory::setObserverMaker(uint32_t identifier, const ObserverHook &maker)
{
    if (maker)
        m_hookedObservers.insert(identifier, maker(m_workspace, m_mainWindow.data()));
    else
        m_hookedObservers.remove(identifier);
}

ObserverPtr OperationFactory::observer(ObserverMaker make)
{
    ObserverPtr &observer = m_observers[make];
    if (!observer)
        observer = make(*this);
    return observer;
}

OperationPtr OperationFactory::create(uint32_t identifier)
{
    if (!serves(identifier))
        return nullptr;
    const Entry &e = *entry(identifier);
    OperationPtr operation = e.make(*this, e);
    operation->setObserver(e.needsObserverHook ? m_hookedObservers.value(identifier)
                                               : (e.observer ? observer(e.observer) : nullptr));
    return operation;
}

} // namespace Ui
