#include "Core/BatchRun/sweeptable.h"

#include "Core/Formats/csvtext.h"

#include <QFile>

namespace Core {
namespace BatchRun {

bool SweepTable::load(const QString &fileName, QString *error)
{
    const QString title = QStringLiteral("The sweep table \"%1\"").arg(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(title, QStringLiteral("could not be read: %1").arg(file.errorString()), error);
    QList<QStringList> rows;
    QString problem;
    if (!Operations::CsvText::parse(QString::fromUtf8(file.readAll()), rows, &problem))
        return fail(title, QStringLiteral("is not a CSV table: ") + problem, error);
    return setRows(rows, title, error);
}

bool SweepTable::fail(const QString &title, const QString &why, QString *error)
{
    if (error)
        *error = title + QLatin1Char(' ') + why + QLatin1Char('.');
    m_columns.clear();
    m_rows.clear();
    return false;
}

bool SweepTable::setRows(const QList<QStringList> &rows, const QString &title, QString *error)
{
    const auto fail = [&](const QString &why) { return this->fail(title, why, error); };
    if (rows.isEmpty())
        return fail(QStringLiteral("is empty"));
    m_columns.clear();
    for (const QString &name : rows.first()) {
        const auto column = ParameterOverride::fromColumn(name.trimmed());
        if (!column)
            return fail(
                QStringLiteral("names a column \"%1\"; each must be STEP.PARAMETER (\"2.Film Thickness\")").arg(name));
        for (const ParameterOverride &earlier : m_columns) {
            if (earlier.column() == column->column())
                return fail(QStringLiteral("names the column \"%1\" twice").arg(name));
        }
        m_columns << *column;
    }
    m_rows = rows.mid(1);
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).size() != m_columns.size())
            return fail(QStringLiteral("has %1 values in row %2, but %3 columns")
                            .arg(m_rows.at(i).size())
                            .arg(i)
                            .arg(m_columns.size()));
    }
    if (m_rows.isEmpty())
        return fail(QStringLiteral("has no rows"));
    return true;
}

QList<ParameterOverride> SweepTable::row(int index) const
{
    QList<ParameterOverride> overrides = m_columns;
    for (int c = 0; c < overrides.size(); ++c)
        overrides[c].value = m_rows.at(index).at(c);
    return overrides;
}

} // namespace BatchRun
} // namespace Core
