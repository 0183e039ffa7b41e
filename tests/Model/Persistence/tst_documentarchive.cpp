#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/Persistence/statetext.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "fullcatalogue.h"
#include "fulldisk.h"
#include "testobject.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <tuple>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using namespace Model::Persistence;
using States = std::vector<uint32_t>;

Q_DECLARE_METATYPE(States)

namespace {

QString dataFile(const char *name) { return QStringLiteral(TEST_DATA_DIR "/persistence/") + QLatin1String(name); }

QByteArray toText(const QList<Material> &materials, const QList<Model::ObjectPtr> &objects)
{
    QByteArray text;
    QXmlStreamWriter writer(&text);
    writeDocument(writer, materials, objects, ArchiverRegistry::standard());
    return text;
}

States states(const TotalVolumePtr &volume) { return volume ? cellStates(*volume) : States(); }

QList<TotalVolumePtr> volumes(const Model::Document &document)
{
    QList<TotalVolumePtr> result;
    for (const auto &object : document.allObjects())
        result << std::dynamic_pointer_cast<TotalVolume>(object);
    return result;
}

// Reads a text (or a file) into a fresh scene, with the given answer to conflicts.
struct Load {
    Model::Document document;
    MaterialTranslationTable table;
    ArchiverRegistry registry = ArchiverRegistry::standard(); // kept across documents, like a window's
    int conflicts = 0;
    DocumentReadResult result;

    Load(const QByteArray &text, std::optional<ConflictDecision> answer = std::nullopt)
    {
        QXmlStreamReader reader(text);
        run(reader, answer);
    }
    void run(QXmlStreamReader &reader, std::optional<ConflictDecision> answer)
    {
        MaterialReconciler reconciler(table, [this, answer](const Material &, const Material &) {
            ++conflicts;
            return answer;
        });
        DocumentReader documentReader(registry, reconciler);
        result = documentReader.read(reader, document);
    }
    TotalVolumePtr volume(int i = 0) const { return volumes(document).value(i); }
};

QByteArray volumeDocument(const QByteArray &objectAttributes, const QByteArray &children)
{
    return "<?xml version=\"1.0\"?><Document><Header version=\"1\"/><Object object-type=\"1\" " + objectAttributes +
           ">" + children + "</Object></Document>";
}

} // namespace

class tst_DocumentArchive : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void init() { MaterialFactory::instance()->createDefaultMaterials(); }

    void writtenTextIsExact()
    {
        auto volume = std::make_shared<TotalVolume>(2, 1, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        QCOMPARE(toText({MaterialFactory::instance()->getMaterial(1)}, {volume}),
                 fileContents(dataFile("example_2x1x3.cfw")));
        // Cells in the volume's order, z fastest; cell (1, 0, 2) is the sixth number.
        States numbers{10, 11, 12, 13, 14, 15};
        volume = std::make_shared<TotalVolume>(2, 1, 3, 0.5f, 1.0f, 2.25f, Util::Vector3D(1.5, -2, 1e-7), numbers);
        const QByteArray text = toText({}, {volume});
        QVERIFY(text.contains("<State>10 11 12 13 14 15 </State>"));
        QVERIFY(text.contains("cellsize-x=\"0.5\" cellsize-y=\"1\" cellsize-z=\"2.25\""));
        QVERIFY(text.contains("<Position pos-x=\"1.5\" pos-y=\"-2\" pos-z=\"1e-07\"/>"));
    }

    void documentRoundTrip()
    {
        // Uneven sizes and positions; a long state text.
        const std::tuple<uint, uint, uint, float, double> cases[] = {{3, 4, 5, 0.123456789f, 123.456789},
                                                                     {64, 64, 64, 1.0f, 0.0}};
        for (const auto &[nx, ny, nz, cellSize, position] : cases) {
            States numbers(size_t(nx) * ny * nz);
            const uint32_t palette[] = {0, 1, 17, 2001, 32765, 32766};
            for (size_t i = 0; i < numbers.size(); ++i)
                numbers[i] = palette[(i * 7 + i / 3) % 6];
            auto volume = std::make_shared<TotalVolume>(nx, ny, nz, cellSize, cellSize * 2, cellSize / 4,
                                                        Util::Vector3D(position, -position, position * 3), numbers);
            Load load(toText({}, {volume}));
            QVERIFY(load.result.ok && load.result.problems.isEmpty());
            QCOMPARE(load.result.objectsAdded, 1);
            const TotalVolumePtr read = load.volume();
            QVERIFY(read);
            QCOMPARE((QList<uint>{read->sizeX(), read->sizeY(), read->sizeZ()}), (QList<uint>{nx, ny, nz}));
            QCOMPARE(states(read), numbers);
            // Six significant digits, then single precision.
            auto six = [](double v) { return double(QString::asprintf("%g", v).toFloat()); };
            const Util::Vector3D at = read->position();
            QCOMPARE((QList<double>{read->cellSizeX(), read->cellSizeY(), read->cellSizeZ(), at.x, at.y, at.z}),
                     (QList<double>{six(cellSize), six(cellSize * 2), six(cellSize / 4), six(position), six(-position),
                                    six(position * 3)}));
        }
    }

    void stateTexts_data()
    {
        QTest::addColumn<QByteArray>("children");
        QTest::addColumn<States>("expected");
        QTest::newRow("short") << QByteArray("<State>7 8</State>") << States{7, 8, 0, 0};
        QTest::newRow("long") << QByteArray("<State>1 2 3 4 5 6 7 </State>") << States{1, 2, 3, 4};
        QTest::newRow("no state") << QByteArray("<Position pos-x=\"0\" pos-y=\"0\" pos-z=\"0\"/>")
                                  << States{0, 0, 0, 0};
        QTest::newRow("double spaces dropped") << QByteArray("<State>  5   6 7  8  </State>") << States{5, 6, 7, 8};
        QTest::newRow("not numbers give 0") << QByteArray("<State>x 3a -4 9 </State>") << States{0, 0, 0, 9};
        QTest::newRow("overflow gives 0")
            << QByteArray("<State>4294967296 32766 +7 08 </State>") << States{0, 32766, 7, 8};
        // Only spaces separate; other blanks belong to the number and are trimmed like QString::toUInt does.
        QTest::newRow("other blanks") << QByteArray("<State>\n1 2\n3 4\t </State>") << States{1, 0, 4, 0};
        QTest::newRow("comment splits the text")
            << QByteArray("<State>1 2 <!-- saved by hand -->3 4</State>") << States{1, 2, 3, 4};
        // The element's text is "1 23 4": a comment inside a number does not end it.
        QTest::newRow("comment inside a number") << QByteArray("<State>1 2<!---->3 4 </State>") << States{1, 23, 4, 0};
    }

    void stateTexts()
    {
        QFETCH(QByteArray, children);
        QFETCH(States, expected);
        Load load(volumeDocument("size-x=\"1\" size-y=\"2\" size-z=\"2\"", children));
        QVERIFY2(load.result.ok && load.result.problems.isEmpty(), qPrintable(load.result.problems.join('\n')));
        QCOMPARE(states(load.volume()), expected);
        QCOMPARE(load.volume()->cellSizeX(), 1.0f); // absent cell sizes are 1
    }

    void stateTextSplitAnywhereGivesTheSameCells()
    {
        // 40000 maps to 32766, the largest state; 32767 and an unmapped 40001 are beyond it.
        const QString text = QStringLiteral(" 12 +7 x9  40000 \n8 30 32767 40001");
        const States expected{12, 7, 0, 32766, 8, 2001, 0, 0};
        MaterialTranslationTable table;
        table.set(30, 2001);
        table.set(40000, 32766);
        for (int cut = 0; cut <= text.size(); ++cut) {
            std::vector<Model::Automaton::Cells::State> states(8, 1);
            std::vector<uint8_t> cuts(8, 0);
            StateTextParser parser(Model::Automaton::Cells(states.data(), cuts.data(), 8), &table);
            parser.feed(text.unicode(), size_t(cut));
            parser.feed(text.unicode() + cut, size_t(text.size() - cut));
            QCOMPARE(parser.finish(), size_t(8));
            QCOMPARE(States(states.begin(), states.end()), expected);
            QVERIFY(parser.hasStateOutOfRange());
            QCOMPARE(parser.firstStateOutOfRange(), 32767u);
        }
    }

    // Valid XML: the first piece of text alone describes far too few cells for the volume.
    void largeStateTextSplitByACommentIsReadWhole()
    {
        const uint32_t nx = 1100, ny = 1000; // more cells than may go without a state
        QByteArray text = "<State>4 <!-- checked -->";
        for (size_t i = 1; i < size_t(nx) * ny; ++i)
            text += "4 ";
        text += "</State>";
        Load load(volumeDocument("size-x=\"1100\" size-y=\"1000\" size-z=\"1\"", text));
        QVERIFY2(load.result.problems.isEmpty(), qPrintable(load.result.problems.join('\n')));
        QCOMPARE(load.result.objectsAdded, 1);
        const States cells = states(load.volume());
        QCOMPARE(size_t(std::count(cells.begin(), cells.end(), 4u)), cells.size());
    }

    void documentFrame_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        const QByteArray object = "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"1\"><State>4 </State>"
                                  "</Object>";
        QTest::newRow("header attribute of any name")
            << "<Document><Header anything=\"7\"/>" + object + "</Document>" << true;
        QTest::newRow("other root") << "<Materials><Header version=\"1\"/>" + object + "</Materials>" << false;
        QTest::newRow("object before header") << "<Document>" + object + "<Header version=\"1\"/></Document>" << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void documentFrame()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        const int materialsBefore = MaterialFactory::instance()->getMaterials().size();
        Load load(text);
        QCOMPARE(load.result.ok, ok);
        QCOMPARE(states(load.volume()), ok ? States{4} : States{});
        QCOMPARE(load.document.allObjects().size(), ok ? 1 : 0);
        QCOMPARE(MaterialFactory::instance()->getMaterials().size(), materialsBefore);
        if (ok)
            QCOMPARE(load.result.version, 7u);
    }

    void damagedOrMissingFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("objects"); // -1: the file is not read
        QTest::newRow("bad end tag") << dataFile("malformed_after_header.cfw") << 1;
        QTest::newRow("cut off inside the cells") << dataFile("truncated.cfw") << 0;
        QTest::newRow("missing") << QDir::temp().filePath(QStringLiteral("cellforge-no-such-file.cfw")) << -1;
    }

    void damagedOrMissingFile()
    {
        QFETCH(QString, file);
        QFETCH(int, objects);
        Model::Document document;
        MaterialTranslationTable table;
        MaterialReconciler reconciler(table);
        const DocumentReadResult result = loadDocumentFile(file, document, ArchiverRegistry::standard(), reconciler);
        QCOMPARE(result.ok, objects >= 0);
        QCOMPARE(document.allObjects().size(), qMax(objects, 0));
        if (objects < 0) {
            QVERIFY(result.openError.contains(file) && result.openError.contains(QStringLiteral("No such file")));
            return;
        }
        // What was read before the damage is kept.
        QCOMPARE(result.objectsAdded, objects);
        QCOMPARE(result.problems.size(), 1);
        QVERIFY(result.problems.first().contains(QStringLiteral("damaged")));
        if (objects == 1) {
            QCOMPARE(states(volumes(document).first()), (States{1, 1, 1}));
            QCOMPARE(volumes(document).first()->position().x, 2.0);
        }
    }

    void reconciliation_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer"); // -1: cancelled, else a ConflictChoice
        QTest::addColumn<int>("conflicts");
        QTest::addColumn<States>("expected");       // 9999 stands for a fresh identifier
        QTest::addColumn<QString>("catalogueName"); // the catalogue's name for the loaded identifier afterwards

        QTest::newRow("same name") << dataFile("copper_5.cfw") << -1 << 0 << States{5, 5, 1, 0} << "Cu (bulk)";
        QTest::newRow("name known under another identifier")
            << dataFile("named_2100.cfw") << -1 << 0 << States{2345, 2345, 1, 0} << "Empty";
        QTest::newRow("new material") << dataFile("new_2002.cfw") << -1 << 0 << States{2002, 2002, 1, 0}
                                      << "Fresh Material";
        QTest::newRow("keep existing") << dataFile("conflict_2001.cfw") << int(ConflictChoice::ReplaceLoadedByExisting)
                                       << 1 << States{1, 2001, 2001, 0} << "Old Nitride";
        QTest::newRow("replace existing")
            << dataFile("conflict_2001.cfw") << int(ConflictChoice::ReplaceExistingByLoaded) << 1
            << States{1, 2001, 2001, 0} << "Loaded Nitride";
        QTest::newRow("another material")
            << dataFile("conflict_2001.cfw") << int(ConflictChoice::ReplaceLoadedByAnother) << 1 << States{1, 9, 9, 0}
            << "Old Nitride";
        QTest::newRow("add as new") << dataFile("conflict_2001.cfw") << int(ConflictChoice::AddLoadedAsNew) << 1
                                    << States{1, 9999, 9999, 0} << "Old Nitride";
    }

    void reconciliation()
    {
        QFETCH(QString, file);
        QFETCH(int, answer);
        QFETCH(int, conflicts);
        QFETCH(States, expected);
        QFETCH(QString, catalogueName);
        auto catalogue = MaterialFactory::instance();
        catalogue->setMaterial(Material(2001, QStringLiteral("Old Nitride"), 3000, 2e11f, 0.2f));
        catalogue->setMaterial(Material(2345, QStringLiteral("Known Elsewhere"), 5, 5, 0.5f));
        const int materialsBefore = catalogue->getMaterials().size();

        std::optional<ConflictDecision> decision;
        if (answer >= 0)
            decision = ConflictDecision{ConflictChoice(answer), 9};
        Load load(fileContents(file), decision);
        QVERIFY(load.result.ok);
        QCOMPARE(load.conflicts, conflicts);
        States cells = states(load.volume());
        const uint32_t loadedId =
            load.table.entries().firstKey() == 1 ? load.table.entries().lastKey() : load.table.entries().firstKey();
        for (size_t i = 0; i < cells.size(); ++i) {
            if (expected[i] == 9999) {
                QVERIFY(cells[i] >= 2000 && cells[i] <= 32766 && cells[i] != 2001);
                QCOMPARE(catalogue->getMaterial(cells[i]).name(), QStringLiteral("Loaded Nitride"));
                QCOMPARE(catalogue->getMaterial(cells[i]).color(), (std::array<float, 4>{1, 0, 0, 1}));
                QCOMPARE(load.table.translate(2001), cells[i]);
            } else {
                QCOMPARE(cells[i], expected[i]);
            }
        }
        QCOMPARE(catalogue->getMaterial(loadedId).name(), catalogueName);
        const bool added = file.endsWith(QLatin1String("new_2002.cfw")) || expected.at(1) == 9999;
        QCOMPARE(catalogue->getMaterials().size(), materialsBefore + (added ? 1 : 0));
        // Nothing reaches materials.xml.
        QVERIFY(!m_home.read(QStringLiteral("materials.xml")).contains("Loaded Nitride"));
    }

    void translationReachesEveryCellOfThatDocumentOnly()
    {
        // Material 5 in the file is not the catalogue's 5: the user maps it onto 2001.
        MaterialFactory::instance()->setMaterial(Material(2001, QStringLiteral("Copper Alloy B"), 1, 1, 1));
        Load load(fileContents(dataFile("translate_5.cfw")),
                  ConflictDecision{ConflictChoice::ReplaceLoadedByAnother, 2001});
        QCOMPARE(load.conflicts, 1);
        QCOMPARE(load.table.translate(5), 2001u);
        QCOMPARE(states(load.volume()), (States{2001, 1, 2001, 0, 2001, 2001}));
        QCOMPARE(MaterialFactory::instance()->getMaterial(5).name(), QStringLiteral("Cu (bulk)"));
        QXmlStreamReader second(volumeDocument("size-x=\"1\" size-y=\"1\" size-z=\"2\"", "<State>5 1 </State>"));
        load.run(second, std::nullopt);
        QCOMPARE(states(load.volume(1)), (States{5, 1}));
    }

    void invalidMaterialWarnsAndLoadingGoesOn()
    {
        Load load(fileContents(dataFile("invalid_material.cfw")));
        QVERIFY(load.result.ok);
        const QString warning =
            QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume.");
        QCOMPARE(load.result.warnings, QStringList({warning, warning}));
        QCOMPARE(states(load.volume()), (States{2003, 1}));
        QVERIFY(load.table.isEmpty());
        QCOMPARE(MaterialFactory::instance()->getMaterial(2003).id(), 0u);
    }

    void conflictWithoutAFreeIdentifier()
    {
        // The document's 2001 is "Loaded Nitride", the catalogue's 2001 another material: no answer means adding it
        // as new, which needs a free identifier (none, only the lowest, only the highest).
        for (const uint32_t free : {0u, 2000u, 32766u}) {
            MaterialFactory::instance()->createDefaultMaterials();
            takeNewMaterialIds(free != 0 ? QSet<uint32_t>{free} : QSet<uint32_t>{});
            auto catalogue = MaterialFactory::instance();
            const int materialsBefore = catalogue->getMaterials().size();
            Load load(fileContents(dataFile("conflict_2001.cfw")));
            QVERIFY(load.result.ok);
            QCOMPARE(load.conflicts, 1);
            QCOMPARE(states(load.volume()), (States{1, free, free, 0}));
            QCOMPARE(catalogue->getMaterials().size(), materialsBefore + (free != 0 ? 1 : 0));
            if (free != 0) {
                QVERIFY(load.result.problems.isEmpty());
                QCOMPARE(catalogue->getMaterial(free).name(), QStringLiteral("Loaded Nitride"));
            } else {
                QCOMPARE(
                    load.result.problems,
                    QStringList{QStringLiteral(
                        "Material \"Loaded Nitride\" (identifier 2001) of the document could not be added to the "
                        "material catalogue: every material identifier from 2000 to 32766 is in use. Its cells were "
                        "loaded as empty cells.")});
            }
        }
    }

    void absurdSizesAreRefused()
    {
        const QByteArray good = "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\"><State>3 4 </State>"
                                "<Position pos-x=\"1\" pos-y=\"2\" pos-z=\"3\"/></Object>";
        const std::pair<const char *, const char *> cases[] = {
            {"size-x=\"0\" size-y=\"4\" size-z=\"4\"", "at least 1"},
            {"size-x=\"4294967295\" size-y=\"4294967295\" size-z=\"4294967295\"", "too large"},
            {"size-x=\"100000\" size-y=\"100000\" size-z=\"100\"", "memory"},
            {"size-x=\"500\" size-y=\"500\" size-z=\"500\"", "describe at most 2 cells"},
            {"size-x=\"4\" size-z=\"4\"", "no valid size"}};
        for (const auto &[attributes, reason] : cases) {
            Load load("<Document><Header version=\"1\"/>" + good + "<Object object-type=\"1\" " + attributes +
                      "><State>1 1 </State><Position pos-x=\"9\" pos-y=\"9\" pos-z=\"9\"/></Object>" + good +
                      "</Document>");
            QVERIFY(load.result.ok);
            QCOMPARE(load.result.objectsAdded, 2);
            QCOMPARE(load.result.problems.size(), 1);
            QVERIFY2(load.result.problems.first().contains(QLatin1String(reason)),
                     qPrintable(load.result.problems.first()));
            for (const auto &volume : volumes(load.document)) {
                QCOMPARE(states(volume), (States{3, 4}));
                QCOMPARE(volume->position().z, 3.0);
            }
        }
    }

    void materialsBeyondTheCatalogueLeaveTheirCellsEmpty()
    {
        // "Huge" is no catalogue material and cannot become one; 40001 carries the name of the catalogue's Si.
        Load load("<?xml version=\"1.0\"?><Document><Header version=\"1\"/>"
                  "<Material version=\"1\" name=\"Huge\" material-id=\"40000\"/>"
                  "<Material version=\"1\" name=\"Si\" material-id=\"40001\"/><Object object-type=\"1\" "
                  "size-x=\"1\" size-y=\"2\" size-z=\"2\"><State>40000 40001 1 0 </State></Object></Document>");
        QVERIFY(load.result.ok);
        QCOMPARE(states(load.volume()), (States{0, 1, 1, 0}));
        QCOMPARE(load.result.problems, QStringList{QStringLiteral(
                                           "Material \"Huge\" (identifier 40000) of the document could not be added to "
                                           "the material catalogue: material identifiers go up to 32766. Its cells "
                                           "were loaded as empty cells.")});
        QCOMPARE(MaterialFactory::instance()->getMaterialByName(QStringLiteral("Huge")).id(), 0u);
    }

    void statesBeyondTheCatalogueRefuseTheVolume()
    {
        const QByteArray good = "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\"><State>3 4 </State>"
                                "</Object>";
        Load load("<Document><Header version=\"1\"/><Object object-type=\"1\" size-x=\"1\" size-y=\"2\" "
                  "size-z=\"2\"><State>1 32766 32767 65536 </State></Object>" +
                  good + "</Document>");
        QVERIFY(load.result.ok);
        QCOMPARE(load.result.objectsAdded, 1);
        QCOMPARE(load.result.problems,
                 QStringList{QStringLiteral("A cell volume of 1 x 2 x 2 cells in the document was not loaded: a cell "
                                            "holds the state 32767, and cell states go up to 32766.")});
        QCOMPARE(states(load.volume()), (States{3, 4}));
    }

    void emptyCellsWithoutStatesHaveADocumentWideBudget()
    {
        // Each object alone is acceptable; together they would ask for far more than the file describes.
        QByteArray text = "<Document><Header version=\"1\"/>";
        for (int i = 0; i < 3; ++i)
            text += "<Object object-type=\"1\" size-x=\"1000\" size-y=\"1000\" size-z=\"1\"><State>2 </State></Object>";
        text += "</Document>";
        Load load(text);
        QCOMPARE(load.result.objectsAdded, 1);
        QCOMPARE(load.result.problems.size(), 2);
        QCOMPARE(states(load.volume())[0], 2u);
        // The next document starts with the whole budget again.
        QXmlStreamReader again(text);
        load.run(again, std::nullopt);
        QCOMPARE(load.result.objectsAdded, 1);
    }

    void saveReplacesTheFileOrKeepsIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("saved");
        QTest::newRow("an earlier file") << QStringLiteral("scene.cfw") << true;
        // The temporary file beside it cannot be named: the name is already at the file system's limit.
        QTest::newRow("name at the length limit") << QString(250, QLatin1Char('d')) << false;
    }

    void saveReplacesTheFileOrKeepsIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeFileContents(path, "previous contents"));
        Model::Document document;
        document.addObject(std::make_shared<TestObject>()); // no archiver: not stored
        document.addObject(std::make_shared<TotalVolume>(2, 1, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        QString error;
        QCOMPARE(saveDocumentFile(path, document, ArchiverRegistry::standard(), &error), saved);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        if (saved) {
            QVERIFY(error.isEmpty());
            const QByteArray written = fileContents(path);
            QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Document><Header version=\"1\"/>"));
            QCOMPARE(written.count("<Object "), 1);
            QCOMPARE(written.count("<Material "), MaterialFactory::instance()->getMaterials().size());
            QCOMPARE(states(Load(written).volume()), States(6, 1));
            return;
        }
        QVERIFY(error.contains(path) && error.contains(QStringLiteral("could not be saved")));
        QCOMPARE(fileContents(path), QByteArray("previous contents"));
    }

    // A disk that fills up while the document is written (the window's Save and cellforge-batch --output): the save
    // fails in the system's words and the earlier document stays whole.
    void saveOnAFullDiskKeepsTheEarlierFile()
    {
        FullDisk disk;
        const QString path = disk.filePath(QStringLiteral("scene.cfw"));
        QVERIFY(writeFileContents(path, "previous contents"));
        Model::Document document;
        // States that vary from cell to cell: some 100 KB of text, more than the disk holds.
        document.addObject(
            makeVolume(40, 40, 40, [](uint32_t x, uint32_t y, uint32_t z) { return 1 + (x * 7 + y * 3 + z) % 11; }));
        QString error;
        {
            const auto limit = disk.whileWriting();
            QVERIFY(!saveDocumentFile(path, document, ArchiverRegistry::standard(), &error));
        }
        QVERIFY2(error.contains(QStringLiteral("could not be saved to \"%1\": %2").arg(path, disk.reason())),
                 qPrintable(error));
        QCOMPARE(fileContents(path), QByteArray("previous contents"));
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("scene.cfw")});
    }

    void highlightColorShiftsEachComponent()
    {
        // The single-precision value nearest 0.7 lies below the double 0.7.
        float color[3] = {0.8f, 0.2f, 0.7f};
        Model::highlightColor(color);
        QCOMPARE(color[0], 0.1f);
        QCOMPARE(color[1], 0.5f);
        QVERIFY(std::fabs(color[2] - 1.0f) < 1e-6f);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentArchive)
#include "tst_documentarchive.moc"
