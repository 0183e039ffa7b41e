#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"
#include "batchlists.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "fullcatalogue.h"
#include "fulldisk.h"

#include <QColor>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <limits>

using Core::BatchRun::ProcessListFile;
using Core::Processes::ProcessStep;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

// A list file with the given steps and (unless null) its own material table; version -1: none.
QByteArray listText(int version, const QByteArray &materials, const QByteArray &steps)
{
    QByteArray text = "<?xml version=\"1.0\"?>\n<Process-List";
    if (version >= 0)
        text += " version=\"" + QByteArray::number(version) + "\"";
    text += ">\n";
    if (!materials.isNull())
        text += "<Materials>\n" + materials + "</Materials>\n";
    return text + steps + "</Process-List>\n";
}

const QByteArray si = "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" poisson-ratio=\"0.28\" "
                      "young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>\n";
const QByteArray nitride = "<Material name=\"Nitride\" material-id=\"3\" density=\"1\"/>\n";

// A "Process-Data" element with parameters given as name, type, data and further attributes.
QByteArray stepText(int type, const QList<std::array<QByteArray, 4>> &parameters)
{
    QByteArray text = "<Process-Data process-type=\"" + QByteArray::number(type) + "\">";
    for (const auto &p : parameters)
        text += "<Parameter parameter-name=\"" + p[0] + "\" parameter-type=\"" + p[1] + "\" parameter-data=\"" + p[2] +
                "\"" + p[3] + "/>";
    return text + "</Process-Data>\n";
}

QByteArray cvdOf(int material) { return stepText(4, {{"Material_Id", "uint", QByteArray::number(material)}}); }

} // namespace

class tst_ProcessListFile : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

    QList<ProcessStep> load(const QByteArray &text, ProcessListFile &reader)
    {
        const QString path = writeFile(m_dir, QStringLiteral("list.plst"), text);
        if (!reader.load(path))
            qWarning("%s", qPrintable(reader.errorString()));
        return reader.steps();
    }

private slots:
    void init() { MaterialFactory::instance()->createDefaultMaterials(); }

    void writtenListReadsBackWithNewSerialNumbers()
    {
        ProcessStep create(Core::BatchRun::CreateSubstrate);
        Core::BatchRun::setMaterialParameters(create, QStringLiteral("Material"),
                                              MaterialFactory::instance()->getMaterial(1));
        create.setParameter(QStringLiteral("Lower Left Front Corner"),
                            QVariant::fromValue(Util::Vector3D(1.5, -2, 3e-7)), true);
        create.setParameter(QStringLiteral("Volume Size X"), 4000000000u, true);
        create.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
        ProcessStep litho(Core::BatchRun::Photolithography);
        litho.setParameter(QStringLiteral("Top Mask"), QByteArray("\x00\x01\x01\x00\x01", 5), false);
        litho.setParameter(QStringLiteral("Top Mask File"), QStringLiteral("masks/<a & \"b\">.png"), true);
        ProcessStep pvd(Core::BatchRun::Pvd);
        pvd.setParameter(QStringLiteral("DepositOn"), -3, false);
        pvd.setParameter(QStringLiteral("Thickness"), 2.25, true);
        pvd.setParameter(QStringLiteral("Doping Depth"), 0.125f, true);
        pvd.setParameter(QStringLiteral("Tint"), QColor(QStringLiteral("#12ab9f")), false);
        ProcessStep planarization(Core::BatchRun::Planarization);
        planarization.setParameter(QStringLiteral("Minimum Height"), 2u, true);
        planarization.setParameter(QStringLiteral("Maximum Height"), 9u, false);
        const QList<ProcessStep> steps{create, litho, pvd, planarization, ProcessStep(Core::BatchRun::Doping)};

        const QString path = m_dir.filePath(QStringLiteral("roundtrip.plst"));
        ProcessListFile writer(steps);
        QVERIFY2(writer.save(path), qPrintable(writer.errorString()));
        ProcessListFile reader;
        QVERIFY2(reader.load(path), qPrintable(reader.errorString()));
        QVERIFY(!reader.wasUpgraded());
        QCOMPARE(reader.version(), 1);
        const QList<ProcessStep> loaded = reader.steps();
        QCOMPARE(loaded.size(), steps.size());
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(loaded[i].getProcessType(), steps[i].getProcessType());
            QCOMPARE(loaded[i].getVisibilities(), steps[i].getVisibilities());
            QCOMPARE(loaded[i].getParameters(), steps[i].getParameters());
            for (const QString &name : steps[i].getParameters().keys())
                QCOMPARE(ProcessListFile::valueTypeName(loaded[i].getProcessParameter(name)),
                         ProcessListFile::valueTypeName(steps[i].getProcessParameter(name)));
            QVERIFY(loaded[i].getSerialNumber() != steps[i].getSerialNumber());
        }
        QCOMPARE(loaded[0].getProcessParameter(QStringLiteral("Lower Left Front Corner")).value<Util::Vector3D>().z,
                 3e-7);

        // The file holds the whole catalogue.
        QCOMPARE(QString::fromUtf8(readFile(path)).count(QLatin1String("<Material ")), 17);
    }

    void visibilityMissingMeansShownAndStepsMayBeEmpty()
    {
        const QList<QPair<QByteArray, bool>> visibilities{{"", true},
                                                          {" parameter-visibility=\"true\"", true},
                                                          {" parameter-visibility=\"false\"", false},
                                                          {" parameter-visibility=\"yes\"", false}};
        QByteArray text;
        for (const auto &visibility : visibilities)
            text += stepText(1, {{"Depth", "double", "2.5", visibility.first}});
        text += "<Process-Data process-type=\"12\"/>\n<Process-Data process-type=\"77\"></Process-Data>\n";
        ProcessListFile reader;
        const auto steps = load(listText(1, QByteArray(), text), reader);
        QCOMPARE(steps.size(), 6);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(steps[i].getParameterVisibility(QStringLiteral("Depth")), visibilities[i].second);
            QCOMPARE(steps[i].getProcessParameter(QStringLiteral("Depth")).toDouble(), 2.5);
        }
        QVERIFY(steps[4].getParameters().isEmpty());
        QCOMPARE(steps[5].getProcessType(), 77);
    }

    void oldListIsUpgraded_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QByteArray>("data");
        auto row = [](const char *name, int version, int type, const char *oldName, const char *newName,
                      const char *data = "1") {
            QTest::newRow(name) << version << type << QString(oldName) << QString(newName) << QByteArray(data);
        };
        row("isotropic deposition", 0, 16, "MaterialId", "Material_Id");
        row("electroplating conducting", 0, 7, "ConductingMaterialId", "Conducting Material_Id");
        row("doping", 0, 8, "DopedMaterialId", "Doped Material_Id");
        row("random walk keeps its names", 0, 19, "MaterialId", "MaterialId");
        row("doping ignores MaterialId", 0, 8, "MaterialId", "MaterialId");
        row("list without a version", -1, 5, "MaterialId", "Material_Id");
        row("identifier that does not convert", 0, 4, "MaterialId", "Material_Id", "one");
    }
    void oldListIsUpgraded()
    {
        QFETCH(int, version);
        QFETCH(int, type);
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(QByteArray, data);
        const bool renamed = oldName != newName;
        // Two steps with old names: one upgrade, so one warning.
        const QByteArray step = stepText(
            type, {{oldName.toUtf8(), "uint", data, " parameter-visibility=\"false\""}, {"Depth", "double", "3"}});
        ProcessListFile reader;
        const auto steps = load(listText(version, si, step + step), reader);
        QCOMPARE(reader.version(), 0);
        QCOMPARE(reader.wasUpgraded(), renamed);
        QCOMPARE(steps.size(), 2);
        const ProcessStep loaded = steps[1];
        QVERIFY(loaded.hasParameter(newName));
        QCOMPARE(loaded.hasParameter(oldName), !renamed);
        QCOMPARE(loaded.getProcessParameter(QStringLiteral("Depth")).toDouble(), 3.0);
        if (renamed) {
            // The renamed identifier is synchronised: name and colour come from the catalogue, and a
            // text that did not convert is kept under the new name.
            const QString base = newName.left(newName.size() - 3);
            const bool converts = data == "1";
            QCOMPARE(loaded.getProcessParameter(newName).toUInt(), converts ? 1u : 0u);
            QCOMPARE(loaded.getProcessParameter(base).toString(), QLatin1String(converts ? "Si" : "Empty"));
            QMap<QString, QString> unconverted;
            if (!converts)
                unconverted.insert(newName, QStringLiteral("one"));
            QCOMPARE(loaded.unconvertedParameters(), unconverted);
            if (converts)
                QCOMPARE(loaded.getProcessParameter(base + QStringLiteral("_Color")).value<QColor>(),
                         QColor(127, 127, 127, 255));
            QVERIFY(loaded.getParameterVisibility(base));
            QVERIFY(!loaded.getParameterVisibility(newName));
        }
    }

    void listMaterialsAreReconciled()
    {
        // 1: same name, kept. 40: unknown, added under its own identifier. 41: known name "Poly-Si"
        // under another identifier, translated to 16. 3: conflict with "Thermal Si02", added as new.
        // 42 cannot be read; 9 is in the catalogue but not among the list's materials. 32767 is beyond what a
        // cell holds; 40000 too, but its name is the catalogue's "Si".
        const QByteArray materials = si + nitride +
                                     "<Material name=\"Glass\" material-id=\"40\" density=\"1\" color=\"#FF102030\"/>\n"
                                     "<Material name=\"Poly-Si\" material-id=\"41\" density=\"1\"/>\n"
                                     "<Material name=\"\" material-id=\"42\"/>\n"
                                     "<Material name=\"Huge\" material-id=\"32767\"/>\n"
                                     "<Material name=\"Si\" material-id=\"40000\"/>\n";
        QByteArray text;
        for (int id : {1, 40, 41, 3, 42, 9, 32767, 40000})
            text += cvdOf(id);
        ProcessListFile reader;
        const auto steps = load(listText(1, materials, text), reader);
        auto id = [&steps](int i) { return steps[i].getProcessParameter(QStringLiteral("Material_Id")).toUInt(); };
        auto name = [&steps](int i) { return steps[i].getProcessParameter(QStringLiteral("Material")).toString(); };
        QCOMPARE(id(0), 1u);
        QCOMPARE(id(1), 40u);
        QCOMPARE(name(1), QStringLiteral("Glass"));
        QCOMPARE(MaterialFactory::instance()->getMaterial(40).name(), QStringLiteral("Glass"));
        QCOMPARE(id(2), 16u);
        QVERIFY(id(3) >= 2000u);
        QCOMPARE(name(3), QStringLiteral("Nitride"));
        QCOMPARE(MaterialFactory::instance()->getMaterial(3).name(), QStringLiteral("Thermal Si02"));
        QCOMPARE(id(4), 0u);
        QCOMPARE(id(5), 0u);
        QCOMPARE(name(5), QStringLiteral("Empty"));
        QVERIFY(steps[5].hasParameter(QStringLiteral("Material_Color")));
        QCOMPARE(id(6), 0u);
        QCOMPARE(MaterialFactory::instance()->getMaterialByName(QStringLiteral("Huge")).id(), 0u);
        QCOMPARE(id(7), 1u);
        const QStringList report = reader.materialReport();
        QCOMPARE(report.size(), 4);
        QVERIFY(report[0].contains(QLatin1String("Nitride")));
        QCOMPARE(report[1],
                 QStringLiteral("Material \"Huge\" (identifier 32767) of the list cannot be used: material "
                                "identifiers go up to 32766. Steps that use it get the \"Empty\" material."));
        QVERIFY(report[2].startsWith(QLatin1String("Material 42 of step 5")));
        QCOMPARE(report[3], QStringLiteral("Material 9 of step 6 (\"Material_Id\") is not among the list's "
                                           "materials; the step uses the \"Empty\" material."));
    }

    // No answer adds the list's material as new, which needs a free identifier; none is left here.
    void conflictChoicesAreCarriedOut_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<uint>("expectedId");
        QTest::addColumn<QString>("catalogueName");
        QTest::addColumn<QStringList>("report");
        QTest::newRow("replace loaded by existing")
            << int(ProcessListFile::ConflictChoice::ReplaceLoadedByExisting) << 3u << "Thermal Si02" << QStringList();
        QTest::newRow("replace existing by loaded")
            << int(ProcessListFile::ConflictChoice::ReplaceExistingByLoaded) << 3u << "Nitride" << QStringList();
        QTest::newRow("replace loaded by another")
            << int(ProcessListFile::ConflictChoice::ReplaceLoadedByAnother) << 9u << "Thermal Si02" << QStringList();
        QTest::newRow("no answer and no free identifier")
            << -1 << 0u << "Thermal Si02"
            << QStringList{"Material \"Nitride\" (identifier 3) of the list conflicts with the existing material "
                           "\"Thermal Si02\" (identifier 3) and could not be added as a new material: every material "
                           "identifier from 2000 to 32766 is in use. Steps that use it get the \"Empty\" material."};
    }
    void conflictChoicesAreCarriedOut()
    {
        QFETCH(int, choice);
        ProcessListFile reader;
        QStringList asked;
        if (choice < 0)
            takeNewMaterialIds();
        else
            reader.setConflictResolver([&](const Material &existing, const Material &loaded) {
                asked << existing.name() + QLatin1Char('/') + loaded.name();
                return ProcessListFile::ConflictAnswer{ProcessListFile::ConflictChoice(choice), 9u};
            });
        const int materialsBefore = MaterialFactory::instance()->getMaterials().size();
        const auto steps = load(listText(1, nitride, cvdOf(3)), reader);
        QCOMPARE(asked, choice < 0 ? QStringList() : QStringList{QStringLiteral("Thermal Si02/Nitride")});
        QCOMPARE(MaterialFactory::instance()->getMaterials().size(), materialsBefore);
        QTEST(steps.value(0).getProcessParameter(QStringLiteral("Material_Id")).toUInt(), "expectedId");
        QTEST(MaterialFactory::instance()->getMaterial(3).name(), "catalogueName");
        if (choice < 0) {
            QTEST(reader.materialReport(), "report");
            QCOMPARE(steps[0].getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Empty"));
        }
    }

    void textForms_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("converted");
        auto row = [](const char *name, const char *type, const char *data, const QVariant &value, const char *written,
                      bool converted) {
            QTest::newRow(name) << QString(type) << QString(data) << value << QString(written) << converted;
        };
        using V = Util::Vector3D;
        row("vector", "vector", "0110", QByteArray("\x00\x01\x01\x00", 4), "0110", true);
        row("vector other characters", "vector", "1x2", QByteArray("\x01\x00\x00", 3), "100", true);
        row("Vector3D", "Util::Vector3D", "1;2;3", QVariant::fromValue(V(1, 2, 3)), "1;2;3", true);
        row("Vector3D empty", "Util::Vector3D", "", QVariant::fromValue(V(0, 0, 0)), "0;0;0", true);
        row("Vector3D short", "Util::Vector3D", "4;;", QVariant::fromValue(V(4, 0, 0)), "4;0;0", false);
        row("Vector3D ten digits", "Util::Vector3D", "0.1234567891;-2e-09;1e+20",
            QVariant::fromValue(V(0.1234567891, -2e-9, 1e20)), "0.1234567891;-2e-09;1e+20", true);
        row("Vector3D part not a number", "Util::Vector3D", "1;x;3", QVariant::fromValue(V(1, 0, 3)), "1;0;3", false);
        row("bool", "bool", "true", true, "true", true);
        row("bool other", "bool", "TRUE", false, "false", true);
        row("uint", "uint", "42", 42u, "42", true);
        row("uint not a number", "uint", "x", 0u, "0", false);
        row("int", "int", "-7", -7, "-7", true);
        row("double exponent", "double", "1.5e3", 1500.0, "1500", true);
        row("double out of range", "double", "1e400", 0.0, "0", false);
        row("double below the smallest", "double", "1e-400", 0.0, "0", true);
        row("float", "float", "0.25", 0.25f, "0.25", true);
        // A step refuses a float beyond the floats as out of range; one below the smallest is 0.
        row("float out of range", "float", "1e39", 0.0f, "0", false);
        row("float below the smallest", "float", "1e-50", 0.0f, "0", true);
        row("float infinite", "float", "inf", std::numeric_limits<float>::infinity(), "inf", true);
        row("QString", "QString", "a;b", QStringLiteral("a;b"), "a;b", true);
        row("QColor", "QColor", "#0a0b0c", QColor(10, 11, 12), "#0a0b0c", true);
        row("QColor by name", "QColor", "red", QColor(255, 0, 0), "#ff0000", true);
    }
    void textForms()
    {
        QFETCH(QString, type);
        QFETCH(QString, data);
        QFETCH(QVariant, value);
        QFETCH(bool, converted);
        bool ok = !converted;
        const QVariant read = ProcessListFile::valueFromText(type, data, &ok);
        QCOMPARE(ok, converted);
        QCOMPARE(read.userType(), value.userType());
        QCOMPARE(ProcessListFile::valueText(read), ProcessListFile::valueText(value));
        QTEST(ProcessListFile::valueText(read), "written");
        QCOMPARE(ProcessListFile::valueTypeName(read), type);
        // Type names are exact.
        QVERIFY(!ProcessListFile::valueFromText(type.toUpper(), data).isValid());
    }

    void numbersThatDoNotConvertReadAsZeroAndAreRemembered()
    {
        ProcessListFile file;
        QList<ProcessStep> steps =
            load(listText(1, si,
                          stepText(16, {{"Film Thickness", "double", "thick"}, {"Material_Id", "uint", "1"}}) +
                              stepText(11, {{"Volume Size X", "uint", "-3"},
                                            {"Lower Left Front Corner", "Util::Vector3D", "1;x;3"}}) +
                              stepText(16, {{"Film Thickness", "double", "bad"}, {"Film Thickness", "double", "2.5"}})),
                 file);
        QCOMPARE(steps.size(), 3);
        QCOMPARE(steps[0].getProcessParameter(QStringLiteral("Film Thickness")), QVariant(0.0));
        QCOMPARE(steps[0].unconvertedParameters(), (QMap<QString, QString>{{"Film Thickness", "thick"}}));
        QCOMPARE(steps[1].getProcessParameter(QStringLiteral("Volume Size X")), QVariant(0u));
        QCOMPARE(steps[1].getProcessParameter(QStringLiteral("Lower Left Front Corner")).value<Util::Vector3D>().z,
                 3.0);
        QCOMPARE(steps[1].unconvertedParameters(),
                 (QMap<QString, QString>{{"Lower Left Front Corner", "1;x;3"}, {"Volume Size X", "-3"}}));
        // A later parameter of the same name that converts replaces the bad one.
        QCOMPARE(steps[2].getProcessParameter(QStringLiteral("Film Thickness")), QVariant(2.5));
        QVERIFY(steps[2].unconvertedParameters().isEmpty());

        // Saving writes the text back as it was, so that the list warns again when read again.
        const QString again = m_dir.filePath(QStringLiteral("typos-again.plst"));
        ProcessListFile writer(steps);
        QVERIFY2(writer.save(again), qPrintable(writer.errorString()));
        const QByteArray text = readFile(again);
        QVERIFY(text.contains("parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"thick\""));
        QVERIFY(text.contains("parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"-3\""));
        ProcessListFile reader;
        QVERIFY(reader.load(again));
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(reader.steps()[i].unconvertedParameters(), steps[i].unconvertedParameters());
            QCOMPARE(reader.steps()[i].getParameters(), steps[i].getParameters());
        }
    }

    void unreadableFilesFailAndLeaveTheListAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("not XML") << QByteArray("hello, world\n");
        QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?><Document/>");
        QTest::newRow("truncated") << listText(1, si, "<Process-Data process-type=\"1\">").left(150);
    }
    void unreadableFilesFailAndLeaveTheListAlone()
    {
        QFETCH(QByteArray, contents);
        const QString path = m_dir.filePath(QStringLiteral("bad.plst"));
        QFile::remove(path);
        if (!contents.isNull())
            writeFile(m_dir, QStringLiteral("bad.plst"), contents);
        const QList<ProcessStep> before{ProcessStep(3)};
        ProcessListFile reader(before);
        QVERIFY(!reader.load(path));
        QVERIFY2(reader.errorString().contains(QLatin1String("bad.plst")), qPrintable(reader.errorString()));
        QCOMPARE(reader.steps().size(), 1);
        QCOMPARE(reader.steps()[0].getSerialNumber(), before[0].getSerialNumber());
    }

    void failedSaveKeepsTheOldFile()
    {
        ProcessListFile writer({ProcessStep(1)});
        QVERIFY(!writer.save(m_dir.filePath(QStringLiteral("no/such/folder/x.plst"))));
        QVERIFY(!writer.errorString().isEmpty());
        // A disk that fills up while a list with a large mask (256 KB of text) is written.
        FullDisk disk;
        const QString path = disk.filePath(QStringLiteral("keep.plst"));
        QVERIFY(writeFileContents(path, "old contents"));
        ProcessStep litho(1);
        litho.setParameter(QStringLiteral("Top Mask"), QByteArray(512 * 512, '\x01'), false);
        ProcessListFile large({litho});
        bool saved = true;
        {
            const auto limit = disk.whileWriting();
            saved = large.save(path);
        }
        QVERIFY(!saved);
        QCOMPARE(large.errorString(), QStringLiteral("Cannot write \"%1\": %2").arg(path, disk.reason()));
        QCOMPARE(readFile(path), QByteArray("old contents"));
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("keep.plst")});
    }
};

QTEST_GUILESS_MAIN(tst_ProcessListFile)
#include "tst_processlistfile.moc"
