#pragma once

#include <QIcon>
#include <QString>

namespace Ui {

/// The icon of Cellforge's windows: "icon.ico" of `folder` (the working folder) when that file can
/// be loaded, else the icon drawn for Cellforge that is built into the program, in every size.
QIcon applicationIcon(const QString &folder);

} // namespace Ui
