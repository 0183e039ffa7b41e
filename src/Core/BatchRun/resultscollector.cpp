#include "Core/BatchRun/resultscollector.h"

#include "Core/BatchRun/resultsfile.h"
#include "Core/Formats/csvtext.h"

#include <QDir>
#include <QFileInfo>

#include <map>

namespace Core {
namespace BatchRun {

bool ResultsCollector::read(const QString &folder, const QString &skip, QString *error)
{
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("The folder \"%1\" does not exist.").arg(folder);
        return false;
    }
    struct Read {
        QString file;
        QList<ResultsFile::Row> rows;
        SweepRow sweep;
    };
    std::map<int, Read> byIndex;
    const QString skipped = QFileInfo(skip).absoluteFilePath();
    for (const QFileInfo &info :
         dir.entryInfoList({QStringLiteral("*.csv"), QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        if (info.absoluteFilePath() == skipped)
            continue;
        Read r{info.filePath(), {}, {}};
        QString why;
        if (!ResultsFile::read(r.file, r.rows, r.sweep, &why)) {
            m_notes << why + QStringLiteral("; left out.");
            continue;
        }
        if (r.sweep.index < 0 || r.sweep.index >= r.sweep.rows) {
            m_notes << QStringLiteral("\"%1\" gives row %2 of %3 rows; left out.")
                           .arg(r.file)
                           .arg(r.sweep.index)
                           .arg(r.sweep.rows);
            continue;
        }
        const auto earlier = byIndex.find(r.sweep.index);
        if (earlier != byIndex.end()) {
            m_notes << QStringLiteral("\"%1\" and \"%2\" both hold row %3; the first is taken.")
                           .arg(earlier->second.file, r.file)
                           .arg(r.sweep.index);
            continue;
        }
        byIndex.emplace(r.sweep.index, std::move(r));
    }
    if (byIndex.empty()) {
        if (error)
            *error = QStringLiteral("The folder \"%1\" holds no results of a sweep.").arg(folder);
        return false;
    }
    m_columns = byIndex.begin()->second.sweep.columns;
    for (const auto &[index, r] : byIndex) {
        m_rows = std::max(m_rows, r.sweep.rows);
        if (r.sweep.columns != m_columns)
            m_notes << QStringLiteral("\"%1\" sweeps %2, not %3.")
                           .arg(r.file, r.sweep.columns.join(QStringLiteral(", ")),
                                m_columns.join(QStringLiteral(", ")));
        for (const ResultsFile::Row &row : r.rows) {
            const QString column = QStringLiteral("%1 (%2)").arg(row.name, row.unit);
            if (!m_measurements.contains(column))
                m_measurements << column;
        }
    }
    m_found = QList<Found>();
    Found empty;
    for (int i = 0; i < m_measurements.size(); ++i)
        empty.measured << QString();
    for (int i = 0; i < m_rows; ++i)
        m_found << empty;
    for (const auto &[index, r] : byIndex) {
        Found &found = m_found[index];
        found.present = true;
        found.values = r.sweep.values;
        for (const ResultsFile::Row &row : r.rows)
            found.measured[m_measurements.indexOf(QStringLiteral("%1 (%2)").arg(row.name, row.unit))] =
                ResultsFile::numberText(row.value);
    }
    return true;
}

QList<int> ResultsCollector::missing() const
{
    QList<int> indices;
    for (int i = 0; i < m_found.size(); ++i) {
        if (!m_found.at(i).present)
            indices << i;
    }
    return indices;
}

QByteArray ResultsCollector::table() const
{
    using Operations::CsvText;
    QString text =
        CsvText::line(QStringList{QStringLiteral("index"), QStringLiteral("status")} + m_columns + m_measurements);
    for (int i = 0; i < m_found.size(); ++i) {
        const Found &found = m_found.at(i);
        QStringList values = found.values;
        while (values.size() < m_columns.size())
            values << QString();
        text += CsvText::line(
            QStringList{QString::number(i), found.present ? QStringLiteral("ok") : QStringLiteral("missing")} +
            values.mid(0, m_columns.size()) + found.measured);
    }
    return text.toUtf8();
}

} // namespace BatchRun
} // namespace Core
