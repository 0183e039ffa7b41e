#include "catalogtesthome.h"
#include "Model/Materials/materialfactory.h"

#include <QtTest>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {
QByteArray golden()
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/catalogues/materials.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class tst_MaterialFactory : public QObject {
    Q_OBJECT
private slots:
    void builtInTableIsWrittenByteForByte()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("materials.xml")), golden());
        QCOMPARE(factory->getMaterials().size(), 16);
        QCOMPARE(factory->getMaterial(3).name(), QStringLiteral("Thermal Si02"));
        QCOMPARE(factory->getMaterial(17).density(), 329.0f);
        QVERIFY(!QFile::exists(home.file(QStringLiteral("materials.xml.bak"))));
    }

    void fileReadThenWrittenIsReproduced()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("materials.xml"), golden());
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        factory->setMaterial(Material(1, QStringLiteral("changed"), 1, 1, 1));
        QVERIFY(factory->loadMaterials());
        QCOMPARE(factory->getMaterial(1).name(), QStringLiteral("Si"));
        QVERIFY(factory->saveMaterials());
        QCOMPARE(home.read(QStringLiteral("materials.xml")), golden());
    }

    void colorComponentsAreTruncated()
    {
        QCOMPARE(Model::Materials::colorToText({0.7f, 0.7f, 0.7f, 1.0f}), QStringLiteral("#FFB2B2B2"));
        QCOMPARE(Model::Materials::colorToText({0.0f, 0.5f, 1.0f, 0.0f}), QStringLiteral("#00007FFF"));
        const auto back = Model::Materials::colorFromText(QStringLiteral("#80FF0000"));
        QCOMPARE(back[0], 1.0f);
        QCOMPARE(back[1], 0.0f);
        QVERIFY(qAbs(back[3] - 128.0f / 255.0f) < 1e-6f);
        QCOMPARE(Model::Materials::formatNumber(1.88e11f), QStringLiteral("1.88e+11"));
        QCOMPARE(Model::Materials::formatNumber(0.28f), QStringLiteral("0.28"));
    }

    void unreadableFilesAreBackedUpAndReplaced_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("malformed") << QByteArray("<?xml version=\"1.0\"?>\n<Materials>\n<Material version=\"1\" "
                                                 "name=\"Mine\" material-id=\"2001\"");
        QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?>\n<Stuff/>\n");
        QTest::newRow("empty file") << QByteArray();
    }

    void unreadableFilesAreBackedUpAndReplaced()
    {
        QFETCH(QByteArray, contents);
        CatalogTestHome home;
        home.write(QStringLiteral("materials.xml"), contents);
        home.write(QStringLiteral("materials.xml.bak"), "an earlier backup");
        auto factory = MaterialFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("materials.xml")), golden());
        QCOMPARE(home.read(QStringLiteral("materials.xml.bak")), QByteArray("an earlier backup"));
        QCOMPARE(home.read(QStringLiteral("materials.xml.bak.1")), contents);
        QCOMPARE(factory->getMaterial(2001).id(), 0u);
    }

    void partialFileKeepsValidEntries()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("materials.xml"),
                   "<?xml version=\"1.0\"?>\n<Materials>\n"
                   "<Material version=\"1\" name=\"First\" material-id=\"2100\" density=\"5\" color=\"#FF000000\"/>\n"
                   "<Material version=\"1\" name=\"\" material-id=\"2101\"/>\n"
                   "<Material version=\"1\" name=\"Zero\" material-id=\"0\"/>\n"
                   "<Other name=\"X\" material-id=\"2102\"/>\n"
                   "<Material version=\"1\" name=\"Second\" material-id=\"2100\" poisson-ratio=\"0.5\"/>\n"
                   "<Material name=\"Twin\" material-id=\"2103\"/>\n"
                   "<Material name=\"Twin\" material-id=\"2104\"/>\n"
                   "</Materials>\n");
        auto factory = MaterialFactory::instance();
        QVERIFY(factory->loadMaterials());
        const Material later = factory->getMaterial(2100);
        QCOMPARE(later.name(), QStringLiteral("Second"));
        QCOMPARE(later.density(), 0.0f);
        QCOMPARE(later.poissonRatio(), 0.5f);
        QCOMPARE(later.color()[0], 0.5f);
        QCOMPARE(factory->getMaterial(2101).id(), 0u);
        QCOMPARE(factory->getMaterial(2102).id(), 0u);
        QCOMPARE(factory->getMaterialByName(QStringLiteral("Twin")).id(), 2103u);
        QCOMPARE(factory->getMaterialByName(QStringLiteral("twin")).name(), QStringLiteral("Empty"));
    }

    void setMaterialRefusesIdentifierZero()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        QVERIFY(!factory->setMaterial(Material(0, QStringLiteral("Nothing"), 1, 1, 1)));
        QCOMPARE(factory->getMaterials().size(), 16);
        const Material missing = factory->getMaterial(999);
        QCOMPARE(missing.id(), 0u);
        QCOMPARE(missing.name(), QStringLiteral("Empty"));
        QCOMPARE(missing.color()[3], 1.0f);
    }

    void generatedIdentifiersAreNewAndInRange()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        for (int i = 0; i < 200; ++i) {
            const uint32_t id = factory->generateMaterialId();
            QVERIFY(id >= 2000 && id <= 32766);
            QCOMPARE(factory->getMaterial(id).id(), 0u);
            factory->setMaterial(Material(id, QStringLiteral("New"), 1, 1, 1));
        }
        factory->createDefaultMaterials();
    }

    void unwritableFolderLeavesCatalogueAlone()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        QDir(home.folder()).removeRecursively();
        // A file where the folder should be: nothing can be written under it.
        QFile blocker(home.folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!factory->saveMaterials());
        QCOMPARE(factory->getMaterials().size(), 16);
    }
};

QTEST_GUILESS_MAIN(tst_MaterialFactory)
#include "tst_materialfactory.moc"
