#include "operationfactory.h"

#include "Core/Operations/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/anisotropicfilmetchingoperation.h"
#include "Core/Operations/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/copyobject.h"
#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/dopingoperation.h"
#include "Core/Operations/electrodepositionoperation.h"
#include "Core/Operations/ionimplantationoperation.h"
#include "Core/Operations/isotropicfilmdepositionoperation.h"
#include "Core/Operations/isotropicfilmetchingoperation.h"
#include "Core/Operations/maskedcutcellvolumeoperation.h"
#include "Core/Operations/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/mooreneighborhoodetchingoperation.h"
#include "Core/Operations/moveobject.h"
#include "Core/Operations/opendocumentoperation.h"
#include "Core/Operations/photolithographyoperation.h"
#include "Core/Operations/planarizationoperation.h"
#include "Core/Operations/removecutsfromvolumeoperation.h"
#include "Core/Operations/savedocumentoperation.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/Operations/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/Operations/simplesioxidationoperation.h"
#include "Core/Operations/spincoatingoperation.h"
#include "Core/workspace.h"
#include "UI/Observers/anisotropicdepositionobserver.h"
#include "UI/Observers/anisotropicetchingobserver.h"
#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/Observers/dopingoptionsobserver.h"
#include "UI/Observers/electrodepositionobserver.h"
#include "UI/Observers/ionimplantationoptionsobserver.h"
#include "UI/Observers/isotropicfilmdepositionobserver.h"
#include "UI/Observers/isotropicfilmetchingobserver.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/Observers/mooredepositionobserver.h"
#include "UI/Observers/mooreetchingobserver.h"
#include "UI/Observers/photolithographyobserver.h"
#include "UI/Observers/planarizationobserver.h"
#include "UI/Observers/pvdobserver.h"
#include "UI/Observers/simplerieobserver.h"
#include "UI/Observers/sioxidationobserver.h"
#include "UI/Observers/spincoatingobserver.h"
#include "UI/documentdialogs.h"
#include "UI/mainwindowpresenter.h"
#include "mainwindow.h"

#include <QWidget>

namespace Ui {

using Core::Operations::OperationPtr;

namespace {

// Makers of the operations that are built. Adding an operation: write its maker next to these and
// put it in its row of the table below.

template <class Op> OperationPtr plain(const OperationFactory::Context &c) { return std::make_shared<Op>(c.workspace); }

// Classes with one class-wide observer: every new operation comes with a new observer that replaces it.
template <class Op, class Observer> OperationPtr withClassObserver(const OperationFactory::Context &c)
{
    Op::setObserver(std::make_shared<Observer>(c.workspace, c.mainWindow));
    return std::make_shared<Op>(c.workspace);
}

OperationPtr createSubstrate(const OperationFactory::Context &c)
{
    auto operation = std::make_shared<Core::Operations::CreateSubstrateOperation>(c.workspace);
    operation->setObserver(std::make_shared<Observers::CreateSubstrateObserver>(c.workspace, c.mainWindow));
    return operation;
}

OperationPtr changeVisualization(const OperationFactory::Context &c)
{
    Core::Operations::ChangeTotalVolumeVisualizationOptions::setObserver(
        std::make_shared<Observers::ChangeTotalVolumeViewOptionsObserver>(c.workspace, c.mainWindow));
    return std::make_shared<Core::Operations::ChangeTotalVolumeVisualizationOptions>(c.workspace);
}

OperationPtr selectVolumes(const OperationFactory::Context &c)
{
    Core::Operations::SelectVolumesOperation::setObserver(c.observerHook(c.workspace, c.mainWindow));
    return std::make_shared<Core::Operations::SelectVolumesOperation>(c.workspace);
}

template <class Op> OperationPtr saveDocument(const OperationFactory::Context &c)
{
    auto operation = std::make_shared<Op>(c.workspace, std::make_shared<DocumentDialogs>(c.mainWindow));
    operation->setSavedObserver(std::make_shared<Observers::DocumentSavedObserver>(c.mainWindow, c.workspace));
    return operation;
}

OperationPtr openDocument(const OperationFactory::Context &c)
{
    using Core::Operations::OpenDocumentOperation;
    auto dialogs = std::make_shared<DocumentDialogs>(c.mainWindow);
    OpenDocumentOperation::setMaterialConflictObserver(
        std::make_shared<Observers::MaterialConflictObserver>(c.workspace, c.mainWindow));
    // Every document opens in a main window of its own, which deletes itself when closed.
    OpenDocumentOperation::setDocumentOpenedObserver(std::make_shared<Observers::DocumentOpenedObserver>(
        [] {
            auto *window = new MainWindow;
            window->setAttribute(Qt::WA_DeleteOnClose);
            return Observers::OpenedWindow{window, &window->presenter()->workspace()};
        },
        dialogs));
    return std::make_shared<OpenDocumentOperation>(c.workspace, dialogs);
}

// CVD is the isotropic deposition under another name, offering the materials of process 3.
OperationPtr cvd(const OperationFactory::Context &c)
{
    using Core::Operations::IsotropicFilmDepositionOperation;
    IsotropicFilmDepositionOperation::setObserver(
        std::make_shared<Observers::IsotropicFilmDepositionObserver>(c.workspace, c.mainWindow, 3));
    return std::make_shared<IsotropicFilmDepositionOperation>(c.workspace, QStringLiteral("CVD"));
}

using P = OperationFactory::Entry;

// The command vocabulary: identifier, operation class, name, type code, menu action, maker.
// Identifiers 0, 5, 21, 25 and everything above 1000 are not used.
const std::vector<P> entries = {
    {1, "CopyObject", "Copy Objects", 1, "actionCopy", &plain<Core::Operations::CopyObject>, false},
    {2, "CreateSubstrateOperation", "Create Substrate", 2, "actionCreate_Substrate", &createSubstrate, false},
    {3, "IonImplantationOperation", "Ion Implantation", 3, "actionIon_Implantation",
     &withClassObserver<Core::Operations::IonImplantationOperation, Observers::IonImplantationOptionsObserver>, false},
    {4, "DeleteObject", "Delete Objects", 4, "actionDelete", &plain<Core::Operations::DeleteObject>, false},
    {6, "ChangeTotalVolumeVisualizationOptions", "Change Visualization", 6, "actionChange_Viewing_Options",
     &changeVisualization, false},
    {7, "MoveObject", "Move Objects", 7, "actionMove", &plain<Core::Operations::MoveObject>, false},
    {8, "ExtractFilm", "Extract Film", 8, "actionExtract_Film", nullptr, false},
    {9, "SaveDocumentOperation", "Save document", 9, "actionSave",
     &saveDocument<Core::Operations::SaveDocumentOperation>, false},
    {10, "SaveDocumentAsOperation", "Save Document As", 10, "actionSave_as",
     &saveDocument<Core::Operations::SaveDocumentAsOperation>, false},
    {11, "OpenDocumentOperation", "Open document", 11, "actionOpen", &openDocument, false},
    {12, "GlueSubstrateOperation", "Glue Volumes", 12, "actionGlue_Substrate", nullptr, false},
    {13, "IsotropicFilmDepositionOperation", "Isotropic Deposition", 13, "actionIsotropic_Deposition",
     &withClassObserver<Core::Operations::IsotropicFilmDepositionOperation, Observers::IsotropicFilmDepositionObserver>,
     false},
    {14, "IsotropicFilmEtchingOperation", "Isotropic Etching", 14, "actionIsotropic_Film_Etching",
     &withClassObserver<Core::Operations::IsotropicFilmEtchingOperation, Observers::IsotropicFilmEtchingObserver>,
     false},
    {15, "ElectrodepositionOperation", "Electroplating", 15, "actionElectrodeposition",
     &withClassObserver<Core::Operations::ElectrodepositionOperation, Observers::ElectrodepositionObserver>, false},
    {16, "CutCellVolumeOperation", "Change Cut Planes", 2, "actionCut_Cell_Volume", nullptr, false},
    {17, "DopingOperation", "Doping", 17, "actionDoping",
     &withClassObserver<Core::Operations::DopingOperation, Observers::DopingOptionsObserver>, false},
    {18, "MooreNeighborhoodDepositionOperation", "Moore film deposition", 18, "actionMoore_Deposition",
     &withClassObserver<Core::Operations::MooreNeighborhoodDepositionOperation, Observers::MooreDepositionObserver>,
     false},
    {19, "MooreNeighborhoodEtchingOperation", "Moore film deposition", 19, "actionMoore_Etching",
     &withClassObserver<Core::Operations::MooreNeighborhoodEtchingOperation, Observers::MooreEtchingObserver>, false},
    {20, "PhotolithographyOperation", "Photolithography", 20, "actionPhotolithography",
     &withClassObserver<Core::Operations::PhotolithographyOperation, Observers::PhotolithographyObserver>, false},
    {22, "PlanarizationOperation", "Planarization", 22, "actionPlanarization",
     &withClassObserver<Core::Operations::PlanarizationOperation, Observers::PlanarizationObserver>, false},
    {23, "SpinCoatingOperation", "Spin Coating", 23, "actionSpin_Coating",
     &withClassObserver<Core::Operations::SpinCoatingOperation, Observers::SpinCoatingObserver>, false},
    // The batch-run dialog supplies this observer (setObserverMaker); until then it is not served.
    {24, "SelectVolumesOperation", "Select volumes", 24, "actionBatch_Run", &selectVolumes, true},
    {26, "SimpleSiOxidationOperation", "Simple Si Oxidation", 26, "actionSi_Oxidation",
     &withClassObserver<Core::Operations::SimpleSiOxidationOperation, Observers::SiOxidationObserver>, false},
    {27, "AnisotropicFilmDepositionOperation", "Anisotropic Deposition", 13, "actionAnisotropic_Deposition",
     &withClassObserver<Core::Operations::AnisotropicFilmDepositionOperation, Observers::AnisotropicDepositionObserver>,
     false},
    {28, "AtomisticSiWetEtchingOperation", "BCA Wet Etch", 28, "actionBCA_Wet_Etching", nullptr, false},
    {29, "ContinousWetEtchOperation", "Continuous Wet Etch", 29, "actionContinuous_Wet_Etching", nullptr, false},
    {30, "SimpleReactiveIonEtchingOperation", "Simple RIE", 30, "actionSimple_RIE",
     &withClassObserver<Core::Operations::SimpleReactiveIonEtchingOperation, Observers::SimpleRIEObserver>, false},
    {31, "SimplePhysicalVaporDepositionOperation", "Isotropic Deposition", 13, "actionPVD",
     &withClassObserver<Core::Operations::SimplePhysicalVaporDepositionOperation, Observers::PVDObserver>, false},
    {32, "AnisotropicFilmEtchingOperation", "Anisotropic Etching", 13, "actionAnisotropic_Etching",
     &withClassObserver<Core::Operations::AnisotropicFilmEtchingOperation, Observers::AnisotropicEtchingObserver>,
     false},
    {33, "IsotropicFilmDepositionOperation", "CVD", 13, "actionCVD", &cvd, false},
    {34, "MaskedCutCellVolumeOperation", "Masked Cut", 34, "actionMasked_Volume_Cut",
     &withClassObserver<Core::Operations::MaskedCutCellVolumeOperation, Observers::MaskedCutObserver>, false},
    {35, "RemoveCutsFromVolumeOperation", "Remove Cuts", 35, "actionRemove_Masked_Cuts",
     &plain<Core::Operations::RemoveCutsFromVolumeOperation>, false},
    {36, "RandomWalkDopingOperation", "Random Walk Doping", 36, "actionRandom_Walk_Doping", nullptr, false},
    {37, "ExportDataOperation", "Export Data", 37, "actionExport_Data", nullptr, false},
    {1000, "RunModelExtraction", "Extract Model", 1000, "actionModel_Extraction", nullptr, false},
};

} // namespace

OperationFactory::OperationFactory(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

const std::vector<OperationFactory::Entry> &OperationFactory::table() { return entries; }

const OperationFactory::Entry *OperationFactory::entry(uint32_t identifier)
{
    for (const auto &e : entries) {
        if (e.identifier == identifier)
            return &e;
    }
    return nullptr;
}

bool OperationFactory::serves(uint32_t identifier) const
{
    const Entry *e = entry(identifier);
    return e && e->make && (!e->needsObserverHook || m_observerHooks.contains(identifier));
}

void OperationFactory::setObserverMaker(uint32_t identifier, const ObserverMaker &maker)
{
    if (maker)
        m_observerHooks.insert(identifier, maker);
    else
        m_observerHooks.remove(identifier);
}

OperationPtr OperationFactory::create(uint32_t identifier)
{
    if (!serves(identifier))
        return nullptr;
    const Context context{m_workspace, m_mainWindow.data(), m_observerHooks.value(identifier)};
    return entry(identifier)->make(context);
}

} // namespace Ui
