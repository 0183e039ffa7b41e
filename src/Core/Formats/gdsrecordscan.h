#pragma once

#include "Core/Formats/layoutlayer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <QVector>

#include <cstdint>

namespace Util {
class RunControl;
}

namespace Core {
namespace Operations {

/// How long reading a layout may go on, and who may stop it on the way.
struct GdsReadBudget {
    Util::RunControl *control = nullptr;
    QElapsedTimer clock;
    qint64 timeLimitMs = -1; ///< none when negative

    /// Empty while the reading may go on; else why it ends ("... was stopped.", "... took longer ...").
    QString interruption() const;
};

/// Reads the records of a GDSII file and builds its structures: the shapes (boundaries, boxes and
/// paths as filled outlines in database units, with their layer and datatype) and the references
/// and arrays that place other structures, by name. Every record is checked before it is used:
/// records cut short, data shorter than the record needs, records out of place and elements that
/// lack a record they need end the scan with a message that names the record and its byte.
class GdsRecordScan {
public:
    struct Shape {
        LayoutLayer layer;
        QPainterPath outline;
    };
    /// An SREF (one column and row) or an AREF.
    struct Reference {
        QByteArray target;
        int targetIndex = -1; ///< the structure named `target`, filled in by whoever resolves names
        int offset = 0;       ///< the byte of the SREF or AREF record
        bool reflected = false;
        double magnification = 1.0;
        double angle = 0.0; ///< degrees, anticlockwise
        QPointF origin;
        int columns = 1;
        int rows = 1;
        QPointF columnStep;
        QPointF rowStep;
        qint64 copies() const { return qint64(columns) * rows; }
    };
    struct Structure {
        QByteArray name;
        int offset = 0; ///< the byte of its BGNSTR record
        QVector<Shape> shapes;
        QVector<Reference> references;
        qint64 points = 0; ///< points of the outlines of its own shapes
    };

    /// Files larger than this are refused before they are read.
    static constexpr qint64 maxFileBytes = qint64(256) << 20;

    /// Scans the file; false with errorString() when it is not a whole GDSII file or is refused.
    bool scan(const QString &fileName, const GdsReadBudget &budget = GdsReadBudget());
    QString errorString() const { return m_error; }
    QVector<Structure> &structures() { return m_structures; }
    /// The size of the database unit in metres (the second number of UNITS).
    double metresPerUnit() const { return m_metresPerUnit; }

private:
    /// The records of the element being read, until its ENDEL.
    struct Element {
        uint8_t type = 0;
        int offset = 0;
        bool hasLayer = false;
        bool hasPoints = false;
        bool hasName = false;
        bool hasColumnsRows = false;
        bool hasString = false;
        LayoutLayer layer;
        int pathType = 0;
        double width = 0.0;
        double beginExtension = 0.0;
        double endExtension = 0.0;
        QPolygonF points;
        QByteArray target;
        int columns = 0;
        int rows = 0;
        bool reflected = false;
        double magnification = 1.0;
        double angle = 0.0;
    };
    bool parse(const QByteArray &data, const GdsReadBudget &budget);
    bool takeElementRecord(uint8_t type, const char *payload, int size, int offset);
    bool finishElement();
    bool fail(const QString &message);
    QString where(const Element &element) const;

    QVector<Structure> m_structures;
    Element m_element;
    double m_metresPerUnit = 0.0;
    QString m_error;
};

} // namespace Operations
} // namespace Core
