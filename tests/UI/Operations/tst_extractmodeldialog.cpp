#include "Core/Operations/runmodelextraction.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "UI/Observers/destroymodelextractiondialogobserver.h"
#include "UI/Observers/runmodelextractionobserver.h"
#include "UI/Operations/extractmodeldialog.h"
#include "UI/operationfactory.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using Core::Operations::RunModelExtraction;
using Ui::Operations::ExtractModelDialog;

namespace {

// Lets deleteLater() take effect.
void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct Scene {
    Core::Workspace ws;
    std::shared_ptr<ScriptedDocumentDialogs> dialogs = std::make_shared<ScriptedDocumentDialogs>();
    std::shared_ptr<Ui::Observers::RunModelExtractionObserver> opener =
        std::make_shared<Ui::Observers::RunModelExtractionObserver>(ws, nullptr);
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    std::shared_ptr<Model::Automaton::TotalVolume> volume =
        CantileverScenes::block({CantileverScenes::Beam{4, 30, 4, 3}});

    Scene()
    {
        factory->makers[1000] = [this] {
            auto op = std::make_shared<RunModelExtraction>(ws, dialogs);
            op->setObserver(opener);
            op->setDestroyDialogObserver(std::make_shared<Ui::Observers::DestroyModelExtractionDialogObserver>(opener));
            return op;
        };
        ws.setOperationFactory(factory);
        ws.document().addObject(volume);
    }
    // A dialog still open at the end of a test is closed with its operation.
    ~Scene() { ws.cancelCurrentOperation(); }
    std::shared_ptr<RunModelExtraction> start()
    {
        ws.startOperation(1000);
        return std::dynamic_pointer_cast<RunModelExtraction>(ws.currentOperation());
    }
    int boxModels() const
    {
        int n = 0;
        for (const auto &object : const_cast<Core::Workspace &>(ws).document().allObjects())
            n += object->type() == 2 ? 1 : 0;
        return n;
    }
};

} // namespace

class tst_ExtractModelDialog : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }
    void cleanup() { flushDeletes(); }

    void theDialogOpensBesideTheViewWithStepOneOnly()
    {
        Scene s;
        auto op = s.start();
        QPointer<ExtractModelDialog> dialog = s.opener->dialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Extract Model"));
        QCOMPARE(dialog->objectName(), QStringLiteral("ExtractModelForm"));
        QStringList labels;
        for (QLabel *label : dialog->findChildren<QLabel *>())
            labels << label->text();
        for (const char *text : {"Model Extraction", "Preprocessing", "Feature Detection"})
            QVERIFY2(labels.contains(QLatin1String(text)), text);
        QCOMPARE(dialog->stepOneButton()->text(), QStringLiteral("Run Step 1"));
        QCOMPARE(dialog->stepTwoButton()->text(), QStringLiteral("Run Step 2"));
        QCOMPARE(dialog->stepThreeButton()->text(), QStringLiteral("Run Step 3"));
        QVERIFY(dialog->stepOneButton()->isEnabled());
        QVERIFY(!dialog->stepTwoButton()->isEnabled());
        QVERIFY(!dialog->stepThreeButton()->isEnabled());
        // The cell edge is shown in micrometres; the operation keeps its exact value until it is edited.
        QCOMPARE(dialog->cellEdgeSpinBox()->value(), 2.715);
        QCOMPARE(op->lengthPerUnit(), Model::ModelExtraction::CantileverStructure::defaultLengthPerUnit());
    }

    void stepsAreEnabledInTurnAndClosingFinishes()
    {
        Scene s;
        QTemporaryDir dir;
        auto op = s.start();
        QPointer<ExtractModelDialog> dialog = s.opener->dialog();
        QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
        QVERIFY(!dialog->stepOneButton()->isEnabled());
        QVERIFY(dialog->stepTwoButton()->isEnabled());
        QVERIFY(!dialog->stepThreeButton()->isEnabled());
        QCOMPARE(s.boxModels(), 1);
        QTest::mouseClick(dialog->stepTwoButton(), Qt::LeftButton);
        QVERIFY(!dialog->stepTwoButton()->isEnabled());
        QVERIFY(dialog->stepThreeButton()->isEnabled());
        QCOMPARE(s.boxModels(), 2);

        dialog->cellEdgeSpinBox()->setValue(1.0);
        QCOMPARE(op->lengthPerUnit(), 1.0e-6);
        const QString file = dir.filePath(QStringLiteral("beam.cir"));
        s.dialogs->answers << file;
        QTest::mouseClick(dialog->stepThreeButton(), Qt::LeftButton);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly | QIODevice::Text));
        // 1 micrometre edges: aluminium 30 x 4 x 3 has k = 70 N/m.
        QCOMPARE(QString::fromUtf8(written.readAll()),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.29114e-13 \nl1 1 0 0.0142857 \n.end \n"));
        QVERIFY(dialog->stepThreeButton()->isEnabled()); // may be saved again

        dialog->close();
        flushDeletes();
        QVERIFY(!dialog);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.boxModels(), 0);
        QVERIFY(!s.volume->painter().extractionDisplay());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.console().message(), QStringLiteral("Model Extraction: Model extracted."));
    }

    void cancellingTheOperationClosesTheDialog()
    {
        Scene s;
        auto op = s.start();
        QPointer<ExtractModelDialog> dialog = s.opener->dialog();
        QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
        s.ws.cancelCurrentOperation();
        QVERIFY(!dialog || !dialog->isVisible());
        flushDeletes();
        QVERIFY(!dialog);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.boxModels(), 0);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Model Extraction: Operation canceled."));
    }

    void escapeClosesLikeTheCloseButton()
    {
        Scene s;
        auto op = s.start();
        QPointer<ExtractModelDialog> dialog = s.opener->dialog();
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
        flushDeletes();
        QVERIFY(!dialog);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Model Extraction: Model extracted."));
    }

    void theFactoryWiresTheDialog()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<Ui::OperationFactory>(ws, nullptr);
        ws.setOperationFactory(factory);
        ws.document().addObject(CantileverScenes::block({CantileverScenes::Beam{4, 30, 4, 3}}));
        ws.startOperation(1000);
        auto op = std::dynamic_pointer_cast<RunModelExtraction>(ws.currentOperation());
        QVERIFY(op);
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        ExtractModelDialog *dialog = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<ExtractModelDialog *>(w); d && d->isVisible())
                dialog = d;
        }
        QVERIFY(dialog);
        QPointer<ExtractModelDialog> watched = dialog;
        ws.cancelCurrentOperation();
        flushDeletes();
        QVERIFY(!watched);
    }
};

QTEST_MAIN(tst_ExtractModelDialog)
#include "tst_extractmodeldialog.moc"
