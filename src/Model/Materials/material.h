#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace Model {
namespace Materials {

/// What a cell can be made of: a name, a display colour and three mechanical constants.
/// Identifier 0 is the "Empty" default record, which never stands in the catalogue.
class Material {
public:
    /// The default record: identifier 0, "Empty", constants 0, grey.
    Material() = default;
    Material(uint32_t id, const QString &name, float density, float youngModulus, float poissonRatio,
             const std::array<float, 4> &color = {0.5f, 0.5f, 0.5f, 1.0f})
        : m_id(id), m_name(name), m_density(density), m_youngModulus(youngModulus), m_poissonRatio(poissonRatio),
          m_color(color)
    {
    }

    uint32_t id() const { return m_id; }
    void setId(uint32_t id) { m_id = id; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    float density() const { return m_density; }
    void setDensity(float density) { m_density = density; }
    float youngModulus() const { return m_youngModulus; }
    void setYoungModulus(float modulus) { m_youngModulus = modulus; }
    float poissonRatio() const { return m_poissonRatio; }
    void setPoissonRatio(float ratio) { m_poissonRatio = ratio; }
    /// Red, green, blue, alpha, each 0..1; alpha below 1 draws the material translucent.
    std::array<float, 4> color() const { return m_color; }
    void setColor(const std::array<float, 4> &color) { m_color = color; }
    void setColor(float r, float g, float b, float a) { m_color = {r, g, b, a}; }

    bool operator==(const Material &o) const
    {
        return m_id == o.m_id && m_name == o.m_name && m_density == o.m_density
               && m_youngModulus == o.m_youngModulus && m_poissonRatio == o.m_poissonRatio && m_color == o.m_color;
    }

private:
    uint32_t m_id = 0;
    QString m_name = QStringLiteral("Empty");
    float m_density = 0.0f;
    float m_youngModulus = 0.0f;
    float m_poissonRatio = 0.0f;
    std::array<float, 4> m_color{0.5f, 0.5f, 0.5f, 1.0f};
};

} // namespace Materials
} // namespace Model
