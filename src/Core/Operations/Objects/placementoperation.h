#pragma once

#include "Core/Operations/operation.h"
#include "Model/object.h"
#include "Util/vector3d.h"

#include <QList>

namespace Core {
namespace Operations {

/// What Move and Copy share: take the selection, then follow clicked points or one typed
/// distance, showing the objects at their moving offset until the displacement is applied.
/// Steps: 0 choose objects, 1 wait for a point or a typed distance, 2 apply a clicked destination, 3 done.
class PlacementOperation : public ObjectOperation {
public:
    void start() override;
    void cancel() override;
    void execute() override;

    uint32_t step() const { return m_step; }
    Util::Vector3D displacement() const { return m_displacement; }
    QList<Model::ObjectPtr> objects() const { return m_objects; }

protected:
    /// `prefix` starts every console text ("Move", "Copy").
    PlacementOperation(Workspace &workspace, const QString &name, uint32_t typeCode, const QString &prefix,
                       const QString &selectPrompt);

    /// The object that moves for a selected one: the object itself, or its clone.
    virtual Model::ObjectPtr takeObject(const Model::ObjectPtr &selected) = 0;
    /// Puts the objects at their place once the displacement is known; returns the console text.
    virtual QString apply() = 0;
    /// Cleans up the objects when the operation gives up.
    virtual void abandon() = 0;

    QList<Model::ObjectPtr> m_objects;
    Util::Vector3D m_displacement;

private:
    void chooseObjects();
    void requestNextPoint();
    void reportCanceled();

    QString m_prefix;
    QString m_selectPrompt;
    uint32_t m_step = 0;
    bool m_distanceReceived = false;
    Util::Vector3D m_basePoint;
    Util::Vector3D m_destination;
    Util::Vector3D m_hoverPoint;
    uint32_t m_clickMode = 0;
};

} // namespace Operations
} // namespace Core
