#pragma once

#include "Core/Operations/Objects/placementoperation.h"
#include "Core/Undo/documentchange.h"

namespace Core {
namespace Operations {

/// Adds displaced clones of the selected objects to the document ("Copy Objects").
class CopyObject : public PlacementOperation {
public:
    explicit CopyObject(Workspace &workspace);
    bool undo() override;
    bool redo() override;

protected:
    Model::ObjectPtr takeObject(const Model::ObjectPtr &selected) override;
    QString apply() override;
    void abandon() override;

private:
    DocumentChange m_change;
};

} // namespace Operations
} // namespace Core
