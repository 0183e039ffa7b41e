#pragma once
// GDSII files made byte by byte in a test: well-formed pieces to build on, and every piece open to
// damage (a record cut short, one left out), so that each hostile file is a few bytes in a table.

#include <QByteArray>
#include <QPoint>
#include <QVector>

#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace GdsBytes {

/// A record: its length, type and data type (2 for 16-bit numbers, 3 for 32-bit ones, 5 for reals,
/// 6 for text, 0 for none), then the data as given.
inline QByteArray record(int type, const QByteArray &data = QByteArray(), int dataType = 0)
{
    const int length = 4 + data.size();
    QByteArray bytes;
    bytes.append(char(length >> 8)).append(char(length & 0xFF)).append(char(type)).append(char(dataType));
    return bytes + data;
}

inline QByteArray int16s(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
    return bytes;
}

inline QByteArray int32s(const QVector<int> &values)
{
    QByteArray bytes;
    for (int v : values) {
        const auto u = uint32_t(v);
        bytes.append(char(u >> 24)).append(char((u >> 16) & 0xFF)).append(char((u >> 8) & 0xFF)).append(char(u & 0xFF));
    }
    return bytes;
}

/// An eight-byte real: (-1)^sign 0.fraction 16^(exponent - 64).
inline QByteArray real8(double value)
{
    QByteArray bytes(8, '\0');
    if (value == 0.0)
        return bytes;
    int exponent = 64;
    double magnitude = std::abs(value);
    while (magnitude >= 1.0) {
        magnitude /= 16.0;
        ++exponent;
    }
    while (magnitude < 1.0 / 16.0) {
        magnitude *= 16.0;
        --exponent;
    }
    auto fraction = uint64_t(std::ldexp(magnitude, 56));
    bytes[0] = char((value < 0 ? 0x80 : 0) | exponent);
    for (int i = 7; i >= 1; --i) {
        bytes[i] = char(fraction & 0xFF);
        fraction >>= 8;
    }
    return bytes;
}

/// A name padded with NUL to an even length.
inline QByteArray text(const QByteArray &name) { return name.size() % 2 ? name + '\0' : name; }

inline QByteArray layer(int number) { return record(0x0D, int16s({number}), 2); }
inline QByteArray datatype(int number) { return record(0x0E, int16s({number}), 2); }
inline QByteArray points(const QVector<int> &xy) { return record(0x10, int32s(xy), 3); }
inline QByteArray endElement() { return record(0x11); }
inline QByteArray referenceName(const QByteArray &name) { return record(0x12, text(name), 6); }

/// A rectangle from (x0, y0) to (x1, y1) as a closed BOUNDARY.
inline QByteArray rectangle(int layerNumber, int x0, int y0, int x1, int y1, int datatypeNumber = 0)
{
    return record(0x08) + layer(layerNumber) + datatype(datatypeNumber) +
           points({x0, y0, x1, y0, x1, y1, x0, y1, x0, y0}) + endElement();
}

/// An SREF of `name` at (x, y); `transformation` goes between the name and the point (STRANS, MAG, ANGLE).
inline QByteArray reference(const QByteArray &name, int x, int y, const QByteArray &transformation = QByteArray())
{
    return record(0x0A) + referenceName(name) + transformation + points({x, y}) + endElement();
}

/// An AREF of `name`: `columns` by `rows` from (x, y) with pitches dx along x and dy along y.
inline QByteArray array(const QByteArray &name, int columns, int rows, int x, int y, int dx, int dy)
{
    return record(0x0B) + referenceName(name) + record(0x13, int16s({columns, rows}), 2) +
           points({x, y, x + columns * dx, y, x, y + rows * dy}) + endElement();
}

inline QByteArray structure(const QByteArray &name, const QByteArray &elements)
{
    return record(0x05, int16s({2024, 1, 1, 0, 0, 0, 2024, 1, 1, 0, 0, 0}), 2) + record(0x06, text(name), 6) +
           elements + record(0x07);
}

/// HEADER, BGNLIB, LIBNAME and UNITS of a library in user units of a micrometre and database units
/// of `metresPerUnit` (1 nm unless said), then the structures and ENDLIB.
inline QByteArray library(const QByteArray &structures, double metresPerUnit = 1e-9)
{
    return record(0x00, int16s({600}), 2) + record(0x01, int16s({2024, 1, 1, 0, 0, 0, 2024, 1, 1, 0, 0, 0}), 2) +
           record(0x02, text("LIB"), 6) + record(0x03, real8(metresPerUnit / 1e-6) + real8(metresPerUnit), 5) +
           structures + record(0x04);
}

} // namespace GdsBytes
