#pragma once

#include "Core/Operations/operation.h"
#include "Core/Undo/documentchange.h"
#include "Model/Volume/totalvolume.h"

namespace Core {
namespace Operations {

/// "Extract Film": copies the connected body of a chosen material that holds the material's first
/// cell in scan order out of a cell volume into a new volume placed beside it, turned upside down
/// if wanted and resting on z = 0. The source is not changed; undo takes the new volume away.
class FilmExtractionOperation : public ObjectOperation {
public:
    explicit FilmExtractionOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;
    bool undo() override;
    bool redo() override;

    void setMaterial(uint32_t material)
    {
        m_material = material;
        m_materialChosen = true;
    }
    void setInvert(bool invert) { m_invert = invert; }

    uint32_t material() const { return m_material; }
    bool invert() const { return m_invert; }
    /// 0 waiting for a volume, 1 volume taken, 2 extracted.
    uint32_t step() const { return m_step; }
    Model::Automaton::TotalVolumePtr source() const { return m_source; }
    Model::Automaton::TotalVolumePtr result() const { return m_result; }

private:
    /// Ends the operation unfinished with a console line (none when `message` is empty).
    void endCanceled(const QString &message);

    uint32_t m_step = 0;
    Model::Automaton::TotalVolumePtr m_source;
    Model::Automaton::TotalVolumePtr m_result;
    uint32_t m_material = 0;
    bool m_materialChosen = false;
    bool m_invert = false;
    DocumentChange m_change;
};

} // namespace Operations
} // namespace Core
