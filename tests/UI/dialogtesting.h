#pragma once
// Helpers of the window and dialog tests.
#include <QFile>
#include <QWidget>

/// The child widget of `parent` with that object name; a missing one ends the test run.
template <class Widget> Widget *child(const QWidget *parent, const QString &name)
{
    auto *widget = parent->findChild<Widget *>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

/// Writes `contents` to `path` and gives back the path.
inline QString writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
