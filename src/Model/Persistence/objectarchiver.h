#pragma once

#include "Model/object.h"

#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
namespace Persistence {

class MaterialTranslationTable;

/// Writes and reads one kind of scene object as an "Object" element of a document.
/// The writer, reader and translation table are borrowed, never owned.
class ObjectArchiver {
public:
    virtual ~ObjectArchiver() = default;
    virtual void setWriter(QXmlStreamWriter *writer) = 0;
    virtual void setReader(QXmlStreamReader *reader) = 0;
    virtual void setMaterialMap(MaterialTranslationTable *table) = 0;
    /// Writes one "Object" element for the object.
    virtual void write(const ObjectPtr &object) = 0;
    /// Reads the "Object" element whose start tag is the reader's current token, up to and
    /// including its end tag. Null when nothing was built (see errorString()).
    virtual ObjectPtr read() = 0;
    /// Called before the objects of each document are read.
    virtual void beginDocument() {}
    /// Why the last read built nothing, in words for the user; empty when it did not fail.
    virtual QString errorString() const { return QString(); }
};

using ObjectArchiverPtr = std::shared_ptr<ObjectArchiver>;

} // namespace Persistence
} // namespace Model
