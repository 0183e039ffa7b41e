#pragma once

#include <QString>
#include <QStringList>

namespace Core {
namespace BatchRun {

/// Merges the results files of a sweep's rows (ResultsFile, .csv or .json, any names) found in one
/// folder into one table: a line per row of the sweep, sorted by index, with the row's status, the
/// swept values and one column per measurement ("trench depth (µm)"). A row without a results file
/// (it failed, or never ran) is a line "missing", never left out. Files of the folder that hold no
/// row of a sweep are named and left out.
class ResultsCollector {
public:
    /// Reads the folder; false with the reason when it holds no results of a sweep.
    bool read(const QString &folder, const QString &skip, QString *error);
    /// The table as CSV text.
    QByteArray table() const;
    /// The indices of the rows without results.
    QList<int> missing() const;
    int rowCount() const { return m_rows; }
    /// The swept "STEP.PARAMETER" columns and the measurements' columns, "name (unit)".
    const QStringList &columns() const { return m_columns; }
    const QStringList &measurements() const { return m_measurements; }
    /// Of a row with results: its swept values and its measured values by measurement column (empty
    /// where the row has no such measurement).
    QStringList sweptValues(int row) const { return m_found.at(row).values; }
    QStringList measuredValues(int row) const { return m_found.at(row).measured; }
    /// What was left out or did not agree, one line each.
    const QStringList &notes() const { return m_notes; }

private:
    struct Found {
        QStringList values;   ///< the swept values
        QStringList measured; ///< by measurement column
        bool present = false;
    };

    int m_rows = 0;
    QStringList m_columns;      ///< swept "STEP.PARAMETER"
    QStringList m_measurements; ///< "name (unit)"
    QList<Found> m_found;
    QStringList m_notes;
};

} // namespace BatchRun
} // namespace Core
