#pragma once

// Reads back what CellVolumeVtiWriter writes, without VTK: the XML head and every appended array,
// its zlib blocks unpacked; and, through Debian's python3-vtk9, what VTK's own reader makes of it.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QVector>
#include <QtEndian>

struct VtiArray {
    QString name;
    QString type;
    quint64 blocks = 0;
    quint64 blockSize = 0;
    quint64 lastBlockSize = 0;
    QByteArray data; // unpacked, little-endian values

    uint32_t uint32At(size_t i) const { return qFromLittleEndian<quint32>(data.constData() + i * 4); }
    double doubleAt(size_t i) const { return qFromLittleEndian<double>(data.constData() + i * 8); }
};

struct VtiFile {
    QString head;
    QVector<VtiArray> arrays;
    QString error;

    /// The value of an attribute of the first element that has it.
    QString attribute(const QString &name) const
    {
        const auto match =
            QRegularExpression(QStringLiteral("\\b") + name + QStringLiteral("=\"([^\"]*)\"")).match(head);
        return match.hasMatch() ? match.captured(1) : QString();
    }

    bool read(const QString &fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot open"));
        const QByteArray bytes = file.readAll();
        const int marker = bytes.indexOf("<AppendedData encoding=\"raw\">");
        const int underscore = bytes.indexOf('_', marker);
        if (marker < 0 || underscore < 0 || !bytes.endsWith("</AppendedData>\n</VTKFile>\n"))
            return fail(QStringLiteral("no appended data"));
        head = QString::fromUtf8(bytes.left(marker));
        const char *appended = bytes.constData() + underscore + 1;
        auto declarations =
            QRegularExpression(QStringLiteral("<DataArray type=\"(\\w+)\" Name=\"([^\"]*)\" format=\"appended\""
                                              "[^>]*offset=\"(\\d+)\"/>"))
                .globalMatch(head);
        auto word = [&](qint64 at) { return qFromLittleEndian<quint64>(appended + at); };
        while (declarations.hasNext()) {
            const auto m = declarations.next();
            VtiArray array;
            array.type = m.captured(1);
            array.name = m.captured(2);
            qint64 at = m.captured(3).toLongLong();
            array.blocks = word(at);
            array.blockSize = word(at + 8);
            array.lastBlockSize = word(at + 16);
            qint64 block = at + 24 + qint64(array.blocks) * 8;
            for (quint64 b = 0; b < array.blocks; ++b) {
                const quint64 packed = word(at + 24 + qint64(b) * 8);
                const bool partial = b + 1 == array.blocks && array.lastBlockSize != 0;
                const quint64 size = partial ? array.lastBlockSize : array.blockSize;
                // qUncompress wants the unpacked size in front, big-endian.
                QByteArray framed(4, Qt::Uninitialized);
                qToBigEndian(quint32(size), framed.data());
                framed.append(appended + block, int(packed));
                const QByteArray unpacked = qUncompress(framed);
                if (quint64(unpacked.size()) != size)
                    return fail(QStringLiteral("block %1 of %2 does not unpack").arg(b).arg(array.name));
                array.data += unpacked;
                block += qint64(packed);
            }
            arrays.append(array);
        }
        return true;
    }

    const VtiArray *array(const QString &name) const
    {
        for (const VtiArray &a : arrays) {
            if (a.name == name)
                return &a;
        }
        return nullptr;
    }

private:
    bool fail(const QString &message)
    {
        error = message;
        return false;
    }
};

/// What VTK's reader finds in the file, as the JSON of tests/data/vti/read_vti.py; `available`
/// is false when python3-vtk9 is not installed.
inline QJsonObject readWithVtk(const QString &fileName, bool &available)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TEST_DATA_DIR "/vti/read_vti.py"), fileName});
    available = python.waitForFinished(120000) && python.exitStatus() == QProcess::NormalExit &&
                python.exitCode() != 77 && python.error() != QProcess::FailedToStart;
    if (!available || python.exitCode() != 0)
        return QJsonObject();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
