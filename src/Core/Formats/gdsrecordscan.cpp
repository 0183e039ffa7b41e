#include "Core/Formats/gdsrecordscan.h"

#include "Core/Formats/gdsrecords.h"
#include "Util/runcontrol.h"

#include <QFile>
#include <QPainterPathStroker>

#include <cmath>

namespace Core {
namespace Operations {

using namespace GdsRecords;

namespace {

// Moves the end point of a path line outwards along its last segment (inwards for a negative
// length); a line whose points all coincide has no direction and stays.
void extend(QPolygonF &line, bool atStart, double by)
{
    const int n = line.size();
    const int end = atStart ? 0 : n - 1;
    for (int i = 1; i < n; ++i) {
        const QPointF neighbour = line[atStart ? i : n - 1 - i];
        const QPointF direction = line[end] - neighbour;
        const double length = std::hypot(direction.x(), direction.y());
        if (length > 0.0) {
            line[end] += direction * (by / length);
            return;
        }
    }
}

// A path's outline: its centre line widened to the width, ends as the path type says (0 flush,
// 1 round, 2 extended by half the width, 4 extended by BGNEXTN and ENDEXTN); bends are mitred.
QPainterPath pathOutline(QPolygonF line, double width, int pathType, double beginExtension, double endExtension)
{
    if (pathType == 4) {
        extend(line, true, beginExtension);
        extend(line, false, endExtension);
    }
    QPainterPath centre;
    centre.moveTo(line.first());
    for (int i = 1; i < line.size(); ++i)
        centre.lineTo(line[i]);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(pathType == 1 ? Qt::RoundCap : pathType == 2 ? Qt::SquareCap : Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    QPainterPath outline = stroker.createStroke(centre);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

// Records that belong before the first structure (or are not defined by the format): read past.
// Properties are let through there too, where some layout editors write them.
bool belongsToLibrary(uint8_t type)
{
    switch (type) {
    case PropertyAttribute:
    case PropertyValue:
    case BeginLibrary:
    case LibraryName:
    case 0x1F: // REFLIBS
    case 0x20: // FONTS
    case 0x22: // GENERATIONS
    case 0x23: // ATTRTABLE
    case 0x24: // STYPTABLE
    case 0x32: // TAPENUM
    case 0x33: // TAPECODE
    case 0x36: // FORMAT
    case 0x37: // MASK
    case 0x38: // ENDMASKS
    case 0x39: // LIBDIRSIZE
    case 0x3A: // SRFNAME
    case 0x3B: // LIBSECUR
        return true;
    default:
        return type > 0x3B;
    }
}

// Records that end an element's place in the file: one of them before ENDEL means ENDEL is missing.
bool outsideElements(uint8_t type) { return type <= EndStructure || opensElement(type); }

} // namespace

QString GdsReadBudget::interruption() const
{
    if (control && control->stopHere())
        return QStringLiteral("Reading the layout was stopped.");
    if (timeLimitMs >= 0 && clock.isValid() && clock.elapsed() >= timeLimitMs)
        return QStringLiteral("Reading the layout took longer than %1 s; it was given up.")
            .arg(double(timeLimitMs) / 1000.0);
    return QString();
}

bool GdsRecordScan::fail(const QString &message)
{
    m_structures.clear();
    m_error = message;
    return false;
}

bool GdsRecordScan::scan(const QString &fileName, const GdsReadBudget &budget)
{
    m_structures.clear();
    m_metresPerUnit = 0.0;
    m_error.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > maxFileBytes)
        return fail(QStringLiteral("Layouts larger than %1 MiB are refused.").arg(maxFileBytes >> 20));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return parse(data, budget);
}

QString GdsRecordScan::where(const Element &element) const
{
    return QStringLiteral("The %1 at byte %2 in structure \"%3\"")
        .arg(name(element.type))
        .arg(element.offset)
        .arg(printable(m_structures.last().name));
}

bool GdsRecordScan::parse(const QByteArray &data, const GdsReadBudget &budget)
{
    enum class Place { Library, Structure, Element };
    Place place = Place::Library;
    bool haveUnits = false;
    const char *bytes = data.constData();
    const int size = data.size();
    if (budget.control)
        budget.control->beginStage(uint64_t(size));
    int position = 0;
    for (qint64 records = 0;; ++records) {
        if (records % 4096 == 0) {
            const QString stop = budget.interruption();
            if (!stop.isEmpty())
                return fail(stop);
            if (budget.control)
                budget.control->setDone(uint64_t(position));
        }
        if (position + 4 > size)
            return fail(records == 0 ? QStringLiteral("It is not a GDSII file.")
                                     : QStringLiteral("The file ends before its last record: it is cut short."));
        const int length = unsigned16(bytes + position);
        const auto type = static_cast<uint8_t>(bytes[position + 2]);
        if (records == 0 && (type != Header || length != 6))
            return fail(QStringLiteral("It is not a GDSII file."));
        if (length < 4 || length % 2 != 0)
            return fail(QStringLiteral("Record at byte %1 is damaged.").arg(position));
        if (position + length > size)
            return fail(QStringLiteral("The file ends before its last record: it is cut short."));
        const int offset = position;
        const char *payload = bytes + position + 4;
        const int payloadSize = length - 4;
        position += length;
        if (payloadSize < minimumSize(type))
            return fail(QStringLiteral("The %1 record at byte %2 holds %3 bytes of data where %4 are needed.")
                            .arg(name(type))
                            .arg(offset)
                            .arg(payloadSize)
                            .arg(minimumSize(type)));
        const QString outOfPlace =
            QStringLiteral("The %1 record at byte %2 is out of place.").arg(name(type)).arg(offset);

        switch (place) {
        case Place::Library:
            if (type == Header && records == 0)
                break;
            if (type == EndLibrary) {
                if (!haveUnits)
                    return fail(QStringLiteral("It has no UNITS record: the size of its database unit is unknown."));
                return true;
            }
            if (type == Units) {
                haveUnits = true;
                m_metresPerUnit = real8(payload + 8);
                if (!(m_metresPerUnit > 0.0))
                    return fail(QStringLiteral("Its database unit is not a length."));
            } else if (type == BeginStructure) {
                m_structures.append(Structure());
                m_structures.last().offset = offset;
                place = Place::Structure;
            } else if (opensElement(type)) {
                return fail(QStringLiteral("Record at byte %1 lies outside every structure.").arg(offset));
            } else if (!belongsToLibrary(type)) {
                return fail(outOfPlace);
            }
            break;
        case Place::Structure: {
            Structure &structure = m_structures.last();
            if (type == StructureName) {
                structure.name = nameOf(payload, payloadSize);
                if (structure.name.isEmpty())
                    return fail(QStringLiteral("The STRNAME record at byte %1 gives no name.").arg(offset));
            } else if (type == EndStructure || opensElement(type)) {
                if (structure.name.isEmpty())
                    return fail(QStringLiteral("The structure at byte %1 has no name.").arg(structure.offset));
                if (type == EndStructure) {
                    place = Place::Library;
                } else {
                    m_element = Element();
                    m_element.type = type;
                    m_element.offset = offset;
                    place = Place::Element;
                }
            } else if (type != 0x34 /* STRCLASS */ && type != PropertyAttribute && type != PropertyValue &&
                       type <= 0x3B) {
                return fail(outOfPlace);
            }
            break;
        }
        case Place::Element:
            if (type == EndElement) {
                if (!finishElement())
                    return false;
                place = Place::Structure;
            } else if (outsideElements(type)) {
                return fail(outOfPlace);
            } else if (!takeElementRecord(type, payload, payloadSize, offset)) {
                return false;
            }
            break;
        }
    }
}

bool GdsRecordScan::takeElementRecord(uint8_t type, const char *payload, int size, int offset)
{
    Element &e = m_element;
    switch (type) {
    case Layer:
        e.layer.layer = unsigned16(payload);
        e.hasLayer = true;
        break;
    case DataType:
    case TextType:
    case NodeType:
    case BoxType:
        e.layer.datatype = unsigned16(payload);
        break;
    case Width:
        e.width = signed32(payload);
        break;
    case PathType:
        e.pathType = signed16(payload);
        break;
    case BeginExtension:
        e.beginExtension = signed32(payload);
        break;
    case EndExtension:
        e.endExtension = signed32(payload);
        break;
    case Points:
        if (size < 8 || size % 8 != 0)
            return fail(QStringLiteral("The XY record at byte %1 holds %2 bytes of data, not a whole number of points.")
                            .arg(offset)
                            .arg(size));
        e.points.resize(size / 8);
        for (int i = 0; i < e.points.size(); ++i)
            e.points[i] = QPointF(signed32(payload + 8 * i), signed32(payload + 8 * i + 4));
        e.hasPoints = true;
        break;
    case ReferenceName:
        e.target = nameOf(payload, size);
        if (e.target.isEmpty())
            return fail(QStringLiteral("The SNAME record at byte %1 names no structure.").arg(offset));
        e.hasName = true;
        break;
    case ColumnsRows:
        e.columns = signed16(payload);
        e.rows = signed16(payload + 2);
        e.hasColumnsRows = true;
        break;
    case Transformation:
        // Bit 0 of the bit array, the most significant bit of its first byte: reflection about x.
        e.reflected = (static_cast<uint8_t>(payload[0]) & 0x80) != 0;
        break;
    case Magnification:
        e.magnification = real8(payload);
        break;
    case Angle:
        e.angle = real8(payload);
        break;
    case String:
        e.hasString = true;
        break;
    default:
        break; // properties, flags and presentation put nothing on a mask
    }
    return true;
}

bool GdsRecordScan::finishElement()
{
    const Element &e = m_element;
    Structure &structure = m_structures.last();
    auto lacks = [this, &e](const char *record) {
        return fail(where(e) + QStringLiteral(" has no %1 record.").arg(QLatin1String(record)));
    };
    switch (e.type) {
    case Boundary:
    case Box:
    case Path:
        if (!e.hasLayer)
            return lacks("LAYER");
        if (!e.hasPoints)
            return lacks("XY");
        if (e.type != Path && e.points.size() >= 3) {
            QPainterPath outline;
            outline.setFillRule(Qt::WindingFill);
            outline.addPolygon(e.points);
            outline.closeSubpath();
            structure.points += outline.elementCount();
            structure.shapes.append({e.layer, outline});
        } else if (e.type == Path && e.points.size() >= 2 && e.width != 0.0) {
            // A path of no width draws nothing on a mask.
            const QPainterPath outline =
                pathOutline(e.points, std::abs(e.width), e.pathType, e.beginExtension, e.endExtension);
            structure.points += outline.elementCount();
            structure.shapes.append({e.layer, outline});
        }
        return true;
    case StructureReference:
    case ArrayReference: {
        if (!e.hasName)
            return lacks("SNAME");
        if (e.type == ArrayReference && !e.hasColumnsRows)
            return lacks("COLROW");
        if (!e.hasPoints)
            return lacks("XY");
        if (!(e.magnification > 0.0))
            return fail(where(e) +
                        QStringLiteral(" has a magnification of %1; it must be positive.").arg(e.magnification));
        Reference reference;
        reference.target = e.target;
        reference.offset = e.offset;
        reference.reflected = e.reflected;
        reference.magnification = e.magnification;
        reference.angle = e.angle;
        reference.origin = e.points[0];
        if (e.type == ArrayReference) {
            if (e.columns < 1 || e.rows < 1)
                return fail(where(e) + QStringLiteral(" has %1 columns and %2 rows; it needs at least one of each.")
                                           .arg(e.columns)
                                           .arg(e.rows));
            if (e.points.size() < 3)
                return fail(where(e) + QStringLiteral(" has %1 point%2 where 3 are needed.")
                                           .arg(e.points.size())
                                           .arg(e.points.size() == 1 ? QString() : QStringLiteral("s")));
            // The second and third points lie a whole row and column of pitches away.
            reference.columns = e.columns;
            reference.rows = e.rows;
            reference.columnStep = (e.points[1] - e.points[0]) / e.columns;
            reference.rowStep = (e.points[2] - e.points[0]) / e.rows;
        }
        structure.references.append(reference);
        return true;
    }
    case Text:
        if (!e.hasPoints)
            return lacks("XY");
        if (!e.hasString)
            return lacks("STRING");
        return true;
    default:
        return true; // nodes put nothing on a mask
    }
}

} // namespace Operations
} // namespace Core
