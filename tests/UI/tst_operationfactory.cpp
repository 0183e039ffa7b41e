#include "Core/Operations/copyobject.h"
#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/moveobject.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "UI/operationfactory.h"
#include "testoperations.h"

#include <QtTest>

using Ui::OperationFactory;

class tst_OperationFactory : public QObject {
    Q_OBJECT
private slots:
    void unusedIdentifiersGiveNothing_data()
    {
        QTest::addColumn<uint32_t>("identifier");
        for (uint32_t id : {0u, 5u, 21u, 25u, 38u, 999u, 1001u, 5000u, 4294967295u})
            QTest::newRow(qPrintable(QString::number(id))) << id;
    }

    void unusedIdentifiersGiveNothing()
    {
        QFETCH(uint32_t, identifier);
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        QVERIFY(!factory.serves(identifier));
        QVERIFY(!factory.create(identifier));
        QVERIFY(!OperationFactory::entry(identifier));
    }

    void builtOperations_data()
    {
        QTest::addColumn<uint32_t>("identifier");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint32_t>("typeCode");
        QTest::newRow("copy") << 1u << "Copy Objects" << 1u;
        QTest::newRow("create substrate") << 2u << "Create Substrate" << 2u;
        QTest::newRow("delete") << 4u << "Delete Objects" << 4u;
        QTest::newRow("move") << 7u << "Move Objects" << 7u;
        QTest::newRow("save") << 9u << "Save document" << 9u;
        QTest::newRow("save as") << 10u << "Save Document As" << 10u;
        QTest::newRow("open") << 11u << "Open document" << 11u;
        QTest::newRow("isotropic deposition") << 13u << "Isotropic Deposition" << 13u;
        QTest::newRow("isotropic etching") << 14u << "Isotropic Etching" << 14u;
        QTest::newRow("electroplating") << 15u << "Electroplating" << 15u;
        QTest::newRow("ion implantation") << 3u << "Ion Implantation" << 3u;
        QTest::newRow("doping") << 17u << "Doping" << 17u;
        QTest::newRow("si oxidation") << 26u << "Simple Si Oxidation" << 26u;
        QTest::newRow("anisotropic deposition shares code 13") << 27u << "Anisotropic Deposition" << 13u;
        QTest::newRow("simple rie") << 30u << "Simple RIE" << 30u;
        QTest::newRow("PVD shares code 13 and the deposition's name") << 31u << "Isotropic Deposition" << 13u;
        QTest::newRow("anisotropic etching shares code 13") << 32u << "Anisotropic Etching" << 13u;
        QTest::newRow("CVD is the isotropic deposition under its own name") << 33u << "CVD" << 13u;
        QTest::newRow("Moore deposition") << 18u << "Moore film deposition" << 18u;
        QTest::newRow("Moore etching") << 19u << "Moore film deposition" << 19u;
        QTest::newRow("photolithography") << 20u << "Photolithography" << 20u;
        QTest::newRow("planarization") << 22u << "Planarization" << 22u;
        QTest::newRow("pour material") << 23u << "Spin Coating" << 23u;
        QTest::newRow("masked cut") << 34u << "Masked Cut" << 34u;
        QTest::newRow("remove cuts") << 35u << "Remove Cuts" << 35u;
    }

    void builtOperations()
    {
        QFETCH(uint32_t, identifier);
        QFETCH(QString, name);
        QFETCH(uint32_t, typeCode);
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        QVERIFY(factory.serves(identifier));
        auto first = factory.create(identifier);
        auto second = factory.create(identifier);
        QVERIFY(first && second && first != second); // a new operation every time
        QCOMPARE(first->name(), name);
        QCOMPARE(first->typeCode(), typeCode);
        QCOMPARE(&first->workspace(), &ws);
        // The table agrees with the operation itself.
        QCOMPARE(QString::fromLatin1(OperationFactory::entry(identifier)->operationName), name);
        QCOMPARE(OperationFactory::entry(identifier)->typeCode, typeCode);
    }

    void operationsNotBuiltYetAreListedButNotServed_data()
    {
        QTest::addColumn<uint32_t>("identifier");
        QTest::addColumn<QString>("action");
        QTest::addColumn<uint32_t>("typeCode");
        QTest::newRow("BCA wet etching") << 28u << "actionBCA_Wet_Etching" << 28u;
        QTest::newRow("cut planes share code 2") << 16u << "actionCut_Cell_Volume" << 2u;
        QTest::newRow("extract film") << 8u << "actionExtract_Film" << 8u;
        QTest::newRow("model extraction") << 1000u << "actionModel_Extraction" << 1000u;
    }

    void operationsNotBuiltYetAreListedButNotServed()
    {
        QFETCH(uint32_t, identifier);
        QFETCH(QString, action);
        QFETCH(uint32_t, typeCode);
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        const auto *entry = OperationFactory::entry(identifier);
        QVERIFY(entry);
        QCOMPARE(QString::fromLatin1(entry->actionName), action);
        QCOMPARE(entry->typeCode, typeCode);
        QVERIFY(!factory.serves(identifier));
        QVERIFY(!factory.create(identifier));
    }

    void tableHoldsEveryIdentifierOnce()
    {
        QList<uint32_t> ids;
        for (const auto &entry : OperationFactory::table())
            ids << entry.identifier;
        QList<uint32_t> expected;
        for (uint32_t id = 1; id <= 37; ++id) {
            if (id != 5 && id != 21 && id != 25)
                expected << id;
        }
        expected << 1000;
        QCOMPARE(ids, expected);
    }

    void createSubstrateGetsItsOwnObserver()
    {
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        auto op = std::dynamic_pointer_cast<Core::Operations::CreateSubstrateOperation>(factory.create(2));
        QVERIFY(op);
        QVERIFY(!op->isReady());
    }

    void selectVolumesIsServedOnlyWithASuppliedObserver()
    {
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        QVERIFY(!factory.serves(24));
        QVERIFY(!factory.create(24));

        auto batchObserver = std::make_shared<CountingObserver>();
        int made = 0;
        factory.setObserverMaker(24, [&](Core::Workspace &w, QWidget *) -> Util::ObserverPtr {
            ++made;
            return &w == &ws ? batchObserver : nullptr;
        });
        QVERIFY(factory.serves(24));
        auto op = factory.create(24);
        QVERIFY(std::dynamic_pointer_cast<Core::Operations::SelectVolumesOperation>(op));
        QCOMPARE(made, 1);
        QCOMPARE(Core::Operations::SelectVolumesOperation::observer(), Util::ObserverPtr(batchObserver));

        factory.setObserverMaker(24, {});
        QVERIFY(!factory.serves(24));
        Core::Operations::SelectVolumesOperation::setObserver(nullptr);
    }

    void workspaceStartsFactoryOperations()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<OperationFactory>(ws, nullptr);
        ws.setOperationFactory(factory);
        ws.startOperation(4); // nothing selected: delete waits for Enter
        QVERIFY(std::dynamic_pointer_cast<Core::Operations::DeleteObject>(ws.currentOperation()));
        ws.startOperation(21);
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.console().message(), QStringLiteral("Delete: Operation canceled."));
    }
};

QTEST_MAIN(tst_OperationFactory)
#include "tst_operationfactory.moc"
