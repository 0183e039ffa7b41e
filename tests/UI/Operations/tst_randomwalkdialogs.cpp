#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/randomwalkdopingoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "UI/Observers/exportdataobserver.h"
#include "UI/Observers/randomwalkdopingobserver.h"
#include "UI/Operations/exportdatadialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "catalogtesthome.h"
#include "testoperations.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::ParticleCounts;
using Ui::Operations::ExportDataDialog;
using Ui::Operations::RandomWalkDopingDialog;

namespace {

void answerNextDialog(std::function<void(QDialog &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
    });
}

void fill(QDialog &dialog, const char *name, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY2(edit, name);
    edit->setText(text);
}

// Boron-like values: 10 nm cells, D = 1e-13 cm^2/s, 1 s steps.
void fillValid(QDialog &dialog)
{
    fill(dialog, "lieDiffusionCoefficient", QStringLiteral("1e-13"));
    fill(dialog, "lieCellSize", QStringLiteral("0.01"));
    fill(dialog, "lieTimeStep", QStringLiteral("1"));
    fill(dialog, "lieConcentration", QStringLiteral("1e20"));
}

QString problemShown(QDialog &dialog)
{
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblProblem"));
    return label && !label->isHidden() ? label->text() : QString();
}

std::shared_ptr<Model::Automaton::TotalVolume> slab()
{
    std::vector<uint32_t> states(4 * 4 * 8);
    for (size_t i = 0; i < states.size(); ++i)
        states[i] = i % 8 < 5 ? 1u : 0u;
    return std::make_shared<Model::Automaton::TotalVolume>(4, 4, 8, 1, 1, 1, Util::Vector3D(), states);
}

} // namespace

class tst_RandomWalkDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void defaults()
    {
        RandomWalkDopingDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Random Walk Doping Options"));
        auto *time = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDopingTime"));
        QCOMPARE(time->value(), 60.0);
        QCOMPARE(time->suffix(), QStringLiteral(" minutes"));
        QCOMPARE(time->decimals(), 2);
        QCOMPARE(time->maximum(), 1e9);
        auto *threshold = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblThreshold"));
        QCOMPARE(threshold->value(), 10.0);
        QCOMPARE(threshold->suffix(), QStringLiteral(" %"));
        QVERIFY(threshold->toolTip().startsWith(QStringLiteral("This informs the software of the minimum")));
        auto *materials = dialog.findChild<QComboBox *>(QStringLiteral("cbxDopingMaterial"));
        QVERIFY(materials->count() >= 16); // every material of the catalogue
        QVERIFY(materials->toolTip().startsWith(QStringLiteral("This is the doped material.")));
        for (const char *name :
             {"lieDiffusionCoefficient", "lieCellSize", "lieTimeStep", "lieConcentration", "lieSeed"})
            QVERIFY(dialog.findChild<QLineEdit *>(QLatin1String(name))->text().isEmpty());
        QVERIFY(!dialog.seed());
    }

    void emptyFieldsAreNamedAndOkWaits()
    {
        RandomWalkDopingDialog dialog;
        fill(dialog, "lieCellSize", QStringLiteral("0.01"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(problemShown(dialog),
                 QStringLiteral("Enter a value for Diffusion Coefficient, Time Step Duration, Dopant concentration."));
        fill(dialog, "lieTimeStep", QStringLiteral("fast"));
        QVERIFY(dialog.problem().contains(QStringLiteral("Enter a value for Diffusion Coefficient, Dopant")));
        fill(dialog, "lieDiffusionCoefficient", QStringLiteral("1e-13"));
        fill(dialog, "lieConcentration", QStringLiteral("1e20"));
        QCOMPARE(dialog.problem(), QStringLiteral("Not a number: Time Step Duration (\"fast\")."));
    }

    void unitsAreConvertedToSI()
    {
        RandomWalkDopingDialog dialog;
        fillValid(dialog);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDopingTime"))->setValue(2.5);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblThreshold"))->setValue(20.0);
        auto *materials = dialog.findChild<QComboBox *>(QStringLiteral("cbxDopingMaterial"));
        materials->setCurrentIndex(materials->findData(14u));
        QCOMPARE(dialog.problem(), QString());
        const RandomWalkDopingInput in = dialog.input();
        QCOMPARE(in.material, 14u);
        QCOMPARE(in.dopingTime(), 150.0);            // minutes * 60
        QCOMPARE(in.diffusionCoefficient(), 1e-17);  // cm^2/s * 1e-4
        QCOMPARE(in.cellSize(), 1e-8);               // um * 1e-6
        QCOMPARE(in.timeStep(), 1.0);                // s
        QCOMPARE(in.dopantConcentration(), 1e26);    // cm^-3 * 1e6
        QCOMPARE(in.thresholdConcentration(), 2e25); // 20 % of it
    }

    void tooLongTimeStepIsRefusedWithTheLargestStep()
    {
        RandomWalkDopingDialog dialog;
        fillValid(dialog);
        fill(dialog, "lieTimeStep", QStringLiteral("2"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY2(problemShown(dialog).contains(QStringLiteral("largest allowed time step is 1.66667 s")),
                 qPrintable(problemShown(dialog)));
    }

    void seedField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qulonglong>("seed"); // 0 with an empty text: none
        QTest::newRow("empty: the clock") << QString() << true << 0ull;
        QTest::newRow("a number") << QStringLiteral("42") << true << 42ull;
        QTest::newRow("not a number") << QStringLiteral("x1") << false << 0ull;
    }
    void seedField()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(qulonglong, seed);
        RandomWalkDopingDialog dialog;
        fillValid(dialog);
        fill(dialog, "lieSeed", text);
        QCOMPARE(dialog.problem().isEmpty(), accepted);
        if (accepted)
            QCOMPARE(dialog.seed().has_value(), !text.isEmpty());
        if (dialog.seed())
            QCOMPARE(*dialog.seed(), uint64_t(seed));
    }

    void filledFromAStep()
    {
        RandomWalkDopingDialog dialog;
        dialog.setParameters({{"Doping Time", 4.0},
                              {"Material_Id", 16u},
                              {"Diffusion Coefficient", 1.5e-13},
                              {"Cell Size", 0.0125},
                              {"Time Step Duration", 0.25},
                              {"Surface Concentration", 3e19},
                              {"Doping Threshold", 12.5}});
        const RandomWalkDopingInput in = dialog.input();
        QCOMPARE(in.dopingTimeMinutes, 4.0);
        QCOMPARE(in.material, 16u);
        QCOMPARE(in.diffusionCoefficientCm2PerS, 1.5e-13);
        QCOMPARE(in.cellSizeMicrometres, 0.0125);
        QCOMPARE(in.timeStepSeconds, 0.25);
        QCOMPARE(in.surfaceConcentrationPerCm3, 3e19);
        QCOMPARE(in.thresholdPercent, 12.5);
    }

    void observerHandsSIValuesAndTheSeedToTheOperation()
    {
        Core::Workspace ws;
        QWidget window;
        auto volume = slab();
        ws.document().addObject(volume);
        auto observer = std::make_shared<Ui::Observers::RandomWalkDopingObserver>(ws, &window);
        std::shared_ptr<RandomWalkDopingOperation> op;
        auto factory = std::make_shared<TestFactory>();
        factory->makers[36] = [&] {
            op = withObserver(std::make_shared<RandomWalkDopingOperation>(ws), observer);
            return op;
        };
        ws.setOperationFactory(factory);
        answerNextDialog([](QDialog &dialog) {
            fillValid(dialog);
            fill(dialog, "lieSeed", QStringLiteral("7"));
            dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDopingTime"))->setValue(0.5);
            dialog.accept();
        });
        ws.startOperation(36);
        QCOMPARE(ws.console().message(), QStringLiteral("Random Walk Doping: Operation finished."));
        QCOMPARE(op->dopingTime(), 30.0);
        QCOMPARE(op->diffusionCoefficient(), 1e-17);
        QCOMPARE(op->cellSize(), 1e-8);
        QCOMPARE(op->dopantConcentration(), 1e26);
        QCOMPARE(op->thresholdConcentration(), 1e25);
        QCOMPARE(*op->seed(), uint64_t(7));
        QVERIFY(ParticleCounts::of(*volume, ParticleCounts::pTypeName()) ||
                ParticleCounts::of(*volume, ParticleCounts::nTypeName()));
    }

    void rejectedDialogCancels()
    {
        Core::Workspace ws;
        QWidget window;
        ws.document().addObject(slab());
        auto observer = std::make_shared<Ui::Observers::RandomWalkDopingObserver>(ws, &window);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[36] = [&] { return withObserver(std::make_shared<RandomWalkDopingOperation>(ws), observer); };
        ws.setOperationFactory(factory);
        answerNextDialog([](QDialog &dialog) { dialog.reject(); });
        ws.startOperation(36);
        QCOMPARE(ws.console().message(), QStringLiteral("Random Walk Doping: Operation Canceled!"));
        QVERIFY(!ws.undoRedo().canUndo());
    }

    // ---- export ----

    void exportDialogStartsInTheLastFolder()
    {
        ExportDataDialog::setLastFolder(m_dir.path());
        ExportDataDialog dialog({ParticleCounts::nTypeName(), ParticleCounts::pTypeName()});
        QCOMPARE(dialog.fileName(), m_dir.path() + QStringLiteral("/output.csv"));
        QCOMPARE(dialog.dataName(), ParticleCounts::nTypeName());
        auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxData"));
        QCOMPARE(box->count(), 2);
        box->setCurrentIndex(1);
        QCOMPARE(dialog.dataName(), ParticleCounts::pTypeName());

        // OK remembers the folder of the chosen file for the next dialog.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        dialog.findChild<QLineEdit *>(QStringLiteral("lieFileName"))
            ->setText(m_dir.filePath(QStringLiteral("sub/a.csv")));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ExportDataDialog::lastFolder(), m_dir.filePath(QStringLiteral("sub")));
    }

    void exportDialogWantsAFileName()
    {
        ExportDataDialog dialog({ParticleCounts::pTypeName()});
        dialog.findChild<QLineEdit *>(QStringLiteral("lieFileName"))->clear();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(problemShown(dialog), QStringLiteral("Enter the name of the file to write."));
    }

    void exportOfAVolumeWithoutDataSaysSo()
    {
        Core::Workspace ws;
        QWidget window;
        ws.document().addObject(slab());
        auto observer = std::make_shared<Ui::Observers::ExportDataObserver>(ws, &window);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[37] = [&] { return withObserver(std::make_shared<ExportDataOperation>(ws), observer); };
        ws.setOperationFactory(factory);
        QStringList lines;
        auto log = std::make_shared<CountingObserver>();
        log->onNotify = [&] { lines << ws.console().message(); };
        ws.console().addObserver(log);
        ws.startOperation(37); // no dialog opens: nothing would answer it
        QVERIFY2(lines.contains(QStringLiteral("Export Data: This cell volume holds no data to export. Random Walk "
                                               "Doping gives it particle counts.")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(!ws.currentOperation());
    }

    void exportFromTheDialog()
    {
        Core::Workspace ws;
        QWidget window;
        auto volume = slab();
        auto counts = std::make_shared<ParticleCounts>(volume->cellCount());
        counts->cell(0)[6] = 5;
        ParticleCounts::attach(*volume, ParticleCounts::pTypeName(), counts);
        ws.document().addObject(volume);
        auto observer = std::make_shared<Ui::Observers::ExportDataObserver>(ws, &window);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[37] = [&] { return withObserver(std::make_shared<ExportDataOperation>(ws), observer); };
        ws.setOperationFactory(factory);
        const QString path = m_dir.filePath(QStringLiteral("dialog.csv"));
        answerNextDialog([&path](QDialog &dialog) {
            dialog.findChild<QLineEdit *>(QStringLiteral("lieFileName"))->setText(path);
            dialog.accept();
        });
        ws.startOperation(37);
        QCOMPARE(ws.console().message(), QStringLiteral("Export Data:  data saved."));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("X: 0\n5.0000000000e+00 ; 0.0000000000e+00 ; "));
    }
};

QTEST_MAIN(tst_RandomWalkDialogs)
#include "tst_randomwalkdialogs.moc"
