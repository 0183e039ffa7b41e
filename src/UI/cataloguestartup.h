#pragma once

#include <QString>

class QTextStream;
class QWidget;

namespace Ui {

/// Tells the user, on standard error (`err`) and in a message box, why a catalogue file was left
/// unwritten when the catalogues were loaded. Returns what was said; empty when all went well.
QString reportCatalogueStartUp(QWidget *parent, QTextStream &err);

} // namespace Ui
