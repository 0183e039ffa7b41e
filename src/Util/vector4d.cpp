#include "Util/vector4d.h"

#include <array>
#include <mutex>

namespace Util {

namespace {

using Table = std::array<Vector4D, ColorTable::roleCount * ColorTable::schemeCount>;

Table defaultTable()
{
    // Index 3 * role + scheme; scheme 0 is "Load Default Colors", 1 "Load Low Color Scheme", 2 custom.
    Table t;
    const Vector4D objectColor[3] = {{0, 0, 0, 1}, {1, 1, 1, 1}, {1, 0, 0, 1}};
    const Vector4D outlineColor[3] = {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}};
    const Vector4D gridColor[3] = {{0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}};
    const Vector4D background[3] = {{0, 0, 0, 0}, {1, 1, 1, 0}, {0, 0, 0, 0}};
    for (unsigned s = 0; s < 3; ++s) {
        t[3 * ColorTable::DefaultObjectColor + s] = objectColor[s];
        t[3 * ColorTable::DefaultObjectOutlineColor + s] = outlineColor[s];
        t[3 * ColorTable::GridColor + s] = gridColor[s];
        t[3 * ColorTable::BackgroundColor + s] = background[s];
    }
    return t;
}

struct ColorState {
    std::mutex mutex;
    Table table = defaultTable();
    unsigned scheme = 0;
};

ColorState &colorState()
{
    static ColorState state;
    return state;
}

} // namespace

Vector4D::Vector4D(unsigned role, unsigned scheme) : Vector4D(ColorTable::entry(role, scheme)) {}

double &Vector4D::operator[](unsigned i)
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

double Vector4D::operator[](unsigned i) const
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

Vector4D &Vector4D::operator+=(const Vector4D &o)
{
    x += o.x;
    y += o.y;
    z += o.z;
    w += o.w;
    return *this;
}

Vector4D operator*(double s, const Vector4D &v) { return {s * v.x, s * v.y, s * v.z, s * v.w}; }
Vector4D operator+(const Vector4D &a, const Vector4D &b) { return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w}; }
Vector4D operator-(const Vector4D &a, const Vector4D &b) { return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w}; }
bool operator==(const Vector4D &a, const Vector4D &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

namespace ColorTable {

Vector4D entry(unsigned role, unsigned scheme)
{
    auto &state = colorState();
    std::lock_guard<std::mutex> lock(state.mutex);
    const unsigned index = 3 * role + scheme;
    return index < state.table.size() ? state.table[index] : Vector4D();
}

void setEntry(unsigned role, unsigned scheme, const Vector4D &color)
{
    auto &state = colorState();
    std::lock_guard<std::mutex> lock(state.mutex);
    const unsigned index = 3 * role + scheme;
    if (index < state.table.size())
        state.table[index] = color;
}

unsigned currentScheme()
{
    auto &state = colorState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.scheme;
}

void setCurrentScheme(unsigned scheme)
{
    auto &state = colorState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (scheme < schemeCount)
        state.scheme = scheme;
}

void loadDefaults()
{
    auto &state = colorState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.table = defaultTable();
}

} // namespace ColorTable
} // namespace Util
