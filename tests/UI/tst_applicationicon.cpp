#include "UI/applicationicon.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QList<QSize> builtInSizes{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};

} // namespace

class tst_ApplicationIcon : public QObject {
    Q_OBJECT
private slots:
    void builtInIconWithoutIcoFile_data()
    {
        QTest::addColumn<QByteArray>("icoContents");
        QTest::addColumn<bool>("writeIco");
        QTest::newRow("no icon.ico") << QByteArray() << false;
        QTest::newRow("icon.ico that is no image") << QByteArray("not an icon") << true;
        QTest::newRow("empty icon.ico") << QByteArray() << true;
    }
    void builtInIconWithoutIcoFile()
    {
        QFETCH(QByteArray, icoContents);
        QFETCH(bool, writeIco);
        QTemporaryDir folder;
        if (writeIco) {
            QFile file(folder.filePath(QStringLiteral("icon.ico")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(icoContents);
        }
        const QIcon icon = Ui::applicationIcon(folder.path());
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.availableSizes(), builtInSizes);
        for (const QSize &size : builtInSizes) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            // The drawn block: transparent around it, solid in its middle.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QVERIFY(qAlpha(image.pixel(size.width() / 2, size.height() / 2)) > 200);
        }
    }

    void icoFileInTheFolderWins()
    {
        QTemporaryDir folder;
        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(QColor(0, 200, 0));
        QVERIFY(square.save(folder.filePath(QStringLiteral("icon.ico")), "ICO"));
        const QIcon icon = Ui::applicationIcon(folder.path());
        QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(24, 24)});
        QCOMPARE(icon.pixmap(24, 24).toImage().pixelColor(12, 12), QColor(0, 200, 0));
    }
};

QTEST_MAIN(tst_ApplicationIcon)
#include "tst_applicationicon.moc"
