#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

/// Points HOME at a fresh temporary folder for as long as it lives, so catalogue files
/// written by a test never touch a real user's.
class CatalogTestHome {
public:
    CatalogTestHome()
    {
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_dir.path().toLocal8Bit());
        QDir(m_dir.path()).mkpath(QStringLiteral("Cellforge"));
    }
    ~CatalogTestHome() { qputenv("HOME", m_oldHome); }

    QString folder() const { return m_dir.path() + QStringLiteral("/Cellforge"); }
    QString file(const QString &name) const { return folder() + QLatin1Char('/') + name; }

    void write(const QString &name, const QByteArray &contents) const
    {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(contents);
    }
    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
