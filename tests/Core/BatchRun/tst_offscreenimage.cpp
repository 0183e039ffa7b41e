// "Save Image" without a window: the image builds the surfaces it draws, a headless run gives them
// back afterwards, and cellforge-batch renders through an X server (Xvfb).
#include "Model/Display/offscreenimage.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "batchsteps.h"
#include "catalogtesthome.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QtTest>

#include <new>

using Model::Automaton::TotalVolume;
using Model::Surfaces::ShownSurfaces;
using Model::Surfaces::VolumeSurface;

class tst_OffscreenImage : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext context;
        if (!surface.isValid() || !context.create())
            QSKIP("needs an OpenGL context (a display or Xvfb)");
    }

    void surfacesLiveOnlyWhileDrawnWhenAsked_data()
    {
        QTest::addColumn<bool>("release");
        QTest::addColumn<bool>("memory");
        QTest::addColumn<int>("facesAfter");
        QTest::newRow("window keeps them") << false << true << 6;
        QTest::newRow("headless run gives them back") << true << true << 0;
        QTest::newRow("no memory for the surface: no image") << false << false << 0;
    }
    void surfacesLiveOnlyWhileDrawnWhenAsked()
    {
        QFETCH(bool, release);
        QFETCH(bool, memory);
        QFETCH(int, facesAfter);
        Model::Document document;
        auto volume = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
        document.addObject(volume);
        // The surfaces of a window that draws its image off screen.
        const auto shown = std::make_shared<ShownSurfaces>();
        QCOMPARE(shown->of(volume)->opaqueFaceCount(), size_t(0));
        Model::Display::OffscreenImage image(64, 48);
        image.setSurfaces(shown);
        image.setReleaseSurfaces(release);
        const QString file = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
        if (!memory)
            VolumeSurface::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
        QString error;
        const bool saved = image.save(document, file, &error);
        VolumeSurface::setGenerationProbe({});
        QCOMPARE(saved, memory);
        QCOMPARE(error,
                 memory ? QString() : QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        QCOMPARE(QFile::exists(file), memory);
        QCOMPARE(QImage(file).size(), memory ? QSize(64, 48) : QSize(0, 0));
        QCOMPARE(int(shown->of(volume)->opaqueFaceCount()), facesAfter);
    }

    void commandLineRendersTheImage()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server, e.g. xvfb-run -a ctest -L gl");
        // The list names the image in the images folder given on the command line.
        const QString image = m_dir.filePath(QStringLiteral("stack.png"));
        const QString list =
            writeFile(m_dir, QStringLiteral("image.plst"),
                      listXml(stepXml(BatchSteps::sphereSubstrate(6, 3, 3, 3, 2)) +
                              stepXml(batchStep(Core::BatchRun::SaveImage, {{"Filename", "stack.png"}}))));
        writeFile(m_dir, QStringLiteral("stack.png"), "an older image");
        const QStringList arguments{list, QStringLiteral("--images"), m_dir.path()};
        BatchResult r = runBatch(arguments, QString(), qEnvironmentVariable("DISPLAY"));
        QCOMPARE(r.exitCode, 4); // it would replace a file
        QCOMPARE(readFile(image), QByteArray("an older image"));
        r = runBatch(arguments + QStringList{QStringLiteral("--overwrite-images")}, QString(),
                     qEnvironmentVariable("DISPLAY"));
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QImage saved(image);
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

QTEST_MAIN(tst_OffscreenImage)
#include "tst_offscreenimage.moc"
