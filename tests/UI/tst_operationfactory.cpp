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
    void everyListedIdentifierBuildsItsOwnOperationAndNoOtherIsServed()
    {
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        for (const auto &entry : OperationFactory::table()) {
            if (entry.needsObserverHook)
                continue;
            auto first = factory.create(entry.identifier);
            auto second = factory.create(entry.identifier);
            QVERIFY2(first && second && first != second, entry.actionName); // a new operation every time
            QCOMPARE(first->name(), QString::fromLatin1(entry.operationName));
            QCOMPARE(first->typeCode(), entry.typeCode);
            QCOMPARE(&first->workspace(), &ws);
        }
        QList<uint32_t> ids;
        for (const auto &entry : OperationFactory::table()) {
            ids << entry.identifier;
            // Select Volumes waits for the Batch Run dialog to hook its observer in.
            QVERIFY2(factory.serves(entry.identifier) != entry.needsObserverHook, entry.actionName);
        }
        QList<uint32_t> expected;
        for (uint32_t id = 1; id <= 37; ++id) {
            if (id != 5 && id != 21 && id != 25)
                expected << id;
        }
        QCOMPARE(ids, expected << 1000);
        for (uint32_t unused : {0u, 5u, 21u, 25u, 38u, 999u, 1001u, 5000u, 4294967295u}) {
            QVERIFY(!factory.serves(unused));
            QVERIFY(!factory.create(unused));
            QVERIFY(!OperationFactory::entry(unused));
        }
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
        // The commands whose dialog a window's own observer shows.
        for (uint32_t id : {6u, 13u, 14u, 15u, 18u, 19u, 20u, 22u, 23u, 27u, 30u, 31u, 32u, 33u, 34u}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, other window open").arg(id))) << id << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, other window closed").arg(id))) << id << true;
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
};

QTEST_MAIN(tst_OperationFactory)
#include "tst_operationfactory.moc"
