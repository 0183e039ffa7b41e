#include "catalogtesthome.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QtTest>

using Model::Process::Process;
using Model::Process::ProcessFactory;

namespace {
QByteArray golden()
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/catalogues/processes.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray processFile(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Processes>\n" + body + "</Processes>\n";
}
} // namespace

class tst_ProcessFactory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The material catalogue must exist for the compatible-material lookups.
        CatalogTestHome home;
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
    }

    void builtInTableIsWrittenByteForByte()
    {
        CatalogTestHome home;
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("processes.xml")), golden());
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(15).name(), QStringLiteral("Ion Implantation"));
        QCOMPARE(factory->getProcess(3).compatibleMaterialIds(), (QList<uint32_t>{3, 16}));
    }

    void partialFileIsCompletedAndRewritten()
    {
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"1\" name=\"Planarization\" process-id=\"7\">"
                               "<CompatibleMaterials>1;3</CompatibleMaterials></Process>\n"));
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(factory->getProcesses().size(), 18);
        QCOMPARE(factory->getProcess(7).compatibleMaterialIds(), (QList<uint32_t>{1, 3}));
        const QByteArray written = home.read(QStringLiteral("processes.xml"));
        QCOMPARE(written.count("<Process "), 18);
        QVERIFY(written.contains("<CompatibleMaterials>1;3</CompatibleMaterials>"));
        factory->createDefaultProcesses();
    }

    void compatibleMaterialsParsing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<uint32_t>>("expected");
        QTest::newRow("empty part and word skipped") << QByteArray("1;;abc;14") << QList<uint32_t>{1, 14};
        QTest::newRow("trailing separator") << QByteArray("4;5;") << QList<uint32_t>{4, 5};
        QTest::newRow("empty element") << QByteArray("") << QList<uint32_t>{};
    }

    void compatibleMaterialsParsing()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<uint32_t>, expected);
        CatalogTestHome home;
        home.write(QStringLiteral("processes.xml"),
                   processFile("<Process version=\"1\" name=\"Mine\" process-id=\"40\"><CompatibleMaterials>" + text
                               + "</CompatibleMaterials></Process>\n"));
        auto factory = ProcessFactory::instance();
        QVERIFY(factory->loadProcesses());
        QCOMPARE(factory->getProcess(40).compatibleMaterialIds(), expected);
    }

    void rejectedElementsAndDuplicates()
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
                               "<Process version=\"1\" name=\"NoList\" process-id=\"44\"/>\n"));
        auto factory = ProcessFactory::instance();
        QVERIFY(factory->loadProcesses());
        QCOMPARE(factory->getProcess(41).id(), 0u);
        QCOMPARE(factory->getProcess(42).id(), 0u);
        QCOMPARE(factory->getProcess(43).name(), QStringLiteral("Late"));
        QCOMPARE(factory->getProcess(43).compatibleMaterialIds(), QList<uint32_t>{3});
        QCOMPARE(factory->getProcess(44).name(), QStringLiteral("NoList"));
        QVERIFY(factory->getProcess(44).compatibleMaterialIds().isEmpty());
        QVERIFY(!factory->setProcess(Process(QStringLiteral("none"), 0)));
        QCOMPARE(factory->getProcess(1000).name(), QString());
    }

    void malformedFileIsBackedUpAndReplaced()
    {
        CatalogTestHome home;
        const QByteArray broken = "<?xml version=\"1.0\"?>\n<Processes><Process version=\"1\" name=\"A\"";
        home.write(QStringLiteral("processes.xml"), broken);
        auto factory = ProcessFactory::instance();
        factory->startUp();
        QCOMPARE(home.read(QStringLiteral("processes.xml.bak")), broken);
        QCOMPARE(home.read(QStringLiteral("processes.xml")), golden());
    }

    void compatibleMaterialsSkipsUnknownIdentifiers()
    {
        Process process(QStringLiteral("P"), 50, {1, 999, 3});
        const auto materials = process.compatibleMaterials();
        QCOMPARE(materials.size(), 2);
        QCOMPARE(materials.at(1).name(), QStringLiteral("Thermal Si02"));
        process.addCompatibleMaterial(1);
        process.removeCompatibleMaterial(1);
        QCOMPARE(process.compatibleMaterialIds(), (QList<uint32_t>{999, 3}));
    }
};

QTEST_GUILESS_MAIN(tst_ProcessFactory)
#include "tst_processfactory.moc"
