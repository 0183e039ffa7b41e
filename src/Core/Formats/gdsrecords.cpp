#include "Core/Formats/gdsrecords.h"

#include <cmath>

namespace Core {
namespace Operations {
namespace GdsRecords {

QString name(uint8_t type)
{
    // Record types 0x00 to 0x3B in the order of the format manual.
    static const char *const names[] = {
        "HEADER",   "BGNLIB",     "LIBNAME",     "UNITS",     "ENDLIB",    "BGNSTR",   "STRNAME",  "ENDSTR",
        "BOUNDARY", "PATH",       "SREF",        "AREF",      "TEXT",      "LAYER",    "DATATYPE", "WIDTH",
        "XY",       "ENDEL",      "SNAME",       "COLROW",    "TEXTNODE",  "NODE",     "TEXTTYPE", "PRESENTATION",
        "SPACING",  "STRING",     "STRANS",      "MAG",       "ANGLE",     "UINTEGER", "USTRING",  "REFLIBS",
        "FONTS",    "PATHTYPE",   "GENERATIONS", "ATTRTABLE", "STYPTABLE", "STRTYPE",  "ELFLAGS",  "ELKEY",
        "LINKTYPE", "LINKKEYS",   "NODETYPE",    "PROPATTR",  "PROPVALUE", "BOX",      "BOXTYPE",  "PLEX",
        "BGNEXTN",  "ENDEXTN",    "TAPENUM",     "TAPECODE",  "STRCLASS",  "RESERVED", "FORMAT",   "MASK",
        "ENDMASKS", "LIBDIRSIZE", "SRFNAME",     "LIBSECUR"};
    if (type < sizeof(names) / sizeof(names[0]))
        return QLatin1String(names[type]);
    return QStringLiteral("record 0x") + QString::number(type, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int minimumSize(uint8_t type)
{
    switch (type) {
    case Header:
    case Layer:
    case DataType:
    case TextType:
    case Presentation:
    case Transformation:
    case PathType:
    case ElementFlags:
    case NodeType:
    case PropertyAttribute:
    case BoxType:
        return 2;
    case Width:
    case ColumnsRows:
    case Plex:
    case BeginExtension:
    case EndExtension:
        return 4;
    case Magnification:
    case Angle:
        return 8;
    case Units:
        return 16;
    default:
        return 0;
    }
}

bool opensElement(uint8_t type)
{
    switch (type) {
    case Boundary:
    case Path:
    case StructureReference:
    case ArrayReference:
    case Text:
    case Node:
    case Box:
        return true;
    default:
        return false;
    }
}

double real8(const char *p)
{
    const auto first = static_cast<uint8_t>(p[0]);
    uint64_t fraction = 0;
    for (int i = 1; i < 8; ++i)
        fraction = (fraction << 8) | static_cast<uint8_t>(p[i]);
    // 0.fraction (56 bits) times 16 to the power of the exponent less 64.
    const double magnitude = std::ldexp(static_cast<double>(fraction), 4 * (int(first & 0x7F) - 64) - 56);
    return (first & 0x80) ? -magnitude : magnitude;
}

QByteArray nameOf(const char *data, int size)
{
    while (size > 0 && data[size - 1] == '\0')
        --size;
    return QByteArray(data, size);
}

QString printable(const QByteArray &name)
{
    constexpr int longest = 80;
    QString text;
    for (int i = 0; i < name.size() && i < longest; ++i) {
        const auto c = static_cast<uint8_t>(name.at(i));
        if (c >= 0x20 && c < 0x7F && c != '\\')
            text += QLatin1Char(char(c));
        else
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (name.size() > longest)
        text += QStringLiteral("...");
    return text;
}

} // namespace GdsRecords
} // namespace Operations
} // namespace Core
