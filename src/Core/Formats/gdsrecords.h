#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace Core {
namespace Operations {

/// The words of the GDSII stream format (Calma GDSII Stream Format Manual, release 6.0, 1987):
/// record types, the decoding of their big-endian numbers and the quoting of names in messages.
namespace GdsRecords {

enum Type : uint8_t {
    Header = 0x00,
    BeginLibrary = 0x01,
    LibraryName = 0x02,
    Units = 0x03,
    EndLibrary = 0x04,
    BeginStructure = 0x05,
    StructureName = 0x06,
    EndStructure = 0x07,
    Boundary = 0x08,
    Path = 0x09,
    StructureReference = 0x0A,
    ArrayReference = 0x0B,
    Text = 0x0C,
    Layer = 0x0D,
    DataType = 0x0E,
    Width = 0x0F,
    Points = 0x10,
    EndElement = 0x11,
    ReferenceName = 0x12,
    ColumnsRows = 0x13,
    Node = 0x15,
    TextType = 0x16,
    Presentation = 0x17,
    String = 0x19,
    Transformation = 0x1A,
    Magnification = 0x1B,
    Angle = 0x1C,
    PathType = 0x21,
    ElementFlags = 0x26,
    NodeType = 0x2A,
    PropertyAttribute = 0x2B,
    PropertyValue = 0x2C,
    Box = 0x2D,
    BoxType = 0x2E,
    Plex = 0x2F,
    BeginExtension = 0x30,
    EndExtension = 0x31,
};

/// The record's name as the format manual writes it ("LAYER", "XY", ...); "record 0x3F" for a type
/// it does not define.
QString name(uint8_t type);
/// The bytes a record's data must hold at least (its fixed size), 0 for records of any length.
int minimumSize(uint8_t type);
/// Whether the record opens an element (BOUNDARY, PATH, SREF, AREF, TEXT, NODE, BOX).
bool opensElement(uint8_t type);

inline int unsigned16(const char *p) { return (static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]); }
inline int signed16(const char *p) { return static_cast<int16_t>(static_cast<uint16_t>(unsigned16(p))); }
inline int32_t signed32(const char *p)
{
    return static_cast<int32_t>((uint32_t(static_cast<uint8_t>(p[0])) << 24) |
                                (uint32_t(static_cast<uint8_t>(p[1])) << 16) |
                                (uint32_t(static_cast<uint8_t>(p[2])) << 8) | uint32_t(static_cast<uint8_t>(p[3])));
}
/// An eight-byte real: sign bit, seven-bit exponent of 16 in excess 64, 56-bit fraction.
double real8(const char *p);

/// A name of the file (padded with NUL to an even length) without its padding.
QByteArray nameOf(const char *data, int size);
/// A name of the file for a message: printable ASCII as it is, every other byte as \xHH, and
/// long names cut after 80 characters, so that no message carries a control byte of the file.
QString printable(const QByteArray &name);

} // namespace GdsRecords

} // namespace Operations
} // namespace Core
