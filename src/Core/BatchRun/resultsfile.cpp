#include "Core/BatchRun/resultsfile.h"

#include "Core/Formats/csvtext.h"
#include "Util/safefile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>

namespace Core {
namespace BatchRun {

using Operations::MeasurementKind;

ResultsFile::Format ResultsFile::formatOf(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Format::Csv;
    if (fileName.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return Format::Json;
    return Format::Unknown;
}

QList<ResultsFile::Row> ResultsFile::rows(const std::vector<Operations::Measurement> &measurements, double cellSizeUm)
{
    QList<Row> rows;
    for (const Operations::Measurement &m : measurements) {
        Row row;
        row.name = m.name;
        row.kind = Operations::measurementKindName(m.kind);
        row.step = m.step;
        if (m.kind == MeasurementKind::SidewallAngle) {
            row.value = cellSizeUm > 0.0 ? m.value.length : m.value.cells;
            row.unit = QStringLiteral("deg");
        } else if (cellSizeUm <= 0.0) {
            row.value = m.value.cells;
            row.unit = QStringLiteral("cells");
        } else if (m.kind == MeasurementKind::Volume) {
            row.value = m.value.length * cellSizeUm * cellSizeUm * cellSizeUm;
            row.unit = QStringLiteral("µm³");
        } else {
            row.value = m.value.length * cellSizeUm;
            row.unit = QStringLiteral("µm");
        }
        rows << row;
    }
    return rows;
}

QString ResultsFile::numberText(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

QByteArray ResultsFile::csv(const QList<Row> &rows, const SweepRow &sweep)
{
    using Operations::CsvText;
    const bool inSweep = sweep.index >= 0;
    const QStringList lead =
        inSweep ? QStringList{QString::number(sweep.index), QString::number(sweep.rows)} + sweep.values : QStringList();
    QString text = CsvText::line(
        (inSweep ? QStringList{QStringLiteral("index"), QStringLiteral("rows")} + sweep.columns : QStringList()) +
        QStringList{QStringLiteral("name"), QStringLiteral("kind"), QStringLiteral("value"), QStringLiteral("unit"),
                    QStringLiteral("step")});
    for (const Row &row : rows)
        text += CsvText::line(
            lead + QStringList{row.name, row.kind, numberText(row.value), row.unit, QString::number(row.step)});
    // A row of a sweep that measured nothing still says that it ran.
    if (inSweep && rows.isEmpty())
        text += CsvText::line(lead + QStringList{QString(), QString(), QString(), QString(), QString()});
    return text.toUtf8();
}

QByteArray ResultsFile::json(const QList<Row> &rows, const SweepRow &sweep)
{
    QJsonArray array;
    for (const Row &row : rows) {
        QJsonObject object;
        object.insert(QStringLiteral("name"), row.name);
        object.insert(QStringLiteral("kind"), row.kind);
        object.insert(QStringLiteral("value"), row.value);
        object.insert(QStringLiteral("unit"), row.unit);
        object.insert(QStringLiteral("step"), row.step);
        array.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("measurements"), array);
    if (sweep.index >= 0) {
        root.insert(QStringLiteral("index"), sweep.index);
        root.insert(QStringLiteral("rows"), sweep.rows);
        QJsonArray parameters;
        for (int i = 0; i < sweep.columns.size(); ++i)
            parameters.append(QJsonArray{sweep.columns.at(i), sweep.values.value(i)});
        root.insert(QStringLiteral("parameters"), parameters);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool ResultsFile::write(const QString &fileName, const QList<Row> &rows, const SweepRow &sweep, QString *error)
{
    const Format format = formatOf(fileName);
    Util::SafeFile file(fileName);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.device()->write(format == Format::Json ? json(rows, sweep) : csv(rows, sweep));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

namespace {

bool readJson(const QByteArray &bytes, QList<ResultsFile::Row> &rows, SweepRow &sweep, QString &why)
{
    QJsonParseError parseError;
    const QJsonObject root = QJsonDocument::fromJson(bytes, &parseError).object();
    if (parseError.error != QJsonParseError::NoError) {
        why = parseError.errorString();
        return false;
    }
    if (!root.contains(QStringLiteral("index"))) {
        why = QStringLiteral("it holds no row of a sweep");
        return false;
    }
    sweep.index = root.value(QStringLiteral("index")).toInt(-1);
    sweep.rows = root.value(QStringLiteral("rows")).toInt(0);
    for (const QJsonValue &pair : root.value(QStringLiteral("parameters")).toArray()) {
        sweep.columns << pair.toArray().at(0).toString();
        sweep.values << pair.toArray().at(1).toString();
    }
    for (const QJsonValue &value : root.value(QStringLiteral("measurements")).toArray()) {
        const QJsonObject o = value.toObject();
        rows << ResultsFile::Row{o.value(QStringLiteral("name")).toString(), o.value(QStringLiteral("kind")).toString(),
                                 o.value(QStringLiteral("value")).toDouble(),
                                 o.value(QStringLiteral("unit")).toString(), o.value(QStringLiteral("step")).toInt()};
    }
    return true;
}

bool readCsv(const QByteArray &bytes, QList<ResultsFile::Row> &rows, SweepRow &sweep, QString &why)
{
    QList<QStringList> lines;
    if (!Operations::CsvText::parse(QString::fromUtf8(bytes), lines, &why))
        return false;
    const QStringList header = lines.value(0);
    const int lead = header.size() - 5;
    if (lines.size() < 2 || lead < 2 || header.first() != QLatin1String("index") ||
        header.at(1) != QLatin1String("rows") ||
        header.mid(lead) != QStringList{"name", "kind", "value", "unit", "step"}) {
        why = QStringLiteral("it holds no row of a sweep");
        return false;
    }
    sweep.columns = header.mid(2, lead - 2);
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList &line = lines.at(i);
        if (line.size() != header.size()) {
            why = QStringLiteral("line %1 has %2 fields, the header %3").arg(i + 1).arg(line.size()).arg(header.size());
            return false;
        }
        sweep.index = line.at(0).toInt();
        sweep.rows = line.at(1).toInt();
        sweep.values = line.mid(2, lead - 2);
        if (!line.at(lead).isEmpty() || !line.at(lead + 1).isEmpty())
            rows << ResultsFile::Row{line.at(lead), line.at(lead + 1), line.at(lead + 2).toDouble(), line.at(lead + 3),
                                     line.at(lead + 4).toInt()};
    }
    return true;
}

} // namespace

bool ResultsFile::read(const QString &fileName, QList<Row> &rows, SweepRow &sweep, QString *error)
{
    rows.clear();
    sweep = SweepRow();
    QFile file(fileName);
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (formatOf(fileName) == Format::Json ? readJson(file.readAll(), rows, sweep, why)
                                                : readCsv(file.readAll(), rows, sweep, why))
        return true;
    if (error)
        *error = QStringLiteral("\"%1\" could not be read as results of a sweep: %2").arg(fileName, why);
    return false;
}

} // namespace BatchRun
} // namespace Core
