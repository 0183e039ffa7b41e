#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Core {
namespace Operations {

/// Comma-separated text as RFC 4180 has it: a field holding a comma, a quote or a line break is
/// quoted, its quotes doubled. Used for the results of measurements and the tables of sweeps.
class CsvText {
public:
    /// The field as it is written.
    static QString field(const QString &text);
    /// The fields joined by commas, ending in a line feed.
    static QString line(const QStringList &fields);
    /// The rows of the text (lines ending in LF or CRLF; empty lines are skipped); false with
    /// "line N: ..." when a quoted field is not closed or a quote stands inside an unquoted field.
    static bool parse(const QString &text, QList<QStringList> &rows, QString *error);
};

} // namespace Operations
} // namespace Core
