#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// "Save Image" steps of the command-line runner, where an X server (Xvfb) gives an OpenGL context.
class tst_BatchImage : public QObject {
    Q_OBJECT
private slots:
    void imageIsRenderedOffScreen()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server, e.g. xvfb-run -a ctest -L gl");
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("stack.png"));
        QFile list(dir.filePath(QStringLiteral("image.plst")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("<Process-List version=\"1\"><Materials><Material name=\"Si\" material-id=\"1\" "
                   "color=\"#FF7F7F7F\"/></Materials><Process-Data process-type=\"11\">"
                   "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
                   "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
                   "parameter-data=\"\"/>"
                   "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"6\"/>"
                   "<Parameter parameter-name=\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"6\"/>"
                   "<Parameter parameter-name=\"Volume Size Z\" parameter-type=\"uint\" parameter-data=\"6\"/>"
                   "<Parameter parameter-name=\"SphericalSubstrate\" parameter-type=\"bool\" parameter-data=\"true\"/>"
                   "<Parameter parameter-name=\"Substrate Center X\" parameter-type=\"uint\" parameter-data=\"3\"/>"
                   "<Parameter parameter-name=\"Substrate Center Y\" parameter-type=\"uint\" parameter-data=\"3\"/>"
                   "<Parameter parameter-name=\"Substrate Center Z\" parameter-type=\"uint\" parameter-data=\"3\"/>"
                   "<Parameter parameter-name=\"Substrate Radius\" parameter-type=\"uint\" parameter-data=\"2\"/>"
                   "</Process-Data><Process-Data process-type=\"10\"><Parameter parameter-name=\"Filename\" "
                   "parameter-type=\"QString\" parameter-data=\"" +
                   image.toUtf8() + "\"/></Process-Data></Process-List>");
        list.close();
        QProcess process;
        process.start(QStringLiteral(CELLFORGE_BATCH), {list.fileName()});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 0);
        const QImage saved(image);
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), QSize(1024, 768));
        // The ball is drawn: the picture is not all background.
        const QRgb corner = saved.pixel(0, 0);
        int drawn = 0;
        for (int y = 0; y < saved.height(); y += 4)
            for (int x = 0; x < saved.width(); x += 4)
                drawn += saved.pixel(x, y) != corner ? 1 : 0;
        QVERIFY(drawn > 100);
    }
};

QTEST_GUILESS_MAIN(tst_BatchImage)
#include "tst_batchimage.moc"
