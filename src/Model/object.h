#pragma once

#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Model {

/// An axis-aligned box in scene coordinates, low corner and high corner.
struct Extent {
    Util::Vector3D low;
    Util::Vector3D high;
};

/// Base of everything that lives in the scene (cell volumes, extracted models). Drawing them is the
/// display's business (Model/Display). Every object gets a process-wide unique identifier that
/// names it in picking and per-object tables.
class Object {
public:
    Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    virtual ~Object() = default;

    /// 1 for a cell volume, 2 for an extracted model.
    virtual uint32_t type() const = 0;
    /// The box the object takes up in the scene (the view frames it); none for an object without a size.
    virtual std::optional<Extent> extent() const { return std::nullopt; }
    virtual std::shared_ptr<Object> clone() const = 0;
    virtual void translate(const Util::Vector4D &offset) = 0;
    /// Reserved; neither kind of object gives it an effect.
    virtual void transform(const Util::Vector4D &, const Util::Vector4D &) {}

    virtual Util::Vector4D color() const { return m_color; }
    virtual Util::Vector3D outlineColor() const { return Util::Vector3D(m_outlineColor); }
    virtual void setColor(const Util::Vector4D &color) { m_color = color; }
    virtual void setOutlineColor(const Util::Vector4D &color) { m_outlineColor = color; }
    virtual void setSelected(bool selected) { m_selected = selected; }
    virtual bool isSelected() const { return m_selected; }

    uint32_t id() const { return m_id; }
    bool isMoving() const { return m_moving; }
    void setMoving(bool moving) { m_moving = moving; }
    Util::Vector3D moveOffset() const { return m_moveOffset; }
    void setMoveOffset(const Util::Vector4D &offset) { m_moveOffset = offset; }

private:
    Util::Vector4D m_color;
    Util::Vector4D m_outlineColor;
    uint32_t m_id;
    bool m_moving = false;
    Util::Vector3D m_moveOffset;
    bool m_selected = false;
};

using ObjectPtr = std::shared_ptr<Object>;

/// Marks a selected colour: each component c becomes c - 0.7 when c >= 0.7, else c + 0.3.
void highlightColor(float color[3]);

} // namespace Model
