#include "Core/BatchRun/offscreenimage.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/document.h"
#include "catalogtesthome.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QtTest>

#include <new>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;

// "Save Image" without a window: the image builds the surfaces it draws, and a headless run
// gives them back afterwards.
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
        QTest::addColumn<int>("facesAfter");
        QTest::newRow("window keeps them") << false << 6;
        QTest::newRow("headless run gives them back") << true << 0;
    }
    void surfacesLiveOnlyWhileDrawnWhenAsked()
    {
        QFETCH(bool, release);
        QFETCH(int, facesAfter);
        Model::Document document;
        auto volume = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
        document.addObject(volume);
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
        document.addObject(std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        const QString file = m_dir.filePath(QStringLiteral("none.png"));
        TotalVolumePainter::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
        QString error;
        const bool saved = Core::BatchRun::OffscreenImage().save(document, file, &error);
        TotalVolumePainter::setGenerationProbe({});
        QVERIFY(!saved);
        QCOMPARE(error, QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_MAIN(tst_OffscreenImage)
#include "tst_offscreenimage.moc"
