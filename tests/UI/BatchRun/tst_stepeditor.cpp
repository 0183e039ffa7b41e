#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/ProcessDialogs/photolithographydialog.h"
#include "UI/dialogtesting.h"
#include "Util/vector3d.h"
#include "catalogtesthome.h"
#include "nextdialog.h"
#include "volumetesthelpers.h"

#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Core::BatchRun;
using Core::Processes::ProcessStep;

using DialogScript = std::function<void(QDialog *)>;
Q_DECLARE_METATYPE(DialogScript)

namespace {

// A step as a loaded list holds it: the values, derived names and colours, default visibilities.
ProcessStep stepWith(int type, const QVariantMap &values)
{
    ProcessStep step(type);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        step.setParameter(it.key(), it.value(), true);
    completeDerivedParameters(step);
    applyDefaultVisibility(step);
    return step;
}

// Runs editStep while `script` plays the user in the dialog it opens; gives the dialog's class.
QString editScripted(ProcessStep &step, bool adding, const DialogScript &script, bool *accepted)
{
    QString opened;
    answerNextDialog([&opened, &script](QDialog &dialog) {
        opened = QLatin1String(dialog.metaObject()->className());
        script(&dialog);
    });
    *accepted = Ui::editStep(nullptr, step, adding);
    return opened;
}

const DialogScript accept = [](QDialog *d) { d->accept(); };

// Every parameter of the list format is there, of its kind, and nothing else; a wet etch holds
// the fields of its mode (bath or depth) only.
void checkKinds(const ProcessStep &step)
{
    QStringList names;
    const bool bath = step.hasParameter(QStringLiteral("Etchant"));
    for (const ParameterDefinition &definition : parameterDefinitions(step.getProcessType())) {
        if ((definition.shown == Shown::WhenEtchant && !bath) || (definition.shown == Shown::WhenNoEtchant && bath) ||
            (definition.shown == Shown::WhenGiven && !step.hasParameter(definition.name)))
            continue;
        names << definition.name;
        QVERIFY2(step.hasParameter(definition.name), qPrintable(definition.name));
        QCOMPARE(ProcessListFile::valueTypeName(step.getProcessParameter(definition.name)), kindName(definition.kind));
    }
    QCOMPARE(step.getParameters().keys(), names);
}

} // namespace

class tst_StepEditor : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

    // Every step type with values that differ from its dialog's defaults and fit its fields.
    void stepTypes()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QVariantMap>("values");
        const QByteArray mask("\x00\x01\x01\x00\x01\x00", 6);
        QTest::newRow("0 photolithography")
            << int(Photolithography) << "Ui::Operations::PhotolithographyDialog"
            << QVariantMap{{"Material_Id", 12u},     {"Top Mask", mask},        {"Top Mask File", "/masks/top.png"},
                           {"Top Mask Width", 3u},   {"Top Mask Height", 2u},   {"Bottom Mask", QByteArray()},
                           {"Bottom Mask File", ""}, {"Bottom Mask Width", 0u}, {"Bottom Mask Height", 0u}};
        QTest::newRow("1 Si wet etching") << int(SiWetEtching) << "Ui::Operations::SiWetEtchingDialog"
                                          << QVariantMap{{"Depth", 3.5}, {"Etch Model", "CCA"}};
        QTest::newRow("1 Si wet etching in KOH")
            << int(SiWetEtching) << "Ui::Operations::SiWetEtchingDialog"
            << QVariantMap{{"Etch Model", "CCA"}, {"Etchant", "KOH"},          {"Concentration", 25.0},
                           {"Temperature", 80.0}, {"Etch Time", 12.5},         {"Cell Size", 0.5},
                           {"Flat Angle", 90.0},  {"Wafer Orientation", "100"}};
        QTest::newRow("2 Moore deposition") << int(MooreDeposition) << "Ui::Operations::MooreDialog"
                                            << QVariantMap{{"Material_Id", 6u}, {"Thickness", 4u}};
        QTest::newRow("3 Moore etching") << int(MooreEtching) << "Ui::Operations::MooreDialog"
                                         << QVariantMap{{"Material_Id", 3u}, {"Depth", 2u}};
        QTest::newRow("4 CVD") << int(Cvd) << "Ui::Operations::IsotropicDepositionDialog"
                               << QVariantMap{{"Material_Id", 16u}, {"Thickness", 7.25}};
        QTest::newRow("5 isotropic etching") << int(IsotropicEtching) << "Ui::Operations::IsotropicEtchingDialog"
                                             << QVariantMap{{"Material_Id", 11u}, {"Depth", 2.75}};
        QTest::newRow("6 planarization") << int(Planarization) << "Ui::Operations::PlanarizationDialog"
                                         << QVariantMap{{"Maximum Height", 40u}, {"Minimum Height", 3u}};
        QTest::newRow("7 electroplating")
            << int(Electroplating) << "Ui::Operations::ElectroplatingDialog"
            << QVariantMap{{"Film Thickness", 1.5}, {"Deposited Material_Id", 5u}, {"Conducting Material_Id", 7u}};
        QTest::newRow("8 doping") << int(Doping) << "Ui::Operations::DopingDialog"
                                  << QVariantMap{{"Doping Depth", 2.5f}, {"Doped Material_Id", 14u}};
        QTest::newRow("9 pour material") << int(SpinCoating) << "Ui::Operations::SpinCoatingDialog"
                                         << QVariantMap{{"Material_Id", 13u}, {"Maximum Height", 17u}};
        QTest::newRow("10 save image") << int(SaveImage) << "QFileDialog"
                                       << QVariantMap{{"Filename", m_dir.filePath(QStringLiteral("shot.png"))}};
        QVariantMap substrate{{"Material_Id", 16u},       {"Volume Size X", 30u},        {"Volume Size Y", 20u},
                              {"Volume Size Z", 10u},     {"SphericalSubstrate", false}, {"Substrate Size X", 12u},
                              {"Substrate Size Y", 8u},   {"Substrate Size Z", 4u},      {"Substrate Delta X", 3u},
                              {"Substrate Delta Y", 2u},  {"Substrate Delta Z", 1u},     {"Substrate Center X", 9u},
                              {"Substrate Center Y", 7u}, {"Substrate Center Z", 5u},    {"Substrate Radius", 6u}};
        substrate[QStringLiteral("Lower Left Front Corner")] = QVariant::fromValue(Util::Vector3D(1.5, -2, 4));
        QTest::newRow("11 create substrate")
            << int(CreateSubstrate) << "Ui::Operations::CreateSubstrateDialog" << substrate;
        QTest::newRow("12 PVD") << int(Pvd) << "Ui::Operations::PvdDialog"
                                << QVariantMap{{"Material_Id", 8u},
                                               {"Thickness", 6.5},
                                               {"Horizontal to Vertical Ratio", 0.75},
                                               {"DepositOn", 3}};
        QTest::newRow("13 simple RIE") << int(SimpleRie) << "Ui::Operations::SimpleRieDialog"
                                       << QVariantMap{
                                              {"Material_Id", 13u}, {"Etch Depth", 4u}, {"EtchDirectionValue", 2}};
        QTest::newRow("14 ion implantation") << int(IonImplantation) << "Ui::Operations::IonImplantationDialog"
                                             << QVariantMap{{"Annealing Distance", 1.5f},
                                                            {"Implantation Depth", 4.0f},
                                                            {"Vertical Spread", 0.5f},
                                                            {"Doped Material_Id", 15u}};
        QTest::newRow("15 Si oxidation") << int(SiOxidation) << "Ui::Operations::SiOxidationDialog"
                                         << QVariantMap{
                                                {"Micron Conversion", 1.5},        {"Oxidation Pressure", 0.5},
                                                {"Oxidation Temperature", 1100.0}, {"Oxidation Time", 3.0},
                                                {"OxidationTimeSet", true},        {"Oxidation Thickness", 0.25},
                                                {"OxidationThicknessSet", false}};
        QTest::newRow("16 isotropic deposition")
            << int(IsotropicDeposition) << "Ui::Operations::IsotropicDepositionDialog"
            << QVariantMap{{"Material_Id", 6u}, {"Film Thickness", 7.25}};
        QTest::newRow("17 anisotropic deposition")
            << int(AnisotropicDeposition) << "Ui::Operations::AnisotropicDepositionDialog"
            << QVariantMap{{"Material_Id", 14u}, {"Film Thickness", 3.25}, {"Horizontal to Vertical Ratio", 0.375}};
        QTest::newRow("18 anisotropic etching")
            << int(AnisotropicEtching) << "Ui::Operations::AnisotropicEtchingDialog"
            << QVariantMap{{"Material_Id", 15u}, {"Etch Depth", 4.5}, {"Horizontal to Vertical Ratio", 0.125}};
        QTest::newRow("19 random-walk doping") << int(RandomWalkDoping) << "Ui::Operations::RandomWalkDopingDialog"
                                               << QVariantMap{{"Diffusion Coefficient", 1.5e-13},
                                                              {"Cell Size", 0.0125},
                                                              {"Time Step Duration", 0.25},
                                                              {"Surface Concentration", 3e19},
                                                              {"Doping Time", 4.0},
                                                              {"Doping Threshold", 12.5},
                                                              {"Material_Id", 16u}};
        QTest::newRow("20 line-of-sight deposition")
            << int(LineOfSightDeposition) << "Ui::Operations::LineOfSightDialog"
            << QVariantMap{{"Material_Id", 8u},
                           {"Film Thickness", 3.5},
                           {"Sticking Coefficient", 0.25},
                           {"Source Exponent", 4.0},
                           {"Random Seed", 17u}};
        QTest::newRow("21 line-of-sight etching") << int(LineOfSightEtching) << "Ui::Operations::LineOfSightDialog"
                                                  << QVariantMap{{"Material_Id", 11u},
                                                                 {"Etch Depth", 2.5},
                                                                 {"Reaction Probability", 0.125},
                                                                 {"Source Exponent", 100.0}};
        QTest::newRow("22 Bosch etching") << int(BoschEtching) << "Ui::Operations::BoschEtchingDialog"
                                          << QVariantMap{{"Material_Id", 1u},
                                                         {"Cycles", 7u},
                                                         {"Etch Per Cycle", 2.5},
                                                         {"Passivation Thickness", 0.75},
                                                         {"Reaction Probability", 0.125},
                                                         {"Passivation Material_Id", 12u},
                                                         {"Strip Passivation", false},
                                                         {"Random Seed", 9u}};
    }

private slots:
    void eachStepIsAddedAndModifiedInItsProcesssOwnDialog_data() { stepTypes(); }
    void eachStepIsAddedAndModifiedInItsProcesssOwnDialog()
    {
        QFETCH(int, type);
        QFETCH(QString, dialogClass);
        QFETCH(QVariantMap, values);
        ProcessStep step = stepWith(type, values);
        step.markUnconverted(values.firstKey(), QStringLiteral("typo"));
        const ProcessStep before = step;
        // Cancel leaves the step alone, with the warning of its unreadable number.
        bool accepted = true;
        editScripted(
            step, false, [](QDialog *d) { d->reject(); }, &accepted);
        QVERIFY(!accepted);
        QCOMPARE(step.getParameters(), before.getParameters());
        QCOMPARE(step.getVisibilities(), before.getVisibilities());
        QCOMPARE(step.unconvertedParameters(), before.unconvertedParameters());
        // OK on the untouched dialog gives back the values, names, kinds and visibilities it was given.
        QCOMPARE(editScripted(step, false, accept, &accepted), dialogClass);
        QVERIFY(accepted);
        QCOMPARE(step.getParameters().keys(), before.getParameters().keys());
        for (const QString &name : before.getParameters().keys())
            QCOMPARE(step.getProcessParameter(name), before.getProcessParameter(name));
        QCOMPARE(step.getVisibilities(), before.getVisibilities());
        QCOMPARE(step.getSerialNumber(), before.getSerialNumber());
        QVERIFY(step.unconvertedParameters().isEmpty()); // the value is the dialog's now
        checkKinds(step);

        // A step added from the dialog's defaults has every parameter of the list format.
        ProcessStep added(type);
        const QString image = m_dir.filePath(QStringLiteral("new.png"));
        bool seedOffered = false;
        const QString opened = editScripted(
            added, true,
            [&image, &seedOffered](QDialog *d) {
                // A file chooser needs a name before OK means anything.
                if (auto *files = qobject_cast<QFileDialog *>(d))
                    files->selectFile(image);
                // Random-walk doping has no defaults for these: OK waits until they are given.
                const std::pair<const char *, const char *> walk[] = {{"lieDiffusionCoefficient", "1e-13"},
                                                                      {"lieCellSize", "0.01"},
                                                                      {"lieTimeStep", "1"},
                                                                      {"lieConcentration", "1e20"}};
                for (const auto &field : walk)
                    if (auto *line = d->findChild<QLineEdit *>(QLatin1String(field.first)))
                        line->setText(QLatin1String(field.second));
                if (auto *seed = d->findChild<QLineEdit *>(QStringLiteral("lieSeed")))
                    seedOffered = !seed->isHidden();
                d->accept();
            },
            &accepted);
        QVERIFY(accepted);
        QCOMPARE(opened, dialogClass);
        QVERIFY(!seedOffered); // a list carries no seed: its random walk offers none
        checkKinds(added);
        if (type == SaveImage)
            QCOMPARE(added.getProcessParameter(QStringLiteral("Filename")).toString(), image);
        // Materials are stored by identifier, hidden, with their name shown.
        for (const QString &base : materialBases(type)) {
            QCOMPARE(added.getParameterVisibility(base), true);
            QCOMPARE(added.getParameterVisibility(base + QStringLiteral("_Color")), false);
        }
    }

    // In the Batch Run dialog a "Save Image" step keeps the name of its file in the images folder;
    // a file elsewhere is refused with a word, and the step stays as it was.
    void saveImageKeepsTheNameInTheImagesFolder()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("images/shots")));
        const QString images = m_dir.filePath(QStringLiteral("images"));
        auto choose = [](const QString &file, QString *warning = nullptr) {
            answerNextDialog([file, warning](QDialog &d) {
                qobject_cast<QFileDialog *>(&d)->selectFile(file);
                if (warning)
                    answerNextDialog<QMessageBox>([warning](QMessageBox &box) {
                        *warning = box.text();
                        box.close();
                    });
                d.accept();
            });
        };
        ProcessStep step(SaveImage);
        choose(images + QStringLiteral("/shots/a.png"));
        QVERIFY(Ui::editStep(nullptr, step, true, Core::Operations::anyColumns, Core::Operations::anyColumns, images));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Filename")).toString(), QStringLiteral("shots/a.png"));
        QString warning;
        choose(m_dir.filePath(QStringLiteral("b.png")), &warning);
        QVERIFY(
            !Ui::editStep(nullptr, step, false, Core::Operations::anyColumns, Core::Operations::anyColumns, images));
        QCOMPARE(
            warning,
            QStringLiteral("A list saves its images in the images folder \"%1\": choose a file there.").arg(images));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Filename")).toString(), QStringLiteral("shots/a.png"));
    }

    void oxidationShowsTheFieldsOfItsMode()
    {
        ProcessStep step(SiOxidation);
        bool accepted = false;
        editScripted(step, true, accept, &accepted);
        QVERIFY(accepted);
        // A new step oxidizes to the dialog's thickness.
        QCOMPARE(step.getProcessParameter(QStringLiteral("OxidationTimeSet")), QVariant(false));
        QVERIFY(step.getParameterVisibility(QStringLiteral("Oxidation Thickness")));
        QVERIFY(!step.getParameterVisibility(QStringLiteral("Oxidation Time")));
        // Switched to a time, the list shows the time, temperature and pressure instead.
        editScripted(
            step, false,
            [](QDialog *d) {
                child<QRadioButton>(d, "radTime")->setChecked(true);
                d->accept();
            },
            &accepted);
        QVERIFY(accepted);
        QVERIFY(!step.getParameterVisibility(QStringLiteral("Oxidation Thickness")));
        for (const char *name : {"Oxidation Time", "Oxidation Temperature", "Oxidation Pressure", "Micron Conversion"})
            QVERIFY2(step.getParameterVisibility(QLatin1String(name)), name);
        QVERIFY(!step.getParameterVisibility(QStringLiteral("OxidationTimeSet")));
    }

    // A top mask applied from a layout in the list's folder is named there with its layer and
    // placement (and kept as a bitmap too); from elsewhere, or as an image, it is a bitmap only.
    void layoutMasksAreNamedWhereTheListFindsThem()
    {
        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("masks")));
        const QString layout = folder.filePath(QStringLiteral("masks/square.gds"));
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/layouts/square.gds"), layout));
        const QString image = folder.filePath(QStringLiteral("open.png"));
        QImage white(10, 8, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(white.save(image));
        // Applies `file` as the top mask (a layout at 0.5 micrometres per cell, offset 1 along x), or only OK.
        auto edit = [](ProcessStep &step, const QString &file, const QString &listFolder) {
            answerNextDialog([&file](QDialog &dialog) {
                auto *group = qobject_cast<Ui::Operations::PhotolithographyDialog *>(&dialog)->topGroup();
                group->setPlacementChooser(
                    [](const Core::Operations::GdsLayout &, uint32_t, uint32_t, Core::Operations::LayoutPlacement &p) {
                        p.layer = {1, 0};
                        p.micronsPerCell = 0.5;
                        p.offsetX = 1.0;
                        p.offsetY = 0.0;
                        return true;
                    });
                if (!file.isEmpty()) {
                    group->fileNameEdit()->setText(file);
                    group->applyMask();
                }
                dialog.accept();
            });
            return Ui::editStep(nullptr, step, true, 10, 8, QString(), listFolder);
        };
        const QVariantMap named{{"Top Mask Layout", "masks/square.gds"},
                                {"Layout Layer", 1u},
                                {"Layout Datatype", 0u},
                                {"Layout Scale", 0.5},
                                {"Layout Offset X", 1.0},
                                {"Layout Offset Y", 0.0}};
        auto layoutParameters = [&named](const ProcessStep &step) {
            QVariantMap found;
            for (const QString &name : named.keys())
                if (step.hasParameter(name))
                    found.insert(name, step.getProcessParameter(name));
            return found;
        };
        ProcessStep step(Photolithography);
        QVERIFY(edit(step, layout, folder.path()));
        QCOMPARE(layoutParameters(step), named);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Top Mask File")).toString(), layout);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Top Mask Width")).toUInt(), 10u);

        // Run from the list's folder, the named layout gives the cells that the bitmap gives.
        auto developed = [&folder](const ProcessStep &lithography) {
            Core::Workspace workspace(Core::UndoFiles::Storage::None);
            auto volume = makeVolume(10, 8, 3, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 3u : 0u; });
            BatchRunner runner(workspace, volume);
            runner.setListFolder(folder.path());
            ProcessStep resist = lithography;
            resist.setParameterValue(QStringLiteral("Material_Id"), 3u);
            return runner.run({resist}).succeeded() ? cellStates(*volume) : std::vector<uint32_t>();
        };
        ProcessStep bitmapOnly = step;
        bitmapOnly.removeParameter(QStringLiteral("Top Mask Layout"));
        const std::vector<uint32_t> fromLayout = developed(step);
        QVERIFY(!fromLayout.empty());
        QVERIFY(fromLayout == developed(bitmapOnly));
        // x from (2 - 1) / 0.5 = 2 to 8, y from 2 to 8: 6 by 6 columns developed of the 80.
        QCOMPARE(std::count(fromLayout.begin(), fromLayout.end(), 3u), 2 * (80 - 36));

        QVERIFY(edit(step, QString(), folder.path())); // OK without Apply keeps the name
        QCOMPARE(layoutParameters(step), named);
        QVERIFY(edit(step, layout, elsewhere.path())); // the list's folder does not hold it
        QVERIFY(layoutParameters(step).isEmpty());
        QCOMPARE(step.getProcessParameter(QStringLiteral("Top Mask File")).toString(), layout);
        QVERIFY(edit(step, layout, folder.path()));
        QCOMPARE(layoutParameters(step), named);
        QVERIFY(edit(step, image, folder.path())); // an image is a bitmap
        QVERIFY(layoutParameters(step).isEmpty());
        QVERIFY(edit(step, layout, QString())); // a list never saved has no folder
        QVERIFY(layoutParameters(step).isEmpty());
    }
};

QTEST_MAIN(tst_StepEditor)
#include "tst_stepeditor.moc"
