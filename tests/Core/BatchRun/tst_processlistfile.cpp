#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"
#include "catalogtesthome.h"
#include "fullcatalogue.h"

#include <QColor>
#include <QTemporaryDir>
#include <QtTest>

using Core::BatchRun::ProcessListFile;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Ui::ProcessData;

namespace {

QString writeText(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

// A list file with the given steps and (optionally) its own material table.
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

QByteArray siMaterial()
{
    return "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" poisson-ratio=\"0.28\" "
           "young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>\n";
}

} // namespace

class tst_ProcessListFile : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void init() { MaterialFactory::instance()->createDefaultMaterials(); }

    void writtenListReadsBackWithNewSerialNumbers()
    {
        const Material si = MaterialFactory::instance()->getMaterial(1);
        ProcessData create(Core::BatchRun::CreateSubstrate);
        Core::BatchRun::setMaterialParameters(create, QStringLiteral("Material"), si);
        create.setParameter(QStringLiteral("Lower Left Front Corner"),
                            QVariant::fromValue(Util::Vector3D(1.5, -2, 3e-7)), true);
        create.setParameter(QStringLiteral("Volume Size X"), QVariant::fromValue<uint>(4000000000u), true);
        create.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
        ProcessData litho(Core::BatchRun::Photolithography);
        litho.setParameter(QStringLiteral("Top Mask"), QByteArray("\x00\x01\x01\x00\x01", 5), false);
        litho.setParameter(QStringLiteral("Top Mask File"), QStringLiteral("masks/<a & \"b\">.png"), true);
        ProcessData pvd(Core::BatchRun::Pvd);
        pvd.setParameter(QStringLiteral("DepositOn"), -3, false);
        pvd.setParameter(QStringLiteral("Thickness"), 2.25, true);
        pvd.setParameter(QStringLiteral("Doping Depth"), 0.125f, true);
        pvd.setParameter(QStringLiteral("Tint"), QColor(QStringLiteral("#12ab9f")), false);
        const QList<ProcessData> steps{create, litho, pvd, ProcessData(Core::BatchRun::Planarization)};

        const QString path = m_dir.filePath(QStringLiteral("roundtrip.plst"));
        ProcessListFile writer(steps);
        QVERIFY2(writer.save(path), qPrintable(writer.errorString()));
        ProcessListFile reader;
        QVERIFY2(reader.load(path), qPrintable(reader.errorString()));
        QVERIFY(!reader.wasUpgraded());
        QCOMPARE(reader.version(), 1);
        const QList<ProcessData> loaded = reader.steps();
        QCOMPARE(loaded.size(), steps.size());
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(loaded[i].getProcessType(), steps[i].getProcessType());
            QCOMPARE(loaded[i].getVisibilities(), steps[i].getVisibilities());
            QCOMPARE(loaded[i].getParameters().keys(), steps[i].getParameters().keys());
            for (const QString &name : steps[i].getParameters().keys()) {
                QCOMPARE(ProcessListFile::valueTypeName(loaded[i].getProcessParameter(name)),
                         ProcessListFile::valueTypeName(steps[i].getProcessParameter(name)));
                QCOMPARE(ProcessListFile::valueText(loaded[i].getProcessParameter(name)),
                         ProcessListFile::valueText(steps[i].getProcessParameter(name)));
            }
            QVERIFY(loaded[i].getSerialNumber() != steps[i].getSerialNumber());
        }
        QCOMPARE(loaded[0].getProcessParameter(QStringLiteral("Lower Left Front Corner")).value<Util::Vector3D>().z,
                 3e-7);
        QCOMPARE(loaded[1].getProcessParameter(QStringLiteral("Top Mask")).toByteArray(),
                 QByteArray("\x00\x01\x01\x00\x01", 5));
        QCOMPARE(loaded[2].getProcessParameter(QStringLiteral("Doping Depth")).userType(), int(QMetaType::Float));
    }

    void fileHoldsCatalogueAndParametersInNameOrder()
    {
        ProcessData step(Core::BatchRun::Planarization);
        step.setParameter(QStringLiteral("Minimum Height"), QVariant::fromValue<uint>(2), true);
        step.setParameter(QStringLiteral("Maximum Height"), QVariant::fromValue<uint>(9), false);
        const QString path = m_dir.filePath(QStringLiteral("order.plst"));
        QVERIFY(ProcessListFile({step}).save(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(QLatin1String("<Process-List version=\"1\">")));
        QCOMPARE(text.count(QLatin1String("<Material ")), 16);
        QVERIFY(text.contains(QLatin1String("<Process-Data process-type=\"6\">")));
        const int max = text.indexOf(
            QLatin1String("<Parameter parameter-name=\"Maximum Height\" parameter-type=\"uint\" parameter-data=\"9\" "
                          "parameter-visibility=\"false\"/>"));
        const int min = text.indexOf(QLatin1String("parameter-name=\"Minimum Height\""));
        QVERIFY(max > 0);
        QVERIFY(min > max);
    }

    void missingVisibilityMeansShown_data()
    {
        QTest::addColumn<QByteArray>("attribute");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absent") << QByteArray() << true;
        QTest::newRow("empty") << QByteArray(" parameter-visibility=\"\"") << true;
        QTest::newRow("true") << QByteArray(" parameter-visibility=\"true\"") << true;
        QTest::newRow("false") << QByteArray(" parameter-visibility=\"false\"") << false;
        QTest::newRow("other text") << QByteArray(" parameter-visibility=\"yes\"") << false;
    }
    void missingVisibilityMeansShown()
    {
        QFETCH(QByteArray, attribute);
        QFETCH(bool, shown);
        const QString path = writeText(m_dir, QStringLiteral("visibility.plst"),
                                       listText(1, QByteArray(),
                                                "<Process-Data process-type=\"1\"><Parameter parameter-name=\"Depth\" "
                                                "parameter-type=\"double\" parameter-data=\"2.5\"" +
                                                    attribute + "/></Process-Data>\n"));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        QCOMPARE(reader.steps().size(), 1);
        QCOMPARE(reader.steps()[0].getParameterVisibility(QStringLiteral("Depth")), shown);
        QCOMPARE(reader.steps()[0].getProcessParameter(QStringLiteral("Depth")).toDouble(), 2.5);
    }

    void versionZeroListIsUpgraded_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("isotropic deposition") << 16 << "MaterialId"
                                              << "Material_Id" << true;
        QTest::newRow("photolithography") << 0 << "MaterialId"
                                          << "Material_Id" << true;
        QTest::newRow("electroplating conducting") << 7 << "ConductingMaterialId"
                                                   << "Conducting Material_Id" << true;
        QTest::newRow("electroplating deposited") << 7 << "DepositedMaterialId"
                                                  << "Deposited Material_Id" << true;
        QTest::newRow("doping") << 8 << "DopedMaterialId"
                                << "Doped Material_Id" << true;
        QTest::newRow("ion implantation") << 14 << "DopedMaterialId"
                                          << "Doped Material_Id" << true;
        QTest::newRow("random walk keeps its names") << 19 << "MaterialId"
                                                     << "MaterialId" << false;
        QTest::newRow("doping ignores MaterialId") << 8 << "MaterialId"
                                                   << "MaterialId" << false;
    }
    void versionZeroListIsUpgraded()
    {
        QFETCH(int, type);
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(bool, renamed);
        // Two steps with old names: one upgrade, so one warning.
        const QByteArray step = "<Process-Data process-type=\"" + QByteArray::number(type) +
                                "\"><Parameter parameter-name=\"" + oldName.toUtf8() +
                                "\" parameter-type=\"uint\" parameter-data=\"1\" parameter-visibility=\"false\"/>"
                                "<Parameter parameter-name=\"Depth\" parameter-type=\"double\" parameter-data=\"3\"/>"
                                "</Process-Data>\n";
        const QString path = writeText(m_dir, QStringLiteral("old.plst"), listText(0, siMaterial(), step + step));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        QCOMPARE(reader.version(), 0);
        QCOMPARE(reader.wasUpgraded(), renamed);
        QCOMPARE(reader.steps().size(), 2);
        const ProcessData loaded = reader.steps()[1];
        QVERIFY(loaded.hasParameter(newName));
        QCOMPARE(loaded.hasParameter(oldName), !renamed);
        QCOMPARE(loaded.getProcessParameter(QStringLiteral("Depth")).toDouble(), 3.0);
        if (renamed) {
            // The renamed identifier is synchronised: name and colour come from the catalogue.
            const QString base = newName.left(newName.size() - 3);
            QCOMPARE(loaded.getProcessParameter(newName).toUInt(), 1u);
            QCOMPARE(loaded.getProcessParameter(base).toString(), QStringLiteral("Si"));
            QCOMPARE(loaded.getProcessParameter(base + QStringLiteral("_Color")).value<QColor>(),
                     QColor(127, 127, 127, 255));
            QVERIFY(loaded.getParameterVisibility(base));
            QVERIFY(!loaded.getParameterVisibility(newName));
        }
    }

    void listWithoutVersionIsOldFormat()
    {
        const QString path = writeText(
            m_dir, QStringLiteral("noversion.plst"),
            listText(
                -1, siMaterial(),
                "<Process-Data process-type=\"5\"><Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
                "parameter-data=\"1\"/></Process-Data>\n"));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        QVERIFY(reader.wasUpgraded());
        QVERIFY(reader.steps()[0].hasParameter(QStringLiteral("Material_Id")));
    }

    void unlistedMaterialBecomesEmpty()
    {
        // Identifier 9 is in the catalogue but not among the list's own materials.
        const QString path = writeText(
            m_dir, QStringLiteral("unlisted.plst"),
            listText(
                1, siMaterial(),
                "<Process-Data process-type=\"16\"><Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" "
                "parameter-data=\"9\"/><Parameter parameter-name=\"Material\" parameter-type=\"QString\" "
                "parameter-data=\"Au (bulk)\"/></Process-Data>\n"));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        const ProcessData step = reader.steps()[0];
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 0u);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Empty"));
        QVERIFY(step.hasParameter(QStringLiteral("Material_Color")));
        QCOMPARE(reader.materialReport(),
                 QStringList{QStringLiteral("Material 9 of step 1 (\"Material_Id\") is not among the list's materials; "
                                            "the step uses the \"Empty\" material.")});
    }

    void listMaterialsAreReconciled()
    {
        // 1: same name, kept. 40: unknown, added under its own identifier. 41: known name "Poly-Si"
        // under another identifier, translated to 16. 3: conflict with "Thermal Si02", added as new.
        const QByteArray materials = siMaterial() +
                                     "<Material name=\"Glass\" material-id=\"40\" density=\"1\" color=\"#FF102030\"/>\n"
                                     "<Material name=\"Poly-Si\" material-id=\"41\" density=\"1\"/>\n"
                                     "<Material name=\"Nitride\" material-id=\"3\" density=\"1\"/>\n"
                                     "<Material name=\"\" material-id=\"42\"/>\n";
        QByteArray steps;
        for (int id : {1, 40, 41, 3, 42})
            steps +=
                "<Process-Data process-type=\"4\"><Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" "
                "parameter-data=\"" +
                QByteArray::number(id) + "\"/></Process-Data>\n";
        const QString path = writeText(m_dir, QStringLiteral("materials.plst"), listText(1, materials, steps));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        auto id = [&reader](int i) {
            return reader.steps()[i].getProcessParameter(QStringLiteral("Material_Id")).toUInt();
        };
        auto name = [&reader](int i) {
            return reader.steps()[i].getProcessParameter(QStringLiteral("Material")).toString();
        };
        QCOMPARE(id(0), 1u);
        QCOMPARE(id(1), 40u);
        QCOMPARE(name(1), QStringLiteral("Glass"));
        QCOMPARE(MaterialFactory::instance()->getMaterial(40).name(), QStringLiteral("Glass"));
        QCOMPARE(id(2), 16u);
        QVERIFY(id(3) >= 2000u);
        QCOMPARE(name(3), QStringLiteral("Nitride"));
        QCOMPARE(MaterialFactory::instance()->getMaterial(3).name(), QStringLiteral("Thermal Si02"));
        QCOMPARE(id(4), 0u); // the unparsable material has no translation
        QCOMPARE(reader.materialReport().size(), 2);
        QVERIFY(reader.materialReport()[0].contains(QLatin1String("Nitride")));
        QVERIFY(reader.materialReport()[1].startsWith(QLatin1String("Material 42 of step 5")));
    }

    void conflictChoicesAreCarriedOut_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<uint>("expectedId");
        QTest::addColumn<QString>("catalogueName");
        QTest::newRow("replace loaded by existing")
            << int(ProcessListFile::ConflictChoice::ReplaceLoadedByExisting) << 3u << "Thermal Si02";
        QTest::newRow("replace existing by loaded")
            << int(ProcessListFile::ConflictChoice::ReplaceExistingByLoaded) << 3u << "Nitride";
        QTest::newRow("replace loaded by another")
            << int(ProcessListFile::ConflictChoice::ReplaceLoadedByAnother) << 9u << "Thermal Si02";
    }
    void conflictChoicesAreCarriedOut()
    {
        QFETCH(int, choice);
        QFETCH(uint, expectedId);
        QFETCH(QString, catalogueName);
        const QString path = writeText(
            m_dir, QStringLiteral("conflict.plst"),
            listText(
                1, "<Material name=\"Nitride\" material-id=\"3\" density=\"1\"/>\n",
                "<Process-Data process-type=\"4\"><Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" "
                "parameter-data=\"3\"/></Process-Data>\n"));
        ProcessListFile reader;
        int asked = 0;
        reader.setConflictResolver([&](const Material &existing, const Material &loaded) {
            ++asked;
            [&] {
                QCOMPARE(existing.name(), QStringLiteral("Thermal Si02"));
                QCOMPARE(loaded.name(), QStringLiteral("Nitride"));
            }();
            return ProcessListFile::ConflictAnswer{ProcessListFile::ConflictChoice(choice), 9u};
        });
        QVERIFY(reader.load(path));
        QCOMPARE(asked, 1);
        QCOMPARE(reader.steps()[0].getProcessParameter(QStringLiteral("Material_Id")).toUInt(), expectedId);
        QCOMPARE(MaterialFactory::instance()->getMaterial(3).name(), catalogueName);
    }

    void conflictWithoutAFreeIdentifierIsRefused()
    {
        // The list's 3 is "Nitride", the catalogue's 3 "Thermal Si02"; no answer means adding it as
        // new, and every identifier it could get is taken.
        takeNewMaterialIds();
        const int materialsBefore = MaterialFactory::instance()->getMaterials().size();
        const QString path = writeText(
            m_dir, QStringLiteral("full.plst"),
            listText(
                1, "<Material name=\"Nitride\" material-id=\"3\" density=\"1\"/>\n",
                "<Process-Data process-type=\"4\"><Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" "
                "parameter-data=\"3\"/></Process-Data>\n"));
        ProcessListFile reader;
        const bool loaded = reader.load(path);
        const int materialsAfter = MaterialFactory::instance()->getMaterials().size();
        MaterialFactory::instance()->createDefaultMaterials();

        QVERIFY(loaded);
        QCOMPARE(materialsAfter, materialsBefore);
        const ProcessData step = reader.steps()[0];
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 0u);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Empty"));
        QCOMPARE(reader.materialReport(),
                 QStringList{QStringLiteral(
                     "Material \"Nitride\" (identifier 3) of the list conflicts with the existing material \"Thermal "
                     "Si02\" (identifier 3) and could not be added as a new material: every material identifier from "
                     "2000 to 32766 is in use. Steps that use it get the \"Empty\" material.")});
    }

    void textForms_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("converted");
        QTest::newRow("vector") << "vector"
                                << "0110" << QVariant(QByteArray("\x00\x01\x01\x00", 4)) << "0110" << true;
        QTest::newRow("vector other characters") << "vector"
                                                 << "1x2" << QVariant(QByteArray("\x01\x00\x00", 3)) << "100" << true;
        QTest::newRow("vector empty") << "vector"
                                      << "" << QVariant(QByteArray()) << "" << true;
        QTest::newRow("Vector3D") << "Util::Vector3D"
                                  << "1;2;3" << QVariant::fromValue(Util::Vector3D(1, 2, 3)) << "1;2;3" << true;
        QTest::newRow("Vector3D empty") << "Util::Vector3D"
                                        << "" << QVariant::fromValue(Util::Vector3D(0, 0, 0)) << "0;0;0" << true;
        QTest::newRow("Vector3D short") << "Util::Vector3D"
                                        << "4;;" << QVariant::fromValue(Util::Vector3D(4, 0, 0)) << "4;0;0" << false;
        QTest::newRow("Vector3D two parts")
            << "Util::Vector3D"
            << "4;5" << QVariant::fromValue(Util::Vector3D(4, 5, 0)) << "4;5;0" << false;
        QTest::newRow("Vector3D ten digits")
            << "Util::Vector3D"
            << "0.1234567891;-2e-09;1e+20" << QVariant::fromValue(Util::Vector3D(0.1234567891, -2e-9, 1e20))
            << "0.1234567891;-2e-09;1e+20" << true;
        QTest::newRow("Vector3D part not a number")
            << "Util::Vector3D"
            << "1;x;3" << QVariant::fromValue(Util::Vector3D(1, 0, 3)) << "1;0;3" << false;
        QTest::newRow("bool") << "bool"
                              << "true" << QVariant(true) << "true" << true;
        QTest::newRow("bool other") << "bool"
                                    << "TRUE" << QVariant(false) << "false" << true;
        QTest::newRow("uint") << "uint"
                              << "42" << QVariant(42u) << "42" << true;
        QTest::newRow("uint not a number") << "uint"
                                           << "x" << QVariant(0u) << "0" << false;
        QTest::newRow("int") << "int"
                             << "-7" << QVariant(-7) << "-7" << true;
        QTest::newRow("uint negative") << "uint"
                                       << "-3" << QVariant(0u) << "0" << false;
        QTest::newRow("uint with a point") << "uint"
                                           << "5.0" << QVariant(0u) << "0" << false;
        QTest::newRow("int not a number") << "int"
                                          << "seven" << QVariant(0) << "0" << false;
        QTest::newRow("double not a number") << "double"
                                             << "thick" << QVariant(0.0) << "0" << false;
        QTest::newRow("double empty") << "double"
                                      << "" << QVariant(0.0) << "0" << false;
        QTest::newRow("float out of range") << "float"
                                            << "1e40" << QVariant(0.0f) << "0" << false;
        QTest::newRow("double out of range") << "double"
                                             << "1e400" << QVariant(0.0) << "0" << false;
        QTest::newRow("Vector3D part out of range")
            << "Util::Vector3D"
            << "1;2;-1e400" << QVariant::fromValue(Util::Vector3D(1, 2, 0)) << "1;2;0" << false;
        QTest::newRow("double exponent") << "double"
                                         << "1.5e3" << QVariant(1500.0) << "1500" << true;
        QTest::newRow("float") << "float"
                               << "0.25" << QVariant(0.25f) << "0.25" << true;
        QTest::newRow("QString") << "QString"
                                 << "a;b" << QVariant(QStringLiteral("a;b")) << "a;b" << true;
        QTest::newRow("QColor") << "QColor"
                                << "#0a0b0c" << QVariant(QColor(10, 11, 12)) << "#0a0b0c" << true;
        QTest::newRow("QColor by name") << "QColor"
                                        << "red" << QVariant(QColor(255, 0, 0)) << "#ff0000" << true;
    }
    void textForms()
    {
        QFETCH(QString, type);
        QFETCH(QString, data);
        QFETCH(QVariant, value);
        QFETCH(QString, written);
        QFETCH(bool, converted);
        bool ok = !converted;
        const QVariant read = ProcessListFile::valueFromText(type, data, &ok);
        QCOMPARE(ok, converted);
        QCOMPARE(read.userType(), value.userType());
        QCOMPARE(ProcessListFile::valueText(read), ProcessListFile::valueText(value));
        QCOMPARE(ProcessListFile::valueText(read), written);
        QCOMPARE(ProcessListFile::valueTypeName(read), type);
    }

    void numbersThatDoNotConvertReadAsZeroAndAreRemembered()
    {
        const QString path = writeText(
            m_dir, QStringLiteral("typos.plst"),
            listText(1, siMaterial(),
                     "<Process-Data process-type=\"16\">"
                     "<Parameter parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"thick\"/>"
                     "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
                     "</Process-Data>\n"
                     "<Process-Data process-type=\"11\">"
                     "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"-3\"/>"
                     "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
                     "parameter-data=\"1;x;3\"/>"
                     "</Process-Data>\n"
                     "<Process-Data process-type=\"16\">"
                     "<Parameter parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"bad\"/>"
                     "<Parameter parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"2.5\"/>"
                     "</Process-Data>\n"));
        ProcessListFile file;
        QVERIFY2(file.load(path), qPrintable(file.errorString()));
        QList<ProcessData> steps = file.steps();
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
        QFile written(again);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        QVERIFY(text.contains("parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"thick\""));
        QVERIFY(text.contains("parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"-3\""));
        ProcessListFile reader;
        QVERIFY(reader.load(again));
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(reader.steps()[i].unconvertedParameters(), steps[i].unconvertedParameters());
            QCOMPARE(reader.steps()[i].getParameters(), steps[i].getParameters());
        }
    }

    void upgradedListKeepsWhatDidNotConvertUnderTheNewName()
    {
        const QString path = writeText(
            m_dir, QStringLiteral("old-typo.plst"),
            listText(0, siMaterial(),
                     "<Process-Data process-type=\"4\">"
                     "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"one\"/>"
                     "<Parameter parameter-name=\"Thickness\" parameter-type=\"double\" parameter-data=\"2\"/>"
                     "</Process-Data>\n"));
        ProcessListFile file;
        QVERIFY(file.load(path));
        QVERIFY(file.wasUpgraded());
        const ProcessData step = file.steps().first();
        QCOMPARE(step.unconvertedParameters(), (QMap<QString, QString>{{"Material_Id", "one"}}));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Empty"));
    }

    void unknownTypeGivesInvalidValue()
    {
        QVERIFY(!ProcessListFile::valueFromText(QStringLiteral("long"), QStringLiteral("1")).isValid());
        QVERIFY(!ProcessListFile::valueFromText(QStringLiteral("Bool"), QStringLiteral("true")).isValid());
    }

    void unreadableFilesFailAndLeaveTheListAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("not XML") << QByteArray("hello, world\n");
        QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?><Document/>");
        QTest::newRow("truncated") << listText(1, siMaterial(), "<Process-Data process-type=\"1\">").left(150);
        QTest::newRow("mismatched tags") << QByteArray(
            "<Process-List version=\"1\"><Process-Data></Parameter></Process-List>");
    }
    void unreadableFilesFailAndLeaveTheListAlone()
    {
        QFETCH(QByteArray, contents);
        const QString path = writeText(m_dir, QStringLiteral("bad.plst"), contents);
        const QList<ProcessData> before{ProcessData(3)};
        ProcessListFile reader(before);
        QVERIFY(!reader.load(path));
        QVERIFY(!reader.errorString().isEmpty());
        QCOMPARE(reader.steps().size(), 1);
        QCOMPARE(reader.steps()[0].getSerialNumber(), before[0].getSerialNumber());
    }

    void missingFileFails()
    {
        ProcessListFile reader;
        QVERIFY(!reader.load(m_dir.filePath(QStringLiteral("nothing.plst"))));
        QVERIFY(reader.errorString().contains(QLatin1String("nothing.plst")));
    }

    void saveToUnwritablePlaceFailsAndKeepsOldFile()
    {
        const QString path = writeText(m_dir, QStringLiteral("keep.plst"), "old contents");
        ProcessListFile writer({ProcessData(1)});
        QVERIFY(!writer.save(m_dir.filePath(QStringLiteral("no/such/folder/x.plst"))));
        QVERIFY(!writer.errorString().isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old contents"));
    }

    void emptyStepHasNoParameters()
    {
        const QString path = writeText(m_dir, QStringLiteral("emptystep.plst"),
                                       listText(1, QByteArray(),
                                                "<Process-Data process-type=\"12\"/>\n"
                                                "<Process-Data process-type=\"77\"></Process-Data>\n"));
        ProcessListFile reader;
        QVERIFY(reader.load(path));
        QCOMPARE(reader.steps().size(), 2);
        QVERIFY(reader.steps()[0].getParameters().isEmpty());
        QCOMPARE(reader.steps()[1].getProcessType(), 77);
    }
};

QTEST_GUILESS_MAIN(tst_ProcessListFile)
#include "tst_processlistfile.moc"
