#pragma once

#include "Core/Operations/Objects/placementoperation.h"

namespace Core {
namespace Operations {

/// Moves the selected objects by a typed distance or by clicked points ("Move Objects").
class MoveObject : public PlacementOperation {
public:
    explicit MoveObject(Workspace &workspace);
    bool undo() override;
    bool redo() override;

protected:
    Model::ObjectPtr takeObject(const Model::ObjectPtr &selected) override;
    QString apply() override;
    void abandon() override;
};

} // namespace Operations
} // namespace Core
