#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"
#include "Core/Operations/operation.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/istructure.h"
#include "Model/Volume/totalvolume.h"
#include "Util/iobserver.h"

namespace Core {
namespace Operations {

/// "Extract Model": reduces a released cantilever in a cell volume to a netlist in three steps that
/// the user runs from one dialog, which stays open beside the view: preprocessing (boxes of one
/// material, shown in the volume's place), feature detection (the beams, shown beside the volume)
/// and saving the netlist. Closing the dialog finishes the operation and takes the boxes away.
/// Not undoable: the cells are never changed.
class RunModelExtraction : public Operation {
public:
    enum State { Idle = 0, DialogOpen = 1, Done = 2 };

    /// `dialogs` asks for the netlist file and shows the notices; without it they go to the console.
    explicit RunModelExtraction(Workspace &workspace, const DocumentDialogsPtr &dialogs = nullptr);

    /// The prefix of the console messages.
    static QString consoleName() { return QStringLiteral("Model Extraction"); }
    /// The gap between the volume and the beams shown beside it, in cells along x.
    static constexpr uint32_t besideGap = 10;

    void start() override;
    void cancel() override;
    /// Finishes (when the dialog closes): takes the boxes out of the scene.
    void execute() override;

    /// Step one: cuts the volume into boxes and shows them in its place. False (with a console
    /// message) when it could not run.
    bool runPreprocessing();
    /// Step two: looks for cantilever beams among the boxes and shows them beside the volume.
    /// True when beams were found.
    bool runFeatureDetection();
    /// Step three: asks for a file and writes the netlist to it; notices for no beams and for a
    /// file that cannot be written (the beams stay, so the save can be tried again).
    void saveNetlist();
    /// Writes the netlist to a file without asking; false with a reason.
    bool writeNetlist(const QString &fileName, QString *error);
    /// The netlist of the beams found; empty with a reason when there are none.
    QString netlistText(QString *error = nullptr) const;

    /// Metres per scene unit for the netlist's values (a cell of size 1 is this long on each edge).
    double lengthPerUnit() const { return m_lengthPerUnit; }
    void setLengthPerUnit(double metres);

    // The observer (setObserver) shows the dialog once a volume has been chosen.
    /// Closes the dialog when the operation ends, whichever way.
    void setDestroyDialogObserver(const Util::ObserverPtr &observer) { m_destroyDialogObserver = observer; }

    State state() const { return m_state; }
    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    Model::ModelExtraction::ExtractedModelPtr preprocessingModel() const { return m_boxes; }
    Model::ModelExtraction::StructurePtr structure() const { return m_structure; }
    Model::ModelExtraction::ExtractedModelPtr structureModel() const { return m_beams; }

private:
    void chooseVolume(const Model::Automaton::TotalVolumePtr &volume);
    void removePreviews();
    void end(bool finished);

    DocumentDialogsPtr m_dialogs;
    Model::Automaton::TotalVolumePtr m_volume;
    State m_state = Idle;
    Model::ModelExtraction::ExtractedModelPtr m_boxes;
    Model::ModelExtraction::StructurePtr m_structure;
    Model::ModelExtraction::ExtractedModelPtr m_beams;
    double m_lengthPerUnit;
    Util::ObserverPtr m_destroyDialogObserver;
};

} // namespace Operations
} // namespace Core
