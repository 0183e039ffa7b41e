#include "Core/Operations/opendocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Persistence/documentarchive.h"
#include "catalogtesthome.h"

#include <QTemporaryDir>
#include <QtTest>

#include <new>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;

namespace {
const QString outOfMemory = QStringLiteral("Not enough memory to draw the surface of this cell volume.");

// Makes every surface generation run out of memory while it lives.
class OutOfMemory {
public:
    OutOfMemory()
    {
        TotalVolumePainter::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
    }
    ~OutOfMemory() { TotalVolumePainter::setGenerationProbe({}); }
};
} // namespace

// A surface that cannot be generated leaves the volume blank and the user is told, once.
class tst_SurfaceFailure : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void theWindowReportsAFailedSurfaceOnce()
    {
        Core::Workspace workspace;
        QStringList reported;
        workspace.setErrorReporter([&reported](const QString &, const QString &text) { reported << text; });
        auto volume = std::make_shared<TotalVolume>(3, 3, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
        workspace.document().addObject(volume);
        {
            OutOfMemory failing;
            QVERIFY(!volume->painter().regenerateSurface());
        }
        QVERIFY(reported.isEmpty());
        workspace.notifyUpdate();
        QCOMPARE(reported, QStringList{outOfMemory});
        workspace.notifyUpdate();
        QCOMPARE(reported.size(), 1);
        QCOMPARE(volume->painter().opaqueFaceCount(), size_t(0));
    }

    void openingADocumentWithoutMemoryForItsSurface()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("cube.cfw"));
        {
            Model::Document document;
            document.addObject(std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
            QVERIFY(
                Model::Persistence::saveDocumentFile(file, document, Model::Persistence::ArchiverRegistry::standard()));
        }
        Core::Workspace window;
        QStringList reported;
        window.setErrorReporter([&reported](const QString &, const QString &text) { reported << text; });
        OutOfMemory failing;
        const auto result = Core::Operations::OpenDocumentOperation::loadFile(window, file, {});
        // The document is open with its cells; only the surface is missing, and the user knows why.
        QVERIFY(result.ok);
        QCOMPARE(window.document().allObjects().size(), 1);
        QCOMPARE(reported, QStringList{outOfMemory});
    }
};

QTEST_GUILESS_MAIN(tst_SurfaceFailure)
#include "tst_surfacefailure.moc"
