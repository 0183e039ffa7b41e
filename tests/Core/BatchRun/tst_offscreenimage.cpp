// "Save Image" without a window: the image builds the surfaces it draws, a headless run gives them
// back afterwards, and cellforge-batch renders through an X server (Xvfb).
#include "Core/BatchRun/offscreenimage.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/document.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "catalogtesthome.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QtTest>

#include <new>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;
using Ui::ProcessData;

class tst_OffscreenImage : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

    std::shared_ptr<TotalVolume> addCell(Model::Document &document)
    {
        auto volume = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
        document.addObject(volume);
        return volume;
    }

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
        QTest::addColumn<int>("facesAfter");
        QTest::newRow("window keeps them") << false << 6;
        QTest::newRow("headless run gives them back") << true << 0;
    }
    void surfacesLiveOnlyWhileDrawnWhenAsked()
    {
        QFETCH(bool, release);
        QFETCH(int, facesAfter);
        Model::Document document;
        auto volume = addCell(document);
        QCOMPARE(volume->painter().opaqueFaceCount(), size_t(0));
        Core::BatchRun::OffscreenImage image(64, 48);
        image.setReleaseSurfaces(release);
        const QString file = m_dir.filePath(QStringLiteral("cell.png"));
        QString error;
        QVERIFY2(image.save(document, file, &error), qPrintable(error));
        QCOMPARE(QImage(file).size(), QSize(64, 48));
        QCOMPARE(int(volume->painter().opaqueFaceCount()), facesAfter);
    }

    void aSurfaceWithoutMemoryFailsTheImage()
    {
        Model::Document document;
        addCell(document);
        const QString file = m_dir.filePath(QStringLiteral("none.png"));
        TotalVolumePainter::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
        QString error;
        const bool saved = Core::BatchRun::OffscreenImage().save(document, file, &error);
        TotalVolumePainter::setGenerationProbe({});
        QVERIFY(!saved);
        QCOMPARE(error, QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        QVERIFY(!QFile::exists(file));
    }

    void commandLineRendersTheImage()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server, e.g. xvfb-run -a ctest -L gl");
        const QString image = m_dir.filePath(QStringLiteral("stack.png"));
        ProcessData ball = boxSubstrate(6, 6, 6, 1);
        ball.setParameter(QStringLiteral("SphericalSubstrate"), true, false);
        for (const char *axis : {"X", "Y", "Z"})
            ball.setParameter(QStringLiteral("Substrate Center ") + QLatin1String(axis), 3u, true);
        ball.setParameter(QStringLiteral("Substrate Radius"), 2u, true);
        const QString list =
            writeFile(m_dir, QStringLiteral("image.plst"),
                      listXml(stepXml(ball) + stepXml(batchStep(Core::BatchRun::SaveImage, {{"Filename", image}}))));
        const BatchResult r = runBatch({list}, QString(), qEnvironmentVariable("DISPLAY"));
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
