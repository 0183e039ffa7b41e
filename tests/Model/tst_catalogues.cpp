// The material and process catalogues: their files in ~/Cellforge and the entries they hold.
#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Model/Surfaces/surfacemesh.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "filesizelimit.h"
#include "fulldisk.h"

#include <QtTest>

#include <optional>

using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Process::Process;
using Model::Process::ProcessFactory;

namespace {

// Either catalogue, the material one when `m` holds, through the calls both have.
QString fileOf(bool m) { return m ? QStringLiteral("materials.xml") : QStringLiteral("processes.xml"); }
int builtInCount(bool m) { return m ? 17 : 18; }
void startUp(bool m) { m ? MaterialFactory::instance()->startUp() : ProcessFactory::instance()->startUp(); }
bool load(bool m)
{
    return m ? MaterialFactory::instance()->loadMaterials() : ProcessFactory::instance()->loadProcesses();
}
bool save(bool m)
{
    return m ? MaterialFactory::instance()->saveMaterials() : ProcessFactory::instance()->saveProcesses();
}
QString report(bool m)
{
    return (m ? MaterialFactory::instance()->startUpReport() : ProcessFactory::instance()->startUpReport());
}
int entryCount(bool m)
{
    return m ? MaterialFactory::instance()->getMaterials().size() : ProcessFactory::instance()->getProcesses().size();
}

QByteArray golden(bool materials)
{
    return fileContents(QStringLiteral(TEST_DATA_DIR "/catalogues/") + fileOf(materials));
}

QStringList folderEntries(const CatalogTestHome &home)
{
    return QDir(home.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray processFile(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Processes>\n" + body + "</Processes>\n";
}

// The built-in process table with a hand edit that the reader drops: a comment before the first process.
QByteArray processesWithComment(const QByteArray &comment)
{
    return golden(false).replace("<Processes>\n", "<Processes>\n<!-- " + comment + " -->\n");
}

enum How { Plain, Folder, TooLarge }; // the file, a folder in its place, too large to copy

} // namespace

class tst_Catalogues : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->createDefaultMaterials();
        ProcessFactory::instance()->createDefaultProcesses();
    }

    void cleanup()
    {
        MaterialFactory::instance()->createDefaultMaterials();
        ProcessFactory::instance()->createDefaultProcesses();
    }

    void startUpWithTheFileFound_data()
    {
        QTest::addColumn<bool>("materials");
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("reason"); // how the start-up report begins; empty: no report
        // Larger than any file the test lets itself write: the copy fails as on a full disk while the much smaller
        // catalogue could still be written over it.
        const QByteArray padding(64 * 1024, 'x');
        // A catalogue that cannot be loaded is copied aside and replaced, never without a word.
        const QString copied = "material catalogue \"%1\" could not be loaded (%2). It was copied to \"%1.bak.1\"; "
                               "Cellforge uses its built-in materials in its place.";
        QTest::newRow("materials: no file") << true << QByteArray() << int(Plain) << QString();
        QTest::newRow("materials: cut short")
            << true << QByteArray("<?xml version=\"1.0\"?>\n<Materials>\n<Material version=\"1\" name=\"Mine\"")
            << int(Plain) << copied.arg("%1", "line 3: Premature end of document.");
        QTest::newRow("materials: wrong root") << true << QByteArray("<?xml version=\"1.0\"?>\n<Stuff/>\n")
                                               << int(Plain) << copied.arg("%1", "it holds no <Materials> element");
        QTest::newRow("processes: cut short")
            << false << processFile("<Process version=\"1\" name=\"Mine\"").chopped(13) << int(Plain)
            << QString(copied)
                   .replace("material catalogue", "process catalogue")
                   .replace("built-in materials", "built-in processes")
                   .arg("%1", "line 3: Premature end of document.");
        QTest::newRow("processes: comment") << false << processesWithComment("my notes") << int(Plain) << QString();
        QTest::newRow("processes: a process the reader rejects")
            << false
            << processFile("<Process version=\"1.0\" name=\"My Etch\" process-id=\"40\">"
                           "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n")
            << int(Plain) << QString();
        QTest::newRow("materials: a folder in its place")
            << true << QByteArray("mine") << int(Folder)
            << "material catalogue \"%1\" could not be loaded: it could not be read (";
        QTest::newRow("materials: damaged and too large to copy")
            << true << "<?xml version=\"1.0\"?>\n<Materials>\n<!-- " + padding + " -->\n<Material name=\"Mine\""
            << int(TooLarge) << "material catalogue \"%1\" could not be loaded: it could not be copied aside (";
        QTest::newRow("processes: a hand edit too large to copy")
            << false << processesWithComment(padding) << int(TooLarge)
            << "process catalogue \"%1\" differs from what Cellforge writes in its place, but it could not be copied "
               "aside (";
    }

    void startUpWithTheFileFound()
    {
        QFETCH(bool, materials);
        QFETCH(QByteArray, contents);
        QFETCH(int, how);
        QFETCH(QString, reason);
        CatalogTestHome home;
        const QString file = fileOf(materials);
        const QString path = home.file(file);
        home.write(file + ".bak", "an earlier backup");
        if (how == Folder) { // nothing of an earlier table may stay
            QVERIFY(QDir().mkpath(path));
            home.write(file + "/notes", contents);
            MaterialFactory::instance()->setMaterial(Material(2002, QStringLiteral("From before"), 1, 1, 1));
            ProcessFactory::instance()->setProcess(Process(QStringLiteral("From before"), 2002));
        } else if (!contents.isNull()) {
            home.write(file, contents);
        }
        {
            std::optional<FileSizeLimit> limit;
            if (how == TooLarge)
                QVERIFY(limit.emplace(16 * 1024).isActive());
            startUp(materials);
        }
        QCOMPARE(entryCount(materials), builtInCount(materials));
        const QString said = report(materials);
        QVERIFY2(reason.isEmpty() ? said.isEmpty() : said.startsWith("The " + reason.arg(path)), qPrintable(said));
        QStringList entries{file, file + ".bak"};
        if (how == Plain) {
            // Replaced by the (completed) built-in table after a copy aside; the next start copies nothing.
            QCOMPARE(home.read(file), golden(materials));
            if (!contents.isNull())
                entries << file + ".bak.1";
            QCOMPARE(home.read(file + ".bak.1"), contents);
            startUp(materials);
        } else {
            // Left as it is and not copied, until the catalogue's dialog saves explicitly.
            QCOMPARE(home.read(how == Folder ? file + "/notes" : file), contents);
            QCOMPARE(QFileInfo(path).isDir(), how == Folder);
        }
        QCOMPARE(home.read(file + ".bak"), QByteArray("an earlier backup"));
        QCOMPARE(folderEntries(home), entries);
        if (how != Folder) {
            QVERIFY(save(materials));
            QCOMPARE(home.read(file), golden(materials));
        }
    }

    // A disk that fills up while a large catalogue is saved: the save fails in the system's words and the next start
    // finds the earlier file whole.
    void saveOnAFullDiskKeepsTheEarlierFile()
    {
        for (const bool materials : {true, false}) {
            FullDisk disk;
            const QByteArray oldHome = qgetenv("HOME");
            qputenv("HOME", QFile::encodeName(disk.path()));
            const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
            QVERIFY(QDir(disk.path()).mkdir(QStringLiteral("Cellforge")));
            const QString path = disk.filePath(QStringLiteral("Cellforge/") + fileOf(materials));
            QVERIFY(writeFileContents(path, golden(materials)));
            for (uint32_t id = 2000; id < 2200; ++id) { // some 30 KB of text
                MaterialFactory::instance()->setMaterial(Material(id, QStringLiteral("Mine %1").arg(id), 1, 1, 0.3f));
                ProcessFactory::instance()->setProcess(Process(QStringLiteral("Mine %1").arg(id), id, {1, 3}));
            }
            QString error;
            {
                const auto limit = disk.whileWriting();
                QVERIFY(!(materials ? MaterialFactory::instance()->saveMaterials(&error)
                                    : ProcessFactory::instance()->saveProcesses(&error)));
            }
            QCOMPARE(error, disk.reason());
            QCOMPARE(fileContents(path), golden(materials));
            QCOMPARE(QDir(disk.path() + QStringLiteral("/Cellforge")).entryList(QDir::Files | QDir::Hidden),
                     QStringList{fileOf(materials)});
            QVERIFY(load(materials)); // what the next start reads
        }
    }

    void loadingThenSavingReproducesTheFile()
    {
        for (const bool materials : {true, false}) {
            CatalogTestHome home;
            home.write(fileOf(materials), golden(materials));
            MaterialFactory::instance()->setMaterial(Material(1, QStringLiteral("changed"), 1, 1, 1));
            ProcessFactory::instance()->setProcess(Process(QStringLiteral("changed"), 1));
            QVERIFY(load(materials) && save(materials));
            QCOMPARE(home.read(fileOf(materials)), golden(materials));
            // A file where the folder should be: nothing can be written under it, the table stays.
            QDir(home.folder()).removeRecursively();
            QVERIFY(writeFileContents(home.folder(), QByteArray()));
            QVERIFY(!save(materials));
            QCOMPARE(entryCount(materials), builtInCount(materials));
            QVERIFY(QFileInfo(home.folder()).isFile());
        }
    }

    void partialMaterialFileKeepsValidEntries()
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
                   "<Material name=\"Top\" material-id=\"32766\"/>\n"
                   "<Material name=\"Huge\" material-id=\"32767\"/>\n"
                   "<Material name=\"Vast\" material-id=\"4294967295\"/>\n"
                   "</Materials>\n");
        auto factory = MaterialFactory::instance();
        QVERIFY(factory->loadMaterials());
        // A cell holds identifiers up to 32766: larger ones are left out, and the start-up report says so.
        QCOMPARE(factory->getMaterial(32766).name(), QStringLiteral("Top"));
        QCOMPARE(factory->getMaterialByName(QStringLiteral("Huge")).id(), 0u);
        QCOMPARE(factory->startUpReport(),
                 QStringLiteral("The material catalogue \"%1\" holds materials that no cell can hold, as material "
                                "identifiers go up to 32766; they were left out: \"Huge\" (identifier 32767), \"Vast\" "
                                "(identifier 4294967295).")
                     .arg(QDir::toNativeSeparators(home.file(QStringLiteral("materials.xml")))));
        QVERIFY(!factory->setMaterial(Material(32767, QStringLiteral("Huge"), 1, 1, 1)));
        const Material later = factory->getMaterial(2100);
        QCOMPARE(later.name(), QStringLiteral("Second"));
        QCOMPARE(later.density(), 0.0f);
        QCOMPARE(later.poissonRatio(), 0.5f);
        QCOMPARE(later.color()[0], 0.5f);
        QCOMPARE(factory->getMaterial(2101).id(), 0u);
        QCOMPARE(factory->getMaterial(2102).id(), 0u);
        QCOMPARE(factory->getMaterialByName(QStringLiteral("Twin")).id(), 2103u);
        QCOMPARE(factory->getMaterialByName(QStringLiteral("twin")).name(), QStringLiteral("Empty"));
        // Identifier 0 is refused; an unknown identifier gives the opaque "Empty" material.
        QVERIFY(!factory->setMaterial(Material(0, QStringLiteral("Nothing"), 1, 1, 1)));
        QCOMPARE(factory->getMaterial(999).name(), QStringLiteral("Empty"));
        QCOMPARE(factory->getMaterial(999).color()[3], 1.0f);
    }

    // The face colours of a fresh HOME (the built-in table) are those after the catalogue was written
    // and read again: Si is 127 grey either way, as stored catalogues have it ("#FF7F7F7F").
    void coloursDoNotDependOnWhetherTheCatalogueWasSaved()
    {
        using Model::Automaton::SurfaceMesh;
        CatalogTestHome home;
        auto factory = MaterialFactory::instance();
        factory->createDefaultMaterials();
        QMap<uint32_t, SurfaceMesh::Rgb> fresh;
        for (const Material &m : factory->getMaterials())
            fresh.insert(m.id(), SurfaceMesh::rgb(m.color()));
        QCOMPARE(fresh.value(1), (SurfaceMesh::Rgb{127, 127, 127}));
        QVERIFY(factory->saveMaterials() && factory->loadMaterials());
        QCOMPARE(home.read(QStringLiteral("materials.xml")), golden(true));
        for (const Material &m : factory->getMaterials())
            QCOMPARE(SurfaceMesh::rgb(m.color()), fresh.value(m.id()));
        // Every byte goes to text and back unchanged, and so does a colour between two bytes.
        for (int b = 0; b < 256; ++b) {
            const auto color = Model::Materials::colorFromBytes(b, 255 - b, b / 2, b);
            const QString text = Model::Materials::colorToText(color);
            QCOMPARE(Model::Materials::colorToText(Model::Materials::colorFromText(text)), text);
            QCOMPARE(Model::Materials::colorFromText(text), color);
        }
        QCOMPARE(Model::Materials::colorToText({0.5f, 0.3f, 1.0f, 1.0f}), QStringLiteral("#FF804DFF"));
    }

    void nameLookupFollowsEveryChange()
    {
        auto factory = MaterialFactory::instance();
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
        // A fresh table forgets every name of the old one.
        factory->createDefaultMaterials();
        QCOMPARE(byName("Single"), 0u);
    }

    // A catalogue written before the fluorocarbon polymer was built in gains it at start-up, unless
    // the catalogue gave its identifier to a material of its own; the file stays as it is.
    void olderMaterialFileGainsTheLaterBuiltIns_data()
    {
        QTest::addColumn<QByteArray>("entry18"); // the catalogue's own material 18, or nothing
        QTest::addColumn<QString>("name");       // the name material 18 then has
        QTest::newRow("without 18") << QByteArray() << QStringLiteral("Fluorocarbon Polymer");
        QTest::newRow("18 is the user's")
            << QByteArray("<Material version=\"1\" name=\"Mine\" material-id=\"18\"/>\n") << QStringLiteral("Mine");
    }
    void olderMaterialFileGainsTheLaterBuiltIns()
    {
        QFETCH(QByteArray, entry18);
        QFETCH(QString, name);
        CatalogTestHome home;
        QByteArray older = golden(true);
        const int line = older.indexOf("    <Material version=\"1\" name=\"Fluorocarbon Polymer\"");
        QVERIFY(line > 0);
        older = older.left(line) + entry18 + "</Materials>\n";
        home.write(QStringLiteral("materials.xml"), older);
        auto factory = MaterialFactory::instance();
        factory->startUp();
        QCOMPARE(factory->getMaterial(18).name(), name);
        QCOMPARE(entryCount(true), 17);
        QCOMPARE(home.read(QStringLiteral("materials.xml")), older);
        QCOMPARE(folderEntries(home), QStringList{QStringLiteral("materials.xml")});
    }

    void partialProcessFileIsCompletedAndRewritten()
    {
        CatalogTestHome home;
        const QByteArray mine = processFile("<Process version=\"1\" name=\"Planarization\" process-id=\"7\">"
                                            "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n");
        home.write(QStringLiteral("processes.xml"), mine);
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(7).compatibleMaterialIds(), (QList<uint32_t>{1, 3}));
        const QByteArray written = home.read(QStringLiteral("processes.xml"));
        QCOMPARE(written.count("<Process "), 18);
        QVERIFY(written.contains("<CompatibleMaterials>1;3</CompatibleMaterials>"));
        QCOMPARE(home.read(QStringLiteral("processes.xml.bak")), mine);
    }

    void rejectedProcessesAndDuplicates()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"x\" name=\"BadVersion\" process-id=\"41\"/>\n"
                               "<Process version=\"1\" name=\"\" process-id=\"42\"/>\n"
                               "<Process version=\"1\" name=\"Zero\" process-id=\"0\"/>\n"
                               "<Process version=\"1\" name=\"Early\" process-id=\"43\">"
                               "<CompatibleMaterials>1</CompatibleMaterials></Process>\n"
                               "<Process version=\"1\" name=\"Late\" process-id=\"43\">"
                               "<CompatibleMaterials>3</CompatibleMaterials></Process>\n"
                               "<Process version=\"1\" name=\"NoList\" process-id=\"44\"/>\n"
                               "<Process version=\"1\" name=\"Skips\" process-id=\"45\">"
                               "<CompatibleMaterials>1;;abc;14;</CompatibleMaterials></Process>\n"));
        auto factory = ProcessFactory::instance();
        QVERIFY(factory->loadProcesses());
        QCOMPARE(factory->getProcess(41).id(), 0u);
        QCOMPARE(factory->getProcess(42).id(), 0u);
        QCOMPARE(factory->getProcess(43).name(), QStringLiteral("Late"));
        QCOMPARE(factory->getProcess(43).compatibleMaterialIds(), QList<uint32_t>{3});
        QCOMPARE(factory->getProcess(44).name(), QStringLiteral("NoList"));
        QVERIFY(factory->getProcess(44).compatibleMaterialIds().isEmpty());
        QCOMPARE(factory->getProcess(45).compatibleMaterialIds(), (QList<uint32_t>{1, 14}));
        QVERIFY(!factory->setProcess(Process(QStringLiteral("none"), 0)));
        QCOMPARE(factory->getProcess(1000).name(), QString());
        // Compatible materials the material catalogue does not know are skipped.
        const auto materials = Process(QStringLiteral("P"), 50, {1, 999, 3}).compatibleMaterials();
        QCOMPARE(materials.size(), 2);
        QCOMPARE(materials.at(1).name(), QStringLiteral("Thermal Si02"));
    }
};

QTEST_GUILESS_MAIN(tst_Catalogues)
#include "tst_catalogues.moc"
