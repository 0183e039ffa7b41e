#pragma once

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

/// Keeps what a test shows for a person to look at: with CELLFORGE_SHOTS naming a folder, the
/// picture is saved there as NAME.png; without it nothing is written.
inline void saveShot(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("CELLFORGE_SHOTS");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    // A view's frame keeps alpha 0 where nothing was drawn: laid on black, as the screen shows it.
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.fill(Qt::black);
    QPainter painter(&shown);
    painter.drawImage(0, 0, image);
    painter.end();
    shown.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

inline void saveShot(QWidget &widget, const QString &name) { saveShot(widget.grab().toImage(), name); }
