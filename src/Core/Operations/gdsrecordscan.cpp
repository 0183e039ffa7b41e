#include "gdsrecordscan.h"

#include <QFile>
#include <QHash>

#include <functional>

namespace Core {
namespace Operations {

namespace {

// Record types of the GDSII stream format that this pass looks at.
enum Record : uint8_t {
    Header = 0x00,
    EndLib = 0x04,
    BeginStructure = 0x05,
    StructureName = 0x06,
    EndStructure = 0x07,
    Boundary = 0x08,
    Path = 0x09,
    StructureReference = 0x0A,
    ArrayReference = 0x0B,
    Text = 0x0C,
    EndElement = 0x11,
    ReferenceName = 0x12,
    ColumnsRows = 0x13,
    Node = 0x15,
    Transformation = 0x1A,
    Box = 0x2D,
};

QByteArray nameOf(const char *data, int size)
{
    // Names are padded with NUL to an even length.
    while (size > 0 && data[size - 1] == '\0')
        --size;
    return QByteArray(data, size);
}

int bigEndian16(const char *p) { return (static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]); }

} // namespace

bool GdsRecordScan::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool GdsRecordScan::scan(const QString &fileName)
{
    m_structures.clear();
    m_elements.clear();
    m_error.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return parse(data) && checkReferences();
}

bool GdsRecordScan::parse(const QByteArray &data)
{
    const char *bytes = data.constData();
    const int size = data.size();
    int position = 0;
    Element *element = nullptr;
    bool first = true;
    bool inStructure = false;
    while (true) {
        if (position + 4 > size)
            return fail(first ? QStringLiteral("It is not a GDSII file.")
                              : QStringLiteral("The file ends before its last record: it is cut short."));
        const int length = bigEndian16(bytes + position);
        const auto type = static_cast<uint8_t>(bytes[position + 2]);
        if (first && (type != Header || length != 6))
            return fail(QStringLiteral("It is not a GDSII file."));
        first = false;
        if (length < 4 || length % 2 != 0)
            return fail(QStringLiteral("Record at byte %1 is damaged.").arg(position));
        if (position + length > size)
            return fail(QStringLiteral("The file ends before its last record: it is cut short."));
        const char *payload = bytes + position + 4;
        const int payloadSize = length - 4;
        position += length;

        switch (type) {
        case EndLib:
            return true;
        case BeginStructure:
            m_structures.append(Structure());
            m_elements.append(QVector<Element>());
            element = nullptr;
            inStructure = true;
            break;
        case StructureName:
            if (inStructure)
                m_structures.last().name = nameOf(payload, payloadSize);
            break;
        case EndStructure:
            element = nullptr;
            inStructure = false;
            break;
        case Boundary:
        case Path:
        case Text:
        case Node:
        case Box:
        case StructureReference:
        case ArrayReference:
            if (!inStructure)
                return fail(QStringLiteral("Record at byte %1 lies outside every structure.").arg(position - length));
            m_elements.last().append(Element());
            element = &m_elements.last().last();
            element->isReference = type == StructureReference || type == ArrayReference;
            break;
        case ReferenceName:
            if (element)
                element->target = nameOf(payload, payloadSize);
            break;
        case ColumnsRows:
            if (element && payloadSize >= 4)
                element->copies = double(bigEndian16(payload)) * bigEndian16(payload + 2);
            break;
        case Transformation:
            // Bit 0 of the bit array, the most significant bit of its first byte: reflection about x.
            if (element && payloadSize >= 2)
                element->reflected = (static_cast<uint8_t>(payload[0]) & 0x80) != 0;
            break;
        case EndElement:
            element = nullptr;
            break;
        default:
            break;
        }
    }
}

bool GdsRecordScan::checkReferences()
{
    QHash<QByteArray, int> byName;
    for (int s = m_structures.size() - 1; s >= 0; --s)
        byName.insert(m_structures[s].name, s);
    for (int s = 0; s < m_structures.size(); ++s) {
        for (const Element &e : m_elements[s]) {
            m_structures[s].reflected.append(e.isReference && e.reflected);
            if (e.isReference && !byName.contains(e.target))
                return fail(QStringLiteral("Structure \"%1\" refers to a structure \"%2\" that the file does not "
                                           "define.")
                                .arg(QString::fromLatin1(m_structures[s].name), QString::fromLatin1(e.target)));
        }
    }

    // Shapes of every structure once expanded; -1 while a structure is being counted (a cycle).
    QVector<double> shapes(m_structures.size(), -2.0);
    std::function<bool(int, int)> count = [&](int s, int depth) {
        if (shapes[s] >= 0.0)
            return true;
        if (shapes[s] == -1.0)
            return fail(QStringLiteral("Structure \"%1\" contains itself through its references.")
                            .arg(QString::fromLatin1(m_structures[s].name)));
        if (depth > maxDepth)
            return fail(QStringLiteral("References nest more than %1 levels deep.").arg(maxDepth));
        shapes[s] = -1.0;
        double total = 0.0;
        for (const Element &e : m_elements[s]) {
            if (!e.isReference) {
                total += 1.0;
                continue;
            }
            const int target = byName.value(e.target);
            if (!count(target, depth + 1))
                return false;
            total += e.copies * shapes[target];
        }
        if (total > maxExpandedShapes)
            return fail(QStringLiteral("Structure \"%1\" expands to more than %2 shapes.")
                            .arg(QString::fromLatin1(m_structures[s].name))
                            .arg(maxExpandedShapes, 0, 'g', 3));
        shapes[s] = total;
        return true;
    };
    for (int s = 0; s < m_structures.size(); ++s) {
        if (!count(s, 0))
            return false;
    }
    return true;
}

} // namespace Operations
} // namespace Core
