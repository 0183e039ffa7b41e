#include "Core/Operations/dopingoperation.h"
#include "Core/Operations/ionimplantationoperation.h"
#include "Core/Operations/simplesioxidationoperation.h"
#include "Core/workspace.h"
#include "UI/Observers/dopingoptionsobserver.h"
#include "UI/Observers/ionimplantationoptionsobserver.h"
#include "UI/Observers/sioxidationobserver.h"
#include "catalogtesthome.h"
#include "testoperations.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace Core::Operations;

namespace {

void answerNextDialog(std::function<void(QDialog &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
    });
}

void setValue(QDialog &dialog, const char *name, double value)
{
    dialog.findChild<QDoubleSpinBox *>(QLatin1String(name))->setValue(value);
}

void chooseMaterial(QDialog &dialog, uint material)
{
    auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
    box->setCurrentIndex(box->findData(material));
}

/// Starts an operation of class Op on a one-volume document and lets `answer` play the dialog;
/// gives the operation.
template <class Op, class Observer>
std::shared_ptr<Op> runWithDialog(Core::Workspace &ws, QWidget *window, std::function<void(QDialog &)> answer)
{
    std::vector<uint32_t> states(4 * 4 * 8);
    for (size_t i = 0; i < states.size(); ++i)
        states[i] = i % 8 < 4 ? 1u : 0u;
    ws.document().addObject(
        std::make_shared<Model::Automaton::TotalVolume>(4, 4, 8, 1, 1, 1, Util::Vector3D(), states));
    std::shared_ptr<Op> op;
    auto factory = std::make_shared<TestFactory>();
    factory->makers[1] = [&ws, &op, window] {
        op = std::make_shared<Op>(ws);
        op->setObserver(std::make_shared<Observer>(ws, window));
        return op;
    };
    ws.setOperationFactory(factory);
    answerNextDialog(answer);
    ws.startOperation(1);
    return op;
}

} // namespace

class tst_DopingObservers : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void dopingObserverSetsMaterialAndDepth()
    {
        Core::Workspace ws;
        QWidget window;
        auto op = runWithDialog<DopingOperation, Ui::Observers::DopingOptionsObserver>(ws, &window, [](QDialog &d) {
            setValue(d, "dblDepth", 1.5);
            chooseMaterial(d, 14);
            d.accept();
        });
        QCOMPARE(op->material(), 14u);
        QCOMPARE(op->depth(), 1.5f);
        QCOMPARE(ws.console().message(), QStringLiteral("Doping: Operation finished."));
    }

    void implantationObserverSetsEveryDistance()
    {
        Core::Workspace ws;
        QWidget window;
        auto op = runWithDialog<IonImplantationOperation, Ui::Observers::IonImplantationOptionsObserver>(
            ws, &window, [](QDialog &d) {
                setValue(d, "dblDepth", 2.0);
                setValue(d, "dblSpread", 0.5);
                setValue(d, "dblAnnealing", 1.0);
                chooseMaterial(d, 15);
                d.accept();
            });
        QCOMPARE(op->material(), 15u);
        QCOMPARE(op->depth(), 2.0f);
        QCOMPARE(op->spread(), 0.5f);
        QCOMPARE(op->annealingDistance(), 1.0f);
        QCOMPARE(ws.console().message(), QStringLiteral("Ion Implantation: Operation finished."));
    }

    void oxidationObserverSetsTheChosenMode_data()
    {
        QTest::addColumn<bool>("byTime");
        QTest::newRow("thickness") << false;
        QTest::newRow("time") << true;
    }
    void oxidationObserverSetsTheChosenMode()
    {
        QFETCH(bool, byTime);
        Core::Workspace ws;
        QWidget window;
        auto op = runWithDialog<SimpleSiOxidationOperation, Ui::Observers::SiOxidationObserver>(
            ws, &window, [byTime](QDialog &d) {
                setValue(d, "dblThickness", 0.02);
                setValue(d, "dblConversion", 50.0);
                if (byTime) {
                    d.findChild<QRadioButton *>(QStringLiteral("radTime"))->setChecked(true);
                    setValue(d, "dblTime", 0.5);
                    setValue(d, "dblTemperature", 1173.0);
                    setValue(d, "dblPressure", 0.7);
                }
                d.accept();
            });
        QCOMPARE(op->byThickness(), !byTime);
        QCOMPARE(op->conversion(), 50.0);
        if (byTime) {
            QCOMPARE(op->time(), 0.5);
            QCOMPARE(op->temperature(), 1173.0);
            QCOMPARE(op->pressure(), 0.7);
        } else {
            QCOMPARE(op->thickness(), 0.02);
        }
        QCOMPARE(ws.console().message(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    }

    void rejectedDialogSetsNothing()
    {
        Core::Workspace ws;
        QWidget window;
        auto op = runWithDialog<IonImplantationOperation, Ui::Observers::IonImplantationOptionsObserver>(
            ws, &window, [](QDialog &d) { d.reject(); });
        QVERIFY(op);
        QCOMPARE(ws.console().message(), QStringLiteral("Ion Implantation: Operation Canceled!"));
        QVERIFY(!ws.undoRedo().canUndo());
    }
};

QTEST_MAIN(tst_DopingObservers)
#include "tst_dopingobservers.moc"
