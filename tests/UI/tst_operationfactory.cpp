#include "Core/Operations/copyobject.h"
#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/moveobject.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationfactory.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "testoperations.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

#include <memory>

using Ui::OperationFactory;

namespace {

std::shared_ptr<Model::Automaton::TotalVolume> smallVolume()
{
    return std::make_shared<Model::Automaton::TotalVolume>(4, 4, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
}

} // namespace

class tst_OperationFactory : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

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
        QTest::newRow("random walk doping") << 36u << "Random Walk Doping" << 36u;
        QTest::newRow("export data") << 37u << "Export Data" << 37u;
        QTest::newRow("BCA wet etch") << 28u << "BCA Wet Etch" << 28u;
        QTest::newRow("continuous wet etch") << 29u << "Continuous Wet Etch" << 29u;
        QTest::newRow("extract film") << 8u << "Extract Film" << 8u;
        QTest::newRow("glue") << 12u << "Glue Volumes" << 12u;
        QTest::newRow("cut planes share code 2") << 16u << "Change Cut Planes" << 2u;
        QTest::newRow("model extraction") << 1000u << "Extract Model" << 1000u;
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

    void everyListedOperationIsServed()
    {
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        // Select Volumes waits for the Batch Run dialog to hook its observer in.
        for (const auto &entry : OperationFactory::table())
            QVERIFY2(factory.serves(entry.identifier) != entry.needsObserverHook, entry.actionName);
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
        QCOMPARE(op->observer(), Util::ObserverPtr(batchObserver));
        QCOMPARE(factory.create(24)->observer(), Util::ObserverPtr(batchObserver));
        QCOMPARE(made, 1); // one observer for the window, shared by its operations

        factory.setObserverMaker(24, {});
        QVERIFY(!factory.serves(24));
    }

    void eachFactoryOwnsOneObserverPerKind()
    {
        Core::Workspace first;
        Core::Workspace second;
        OperationFactory one(first, nullptr);
        OperationFactory other(second, nullptr);
        for (uint32_t id :
             {2u, 6u, 9u, 10u, 11u, 13u, 14u, 15u, 18u, 19u, 20u, 22u, 23u, 27u, 30u, 31u, 32u, 33u, 34u}) {
            const auto a = one.create(id);
            const auto b = one.create(id);
            QVERIFY2(a->observer(), qPrintable(QString::number(id)));
            QCOMPARE(a->observer(), b->observer());
            QVERIFY(other.create(id)->observer() != a->observer());
        }
        // Save and Save As tell the same title observer; CVD's dialog offers other materials
        // than the isotropic deposition's, so the two do not share one.
        QCOMPARE(one.create(9)->observer(), one.create(10)->observer());
        QVERIFY(one.create(13)->observer() != one.create(33)->observer());
        for (uint32_t id : {1u, 4u, 7u, 35u})
            QVERIFY(!one.create(id)->observer());
    }

    void windowsKeepTheirOwnObservers_data()
    {
        QTest::addColumn<uint32_t>("identifier");
        QTest::addColumn<bool>("closeOther");
        const struct {
            const char *name;
            uint32_t identifier;
        } commands[] = {{"viewing options", 6},      {"isotropic deposition", 13},
                        {"isotropic etching", 14},   {"electroplating", 15},
                        {"Moore deposition", 18},    {"Moore etching", 19},
                        {"photolithography", 20},    {"planarization", 22},
                        {"pour material", 23},       {"anisotropic deposition", 27},
                        {"simple RIE", 30},          {"PVD", 31},
                        {"anisotropic etching", 32}, {"CVD", 33},
                        {"masked cut", 34}};
        for (const auto &command : commands) {
            QTest::newRow(qPrintable(QString::fromLatin1(command.name) + QStringLiteral(", other window open")))
                << command.identifier << false;
            QTest::newRow(qPrintable(QString::fromLatin1(command.name) + QStringLiteral(", other window closed")))
                << command.identifier << true;
        }
    }

    void windowsKeepTheirOwnObservers()
    {
        // Window A waits for a volume; window B then starts the same command (and may be closed).
        // Going on in A opens A's dialog, over A, for A's operation.
        QFETCH(uint32_t, identifier);
        QFETCH(bool, closeOther);
        MainWindow a;
        Core::Workspace &wsA = a.presenter()->workspace();
        auto volume = smallVolume();
        wsA.document().addObject(volume);
        wsA.document().addObject(smallVolume());
        wsA.startOperation(identifier);
        const auto waitingInA = wsA.currentOperation();
        QVERIFY(waitingInA);

        auto b = std::make_unique<MainWindow>();
        Core::Workspace &wsB = b->presenter()->workspace();
        wsB.startOperation(identifier); // an empty document: B's operation waits as well
        const auto waitingInB = wsB.currentOperation();
        QVERIFY(waitingInB);
        if (closeOther)
            b.reset();

        int dialogs = 0;
        QWidget *over = nullptr;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            ++dialogs;
            over = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
            dialog->reject();
        });
        wsA.selection().toggle(volume);
        a.presenter()->enterPressed();

        QCOMPARE(dialogs, 1);
        QCOMPARE(over, static_cast<QWidget *>(&a));
        // The rejected dialog cancelled A's own operation ...
        QVERIFY(!wsA.currentOperation());
        // The steps word it differently: "canceled.", "Canceled!", "canceled!".
        QVERIFY2(wsA.console().message().contains(QStringLiteral("anceled")), qPrintable(wsA.console().message()));
        // ... and left B's waiting one alone.
        if (b) {
            QCOMPARE(wsB.currentOperation(), waitingInB);
            QVERIFY(wsB.console().message().endsWith(QStringLiteral("Enter/Return.")));
        }
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
