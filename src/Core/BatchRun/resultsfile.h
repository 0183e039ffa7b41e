#pragma once

#include "Core/Engines/Volume/volumemeasurement.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace Core {
namespace BatchRun {

/// The row of a sweep that a run was; index -1 when it was none.
struct SweepRow {
    int index = -1;
    int rows = 0;
    QStringList columns; ///< "STEP.PARAMETER"
    QStringList values;
};

/// The measurements of a run as a table, one row per measurement: its name, kind, value, unit and
/// the step after which it was taken. Written as CSV (a header "name,kind,value,unit,step") or as
/// JSON ({"measurements": [{"name": ..., "kind": ..., "value": ..., "unit": ..., "step": ...}]}),
/// chosen by the file name's ending. Values are in cells (degrees for angles) or, when the edge of
/// a cell of size 1 is given in micrometres, in µm (µm³ for a volume).
/// A row of a sweep also says which: CSV lines begin with its index, the sweep's row count and the
/// swept values ("index,rows,2.Film Thickness,name,kind,value,unit,step", and a line without a
/// measurement when it took none); JSON has "index", "rows" and "parameters" beside "measurements".
class ResultsFile {
public:
    enum class Format { Unknown, Csv, Json };

    struct Row {
        QString name;
        QString kind;
        double value = 0.0;
        QString unit;
        int step = 0;
    };

    /// By the ending (.csv, .json, in any case).
    static Format formatOf(const QString &fileName);
    /// The rows of the measurements; `cellSizeUm` 0 gives cells.
    static QList<Row> rows(const std::vector<Operations::Measurement> &measurements, double cellSizeUm);
    static QByteArray csv(const QList<Row> &rows, const SweepRow &sweep = SweepRow());
    static QByteArray json(const QList<Row> &rows, const SweepRow &sweep = SweepRow());
    /// Writes the rows in the format of the name, whole or not at all; false with the reason.
    static bool write(const QString &fileName, const QList<Row> &rows, const SweepRow &sweep, QString *error);
    /// Reads a file of a sweep's row back; false with the reason when it is none.
    static bool read(const QString &fileName, QList<Row> &rows, SweepRow &sweep, QString *error);

    /// The text of a number in both formats: the shortest that reads back as the same double.
    static QString numberText(double value);
};

} // namespace BatchRun
} // namespace Core
