#include "totalvolumearchiver.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Volume/totalvolume.h"
#include "statetext.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <new>

namespace Model {
namespace Persistence {

using Automaton::TotalVolume;
using Materials::formatNumber;

void TotalVolumeArchiver::write(const ObjectPtr &object)
{
    auto volume = std::dynamic_pointer_cast<TotalVolume>(object);
    if (!m_writer || !volume)
        return;
    QXmlStreamWriter &w = *m_writer;
    w.writeStartElement(QStringLiteral("Object"));
    w.writeAttribute(QStringLiteral("object-type"), QString::number(volume->type()));
    w.writeAttribute(QStringLiteral("size-x"), QString::number(volume->sizeX()));
    w.writeAttribute(QStringLiteral("size-y"), QString::number(volume->sizeY()));
    w.writeAttribute(QStringLiteral("size-z"), QString::number(volume->sizeZ()));
    w.writeAttribute(QStringLiteral("cellsize-x"), formatNumber(volume->cellSizeX()));
    w.writeAttribute(QStringLiteral("cellsize-y"), formatNumber(volume->cellSizeY()));
    w.writeAttribute(QStringLiteral("cellsize-z"), formatNumber(volume->cellSizeZ()));
    w.writeStartElement(QStringLiteral("State"));
    {
        Automaton::CellLock lock(*volume);
        writeStateText(w, lock.cells().states(), volume->cellCount());
    }
    w.writeEndElement();
    const Util::Vector3D position = volume->position();
    w.writeEmptyElement(QStringLiteral("Position"));
    w.writeAttribute(QStringLiteral("pos-x"), formatNumber(position.x));
    w.writeAttribute(QStringLiteral("pos-y"), formatNumber(position.y));
    w.writeAttribute(QStringLiteral("pos-z"), formatNumber(position.z));
    w.writeEndElement();
}

namespace {

bool readSize(const QXmlStreamAttributes &attributes, const char *name, uint32_t &size)
{
    bool ok = false;
    size = attributes.value(QLatin1String(name)).toUInt(&ok);
    return ok;
}

float readCellSize(const QXmlStreamAttributes &attributes, const char *name)
{
    bool ok = false;
    const float size = attributes.value(QLatin1String(name)).toFloat(&ok);
    return ok ? size : 1.0f;
}

QString sizeText(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return QStringLiteral("%1 x %2 x %3").arg(nx).arg(ny).arg(nz);
}

} // namespace

ObjectPtr TotalVolumeArchiver::read()
{
    m_error.clear();
    if (!m_reader)
        return nullptr;
    QXmlStreamReader &r = *m_reader;
    const QXmlStreamAttributes attributes = r.attributes();

    uint32_t nx = 0, ny = 0, nz = 0;
    if (!readSize(attributes, "size-x", nx) || !readSize(attributes, "size-y", ny) ||
        !readSize(attributes, "size-z", nz)) {
        m_error = QStringLiteral("A cell volume in the document has no valid size and was not loaded.");
        r.skipCurrentElement();
        return nullptr;
    }
    const float cellSizeX = readCellSize(attributes, "cellsize-x");
    const float cellSizeY = readCellSize(attributes, "cellsize-y");
    const float cellSizeZ = readCellSize(attributes, "cellsize-z");

    size_t cellCount = 0;
    try {
        cellCount = TotalVolume::checkedCellCount(nx, ny, nz);
    } catch (const Automaton::VolumeAllocationError &e) {
        m_error = QString::fromStdString(e.what());
        r.skipCurrentElement();
        return nullptr;
    }

    std::shared_ptr<TotalVolume> volume;
    // Cells that a state text of this length leaves without a state.
    auto undescribedBy = [cellCount](size_t textLength) {
        const size_t describable = StateTextParser::maxItems(textLength);
        return cellCount > describable ? cellCount - describable : 0;
    };
    // A small document must not make a huge volume: the text must describe nearly every cell.
    auto describesEnough = [&](size_t textLength) {
        return undescribedBy(textLength) <= maxUndescribedCells - m_undescribedCells;
    };
    // Builds the volume once the length of its state text is known; false when refused.
    auto allocate = [&](size_t textLength) {
        const size_t describable = StateTextParser::maxItems(textLength);
        const size_t undescribed = undescribedBy(textLength);
        if (!describesEnough(textLength)) {
            m_error = QStringLiteral("A cell volume of %1 cells in the document was not loaded: its cell states "
                                     "describe at most %2 cells.")
                          .arg(sizeText(nx, ny, nz))
                          .arg(describable);
            return false;
        }
        try {
            volume = std::make_shared<TotalVolume>(nx, ny, nz, cellSizeX, cellSizeY, cellSizeZ,
                                                   Util::Vector3D(0.0, 0.0, 0.0));
        } catch (const Automaton::VolumeAllocationError &e) {
            m_error = QString::fromStdString(e.what());
            return false;
        } catch (const std::bad_alloc &) {
            m_error =
                QStringLiteral("Cannot create a cell volume of %1 cells: not enough memory.").arg(sizeText(nx, ny, nz));
            return false;
        }
        m_undescribedCells += undescribed;
        return true;
    };

    bool haveState = false;
    bool havePosition = false;
    float px = 0.0f, py = 0.0f, pz = 0.0f;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement())
            break; // the end of this "Object"
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("State") && !haveState) {
            haveState = true;
            std::unique_ptr<StateTextParser> parser;
            std::unique_ptr<Automaton::CellLock> lock;
            // The text may come in pieces (a comment or a CDATA section splits it): the pieces are
            // kept until they are long enough to justify the volume, then streamed.
            QString pending;
            auto startParsing = [&]() {
                if (!allocate(static_cast<size_t>(pending.size())))
                    return false;
                lock = std::make_unique<Automaton::CellLock>(*volume);
                parser = std::make_unique<StateTextParser>(lock->cells(), m_table);
                parser->feed(pending.constData(), static_cast<size_t>(pending.size()));
                pending = QString();
                return true;
            };
            bool refused = false;
            while (!r.atEnd()) {
                r.readNext();
                if (r.isEndElement())
                    break;
                if (r.isStartElement()) {
                    r.skipCurrentElement();
                } else if (r.isCharacters()) {
                    const QStringRef text = r.text();
                    if (parser) {
                        parser->feed(text.unicode(), static_cast<size_t>(text.size()));
                        continue;
                    }
                    pending.append(text);
                    if (describesEnough(static_cast<size_t>(pending.size())) && !startParsing()) {
                        refused = true;
                        break;
                    }
                }
            }
            const bool stateEnded = r.isEndElement();
            if (!refused && !parser && !r.hasError())
                refused = !startParsing();
            if (refused) {
                if (!stateEnded)
                    r.skipCurrentElement(); // the rest of "State"
                r.skipCurrentElement();     // the rest of "Object"
                return nullptr;
            }
            if (parser) {
                parser->finish();
                if (parser->hasStateOutOfRange() && !r.hasError()) {
                    m_error = QStringLiteral("A cell volume of %1 cells in the document was not loaded: a cell holds "
                                             "the state %2, and cell states go up to %3.")
                                  .arg(sizeText(nx, ny, nz))
                                  .arg(parser->firstStateOutOfRange())
                                  .arg(Automaton::Cells::maximumState);
                    r.skipCurrentElement(); // the rest of "Object"
                    return nullptr;
                }
            }
        } else if (r.name() == QLatin1String("Position") && !havePosition) {
            havePosition = true;
            const QXmlStreamAttributes position = r.attributes();
            px = position.value(QLatin1String("pos-x")).toFloat();
            py = position.value(QLatin1String("pos-y")).toFloat();
            pz = position.value(QLatin1String("pos-z")).toFloat();
            r.skipCurrentElement();
        } else {
            r.skipCurrentElement();
        }
    }
    // A document cut off inside the object: the reader reports the damage, the half-read volume is dropped.
    if (r.hasError())
        return nullptr;
    if (!volume && !allocate(0))
        return nullptr;
    volume->translate(Util::Vector4D(px, py, pz, 0.0));
    return volume;
}

} // namespace Persistence
} // namespace Model
