#include "Core/Formats/csvtext.h"

namespace Core {
namespace Operations {

QString CsvText::field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvText::line(const QStringList &fields)
{
    QStringList written;
    for (const QString &f : fields)
        written << field(f);
    return written.join(QLatin1Char(',')) + QLatin1Char('\n');
}

bool CsvText::parse(const QString &text, QList<QStringList> &rows, QString *error)
{
    rows.clear();
    QStringList row;
    QString current;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the current field was quoted (only a separator may follow)
    bool rowStarted = false; // something of the row was read
    int lineNumber = 1;
    const auto fail = [&](const QString &what) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(what);
        rows.clear();
        return false;
    };
    const auto endRow = [&] {
        if (rowStarted) {
            row << current;
            rows << row;
        }
        row.clear();
        current.clear();
        rowStarted = false;
        wasQuoted = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    current += c;
                    ++i;
                } else {
                    quoted = false;
                    wasQuoted = true;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++lineNumber;
                current += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            row << current;
            current.clear();
            rowStarted = true;
            wasQuoted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRow();
            ++lineNumber;
        } else if (c == QLatin1Char('"')) {
            if (!current.isEmpty() || wasQuoted)
                return fail(QStringLiteral("a quote stands inside a field that does not begin with one"));
            quoted = true;
            rowStarted = true;
        } else {
            if (wasQuoted)
                return fail(QStringLiteral("text follows the closing quote of a field"));
            current += c;
            rowStarted = true;
        }
    }
    if (quoted)
        return fail(QStringLiteral("a quoted field is not closed"));
    endRow();
    return true;
}

} // namespace Operations
} // namespace Core
