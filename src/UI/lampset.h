#pragma once

#include <array>

namespace Ui {

/// Up to eight lamps around the scene, given by radius, elevation theta and azimuth phi;
/// lamp n (1-based) is OpenGL light n - 1.
class LampSet {
public:
    static constexpr int maximum = 8;

    struct Lamp {
        double radius = 0;
        double theta = 0;
        double phi = 0;
        std::array<float, 4> position{0, 0, 0, 1};
        bool enabled = false;
    };

    /// How bright the view lights faces: the light model's ambient, and each lit lamp's diffuse
    /// and specular share. The shares are split among the lit lamps so that a white face lit
    /// head-on by all of them reaches at most ambient + diffuse + specular = 0.94 of full
    /// brightness: large faces never wash out to white, and faces turned from the lamps are darker
    /// by the cosine of the turn, down to the ambient part.
    struct Tone {
        float ambient;
        float diffuse;
        float specular;
        float shininess;
    };
    static Tone tone(int litLamps);

    LampSet();

    int count() const { return m_count; }
    /// Lamps that are switched on.
    int litCount() const;
    int active() const { return m_active; }
    void setActive(int lamp);
    /// The next lamp becomes active; after the last comes lamp 1.
    void switchActive();

    /// Lamp 1..count(); out-of-range numbers give an empty lamp.
    Lamp lamp(int number) const;
    void setPolar(int number, double radius, double theta, double phi);
    void setEnabled(int number, bool enabled);

    /// Appends an enabled lamp at radius 0; false when eight exist.
    bool addLamp();
    /// Removes a lamp, later ones move up; the only lamp stays.
    bool removeLamp(int number);

    /// x = cos phi cos theta r, y = sin phi cos theta r, z = sin theta r, w = 1.
    static std::array<float, 4> position(double radius, double theta, double phi);
    /// The Shift+wheel rule: a radius of at least 1 scales by `factor`; below 1 it becomes 2
    /// when the wheel turned forward, else 0.
    static double wheelRadius(double radius, bool forward, double factor);

private:
    std::array<Lamp, maximum> m_lamps;
    int m_count = 1;
    int m_active = 1;
};

} // namespace Ui
