#include "Model/Materials/materialfactory.h"
#include "catalogtesthome.h"
#include "filesizelimit.h"
#include "fullcatalogue.h"

#include <QtTest>

#include <unistd.h>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {
QByteArray golden()
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/catalogues/materials.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray userCatalogue()
{
    return "<?xml version=\"1.0\"?>\n<Materials>\n<Material version=\"1\" name=\"Mine\" material-id=\"2001\" "
           "density=\"5\"/>\n</Materials>\n";
}

QStringList folderEntries(const CatalogTestHome &home)
{
    return QDir(home.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
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
        QCOMPARE(factory->startUpReport(), QString());
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
        QCOMPARE(factory->startUpReport(), QString());
    }

    void unreadableFileIsLeftAlone_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("no read permission") << false;
    }

    void unreadableFileIsLeftAlone()
    {
        QFETCH(bool, folder);
        CatalogTestHome home;
        const QString path = home.file(QStringLiteral("materials.xml"));
        if (folder) {
            QVERIFY(QDir().mkpath(path));
            home.write(QStringLiteral("materials.xml/notes"), userCatalogue());
        } else {
            if (geteuid() == 0)
                QSKIP("root reads a file whatever its permissions");
            home.write(QStringLiteral("materials.xml"), userCatalogue());
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
        auto factory = MaterialFactory::instance();
        factory->setMaterial(Material(2002, QStringLiteral("From before"), 1, 1, 1));
        factory->startUp();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        // The built-in table in memory, the file untouched and not copied, and the user told why.
        QCOMPARE(factory->getMaterials().size(), 16);
        QCOMPARE(factory->getMaterial(2002).id(), 0u);
        QCOMPARE(QFileInfo(path).isDir(), folder);
        QCOMPARE(home.read(folder ? QStringLiteral("materials.xml/notes") : QStringLiteral("materials.xml")),
                 userCatalogue());
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("materials.xml")});
        const QString report = factory->startUpReport();
        QVERIFY2(report.startsWith(QStringLiteral("The material catalogue \"%1\" could not be loaded: it could not be "
                                                  "read (")
                                       .arg(path)),
                 qPrintable(report));
        QVERIFY2(report.contains(QLatin1String("built-in materials")), qPrintable(report));
    }

    void fileThatCannotBeCopiedAsideIsLeftAlone()
    {
        CatalogTestHome home;
        // Damaged, and larger than any file the test lets itself write: the copy fails as on a full
        // disk, while the much smaller built-in table could still be written over it.
        const QByteArray damaged = "<?xml version=\"1.0\"?>\n<Materials>\n<!-- " + QByteArray(64 * 1024, 'x') +
                                   " -->\n<Material name=\"Mine\" material-id=\"2001\"";
        home.write(QStringLiteral("materials.xml"), damaged);
        auto factory = MaterialFactory::instance();
        {
            FileSizeLimit limit(16 * 1024);
            QVERIFY(limit.isActive());
            factory->startUp();
        }
        QCOMPARE(home.read(QStringLiteral("materials.xml")), damaged);
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("materials.xml")});
        QCOMPARE(factory->getMaterials().size(), 16);
        const QString report = factory->startUpReport();
        QVERIFY2(report.contains(QLatin1String("could not be loaded: it could not be copied aside (")),
                 qPrintable(report));

        // Accepting the Manage Materials dialog is the explicit save that may replace it.
        QVERIFY(factory->saveMaterials());
        QCOMPARE(home.read(QStringLiteral("materials.xml")), golden());
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
            const std::optional<uint32_t> id = factory->generateMaterialId();
            QVERIFY(id);
            QVERIFY(*id >= 2000 && *id <= 32766);
            QCOMPARE(factory->getMaterial(*id).id(), 0u);
            factory->setMaterial(Material(*id, QStringLiteral("New"), 1, 1, 1));
        }
        factory->createDefaultMaterials();
    }

    void noIdentifierWhenEveryOneIsTaken()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        takeNewMaterialIds();
        const std::optional<uint32_t> id = factory->generateMaterialId();
        factory->createDefaultMaterials();
        QVERIFY2(!id, qPrintable(QString::number(id.value_or(0))));
    }

    void lastFreeIdentifiersAreFound_data()
    {
        QTest::addColumn<QList<uint32_t>>("free");
        QTest::addColumn<QList<uint32_t>>("reserved");
        QTest::addColumn<uint>("expected"); // 0: none
        QTest::newRow("lowest") << QList<uint32_t>{2000} << QList<uint32_t>{} << 2000u;
        QTest::newRow("highest") << QList<uint32_t>{32766} << QList<uint32_t>{} << 32766u;
        QTest::newRow("in between") << QList<uint32_t>{17383} << QList<uint32_t>{} << 17383u;
        QTest::newRow("one of two reserved") << QList<uint32_t>{5000, 6000} << QList<uint32_t>{5000} << 6000u;
        QTest::newRow("both reserved") << QList<uint32_t>{5000, 6000} << QList<uint32_t>{6000, 5000} << 0u;
    }

    void lastFreeIdentifiersAreFound()
    {
        QFETCH(QList<uint32_t>, free);
        QFETCH(QList<uint32_t>, reserved);
        QFETCH(uint, expected);
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        takeNewMaterialIds(QSet<uint32_t>(free.begin(), free.end()));
        const std::optional<uint32_t> id =
            factory->generateMaterialId(QSet<uint32_t>(reserved.begin(), reserved.end()));
        factory->createDefaultMaterials();
        QCOMPARE(id.value_or(0), expected);
    }

    void nameLookupFollowsEveryChange()
    {
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        auto byName = [&factory](const char *name) { return factory->getMaterialByName(QLatin1String(name)).id(); };
        factory->setMaterial(Material(2200, QStringLiteral("Twin"), 1, 1, 1));
        factory->setMaterial(Material(2100, QStringLiteral("Twin"), 1, 1, 1));
        QCOMPARE(byName("Twin"), 2100u);
        // Renaming the first passes the name on to the next in identifier order.
        factory->setMaterial(Material(2100, QStringLiteral("Single"), 1, 1, 1));
        QCOMPARE(byName("Twin"), 2200u);
        QCOMPARE(byName("Single"), 2100u);
        factory->setMaterial(Material(2200, QStringLiteral("Other"), 1, 1, 1));
        QCOMPARE(byName("Twin"), 0u);
        // A built-in name given to a user material: the built-in one still comes first.
        factory->setMaterial(Material(2300, QStringLiteral("Si"), 1, 1, 1));
        QCOMPARE(byName("Si"), 1u);
        factory->setMaterial(Material(1, QStringLiteral("Silicon"), 1, 1, 1));
        QCOMPARE(byName("Si"), 2300u);
        QCOMPARE(factory->getMaterialByName(QStringLiteral("Silicon")).density(), 1.0f);
        // A fresh table forgets every name of the old one.
        factory->createDefaultMaterials();
        QCOMPARE(byName("Single"), 0u);
        QCOMPARE(byName("Si"), 1u);
        QCOMPARE(byName(""), 0u);
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
