#pragma once

#include <QString>

namespace Model {
namespace ModelExtraction {

/// Netlist files ("Circuit files *.cir").
namespace NetlistFile {

/// The filter of the netlist save dialog.
inline QString filter() { return QStringLiteral("Circuit files *.cir"); }

/// Writes `text` to the file whole or not at all; false with the system's reason otherwise (a file
/// of that name is then left as it was).
bool write(const QString &fileName, const QString &text, QString *reason);

} // namespace NetlistFile
} // namespace ModelExtraction
} // namespace Model
