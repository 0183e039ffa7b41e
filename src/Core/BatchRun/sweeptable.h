#pragma once

#include "Core/BatchRun/parameteroverride.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Core {
namespace BatchRun {

/// The variants of a sweep: a CSV table whose header names `STEP.PARAMETER` columns and whose rows,
/// numbered from 0, give their values.
class SweepTable {
public:
    /// False with the reason when the file cannot be read or is not such a table.
    bool load(const QString &fileName, QString *error);
    /// The same from the table's lines (the header first); `title` begins the reason ("The sweep
    /// table \"depths.csv\"").
    bool setRows(const QList<QStringList> &rows, const QString &title, QString *error);

    const QList<ParameterOverride> &columns() const { return m_columns; }
    int rowCount() const { return m_rows.size(); }
    /// The values of row `index` as overrides of the list.
    QList<ParameterOverride> row(int index) const;
    /// The texts of row `index`, in column order.
    QStringList values(int index) const { return m_rows.at(index); }

private:
    bool fail(const QString &title, const QString &why, QString *error);

    QList<ParameterOverride> m_columns;
    QList<QStringList> m_rows;
};

} // namespace BatchRun
} // namespace Core
