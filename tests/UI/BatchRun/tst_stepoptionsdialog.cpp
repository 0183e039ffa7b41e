#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "UI/BatchRun/stepoptionsdialog.h"
#include "Util/vector3d.h"
#include "catalogtesthome.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Core::BatchRun;
using Ui::ProcessData;
using Ui::StepOptionsDialog;

class tst_StepOptionsDialog : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void untouchedDialogGivesEveryParameterOfItsKind_data()
    {
        QTest::addColumn<int>("type");
        for (int type = 0; type <= LastProcessType; ++type)
            QTest::newRow(qPrintable(displayName(type))) << type;
    }
    void untouchedDialogGivesEveryParameterOfItsKind()
    {
        QFETCH(int, type);
        ProcessData step(type);
        StepOptionsDialog dialog(step);
        const auto values = dialog.values();
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            step.setParameterValue(it.key(), it.value());
        completeDerivedParameters(step);
        applyDefaultVisibility(step);
        for (const ParameterDefinition &definition : parameterDefinitions(type)) {
            QVERIFY2(step.hasParameter(definition.name), qPrintable(definition.name));
            QCOMPARE(ProcessListFile::valueTypeName(step.getProcessParameter(definition.name)), kindName(definition.kind));
        }
        QCOMPARE(step.getParameters().size(), parameterDefinitions(type).size());
    }

    void createSubstrateStepGoesThroughItsOwnDialog_data()
    {
        QTest::addColumn<bool>("sphere");
        QTest::newRow("box") << false;
        QTest::newRow("sphere") << true;
    }
    void createSubstrateStepGoesThroughItsOwnDialog()
    {
        QFETCH(bool, sphere);
        ProcessData step(CreateSubstrate);
        step.setParameter(QStringLiteral("Material_Id"), 16u, false);
        step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(1.5, -2, 4)),
                          true);
        const QList<QPair<const char *, uint>> counts{
            {"Volume Size X", 30},    {"Volume Size Y", 20},     {"Volume Size Z", 10},     {"Substrate Size X", 12},
            {"Substrate Size Y", 8},  {"Substrate Size Z", 4},   {"Substrate Delta X", 3},  {"Substrate Delta Y", 2},
            {"Substrate Delta Z", 1}, {"Substrate Center X", 9}, {"Substrate Center Y", 7}, {"Substrate Center Z", 5},
            {"Substrate Radius", 6}};
        for (const auto &c : counts)
            step.setParameter(QLatin1String(c.first), c.second, true);
        step.setParameter(QStringLiteral("SphericalSubstrate"), sphere, false);
        const ProcessData before = step;
        QString title;
        QTimer::singleShot(0, [&title] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                dialog->accept();
            }
        });
        QVERIFY(Ui::editStep(nullptr, step, false));
        QCOMPARE(title, QStringLiteral("Create Substrate"));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Poly-Si"));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Lower Left Front Corner")).value<Util::Vector3D>().x, 1.5);
        QCOMPARE(step.getProcessParameter(QStringLiteral("SphericalSubstrate")).toBool(), sphere);
        for (const auto &c : counts)
            QCOMPARE(step.getProcessParameter(QLatin1String(c.first)).toUInt(), c.second);
        // Modifying keeps the visibility of every parameter the step had.
        for (const QString &name : before.getParameters().keys())
            QCOMPARE(step.getParameterVisibility(name), before.getParameterVisibility(name));
    }

    void ownDialogsKeepTheStepsValues_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariantMap>("values");
        QTest::newRow("planarization") << int(Planarization)
                                       << QVariantMap{{"Maximum Height", 40u}, {"Minimum Height", 3u}};
        QTest::newRow("pour material") << int(SpinCoating)
                                       << QVariantMap{{"Material_Id", 13u}, {"Maximum Height", 17u}};
        QTest::newRow("Moore deposition")
            << int(MooreDeposition) << QVariantMap{{"Material_Id", 6u}, {"Thickness", 4u}};
        QTest::newRow("Moore etching") << int(MooreEtching) << QVariantMap{{"Material_Id", 3u}, {"Depth", 2u}};
    }
    void ownDialogsKeepTheStepsValues()
    {
        QFETCH(int, type);
        QFETCH(QVariantMap, values);
        ProcessData step(type);
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            step.setParameter(it.key(), it.value(), true);
        bool generic = true;
        QTimer::singleShot(0, [&generic] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            generic = qobject_cast<StepOptionsDialog *>(dialog) != nullptr;
            dialog->accept();
        });
        QVERIFY(Ui::editStep(nullptr, step, true));
        QVERIFY(!generic);
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            QCOMPARE(step.getProcessParameter(it.key()).toUInt(), it.value().toUInt());
        // The step is complete: every parameter of its type is there.
        for (const ParameterDefinition &definition : parameterDefinitions(type))
            QVERIFY2(step.hasParameter(definition.name), qPrintable(definition.name));
        if (step.hasParameter(QStringLiteral("Material_Id")))
            QVERIFY(!step.getParameterVisibility(QStringLiteral("Material_Id")));
    }

    void fieldsAreFilledFromTheStep()
    {
        ProcessData step(Pvd);
        step.setParameter(QStringLiteral("Thickness"), 7.25, true);
        step.setParameter(QStringLiteral("DepositOn"), 3, false);
        step.setParameter(QStringLiteral("Material_Id"), 9u, false);
        StepOptionsDialog dialog(step);
        QCOMPARE(qobject_cast<QDoubleSpinBox *>(dialog.field(QStringLiteral("Thickness")))->value(), 7.25);
        QCOMPARE(qobject_cast<QSpinBox *>(dialog.field(QStringLiteral("DepositOn")))->value(), 3);
        const auto values = dialog.values();
        QCOMPARE(values.value(QStringLiteral("Material_Id")).toUInt(), 9u);
        QCOMPARE(values.value(QStringLiteral("DepositOn")).userType(), int(QMetaType::Int));
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            step.setParameterValue(it.key(), it.value());
        completeDerivedParameters(step);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Deposit On")).toString(),
                 QStringLiteral("On Top and Bottom"));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Au (bulk)"));
    }

    void etchDirectionText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("top") << 1 << "Top";
        QTest::newRow("bottom") << 2 << "Bottom";
        QTest::newRow("both") << 3 << "Bottom and Top";
    }
    void etchDirectionText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        ProcessData step(SimpleRie);
        step.setParameter(QStringLiteral("EtchDirectionValue"), value, false);
        completeDerivedParameters(step);
        QCOMPARE(step.getProcessParameter(QStringLiteral("Etch Direction")).toString(), text);
    }

    void masksComeFromBlackAndRedPixels()
    {
        // 3 wide, 2 high; top row: black, pure red, almost red; bottom row: white, dark grey, black.
        QImage image(3, 2, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(0, 0, 0));
        image.setPixel(1, 0, qRgb(255, 0, 0));
        image.setPixel(2, 0, qRgb(254, 0, 0));
        image.setPixel(0, 1, qRgb(255, 255, 255));
        image.setPixel(1, 1, qRgb(20, 20, 20));
        image.setPixel(2, 1, qRgb(0, 0, 0));
        const QString path = m_dir.filePath(QStringLiteral("mask.png"));
        QVERIFY(image.save(path));
        QByteArray mask;
        uint width = 0;
        uint height = 0;
        QVERIFY(StepOptionsDialog::maskFromImage(path, mask, width, height));
        QCOMPARE(width, 3u);
        QCOMPARE(height, 2u);
        // Bit (x, y) at x * H + y, y counted from the bottom row.
        QCOMPARE(mask, QByteArray("\x00\x01\x00\x01\x01\x00", 6));
        QVERIFY(!StepOptionsDialog::maskFromImage(m_dir.filePath(QStringLiteral("none.png")), mask, width, height));
        QCOMPARE(width, 0u);
        QVERIFY(mask.isEmpty());
    }

    void photolithographyReadsItsMaskFiles()
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::black);
        const QString path = m_dir.filePath(QStringLiteral("dark.png"));
        QVERIFY(image.save(path));
        ProcessData step(Photolithography);
        step.setParameter(QStringLiteral("Top Mask File"), path, true);
        StepOptionsDialog dialog(step);
        const auto values = dialog.values();
        QCOMPARE(values.value(QStringLiteral("Top Mask")).toByteArray(), QByteArray(16, 1));
        QCOMPARE(values.value(QStringLiteral("Top Mask Width")).toUInt(), 4u);
        QCOMPARE(values.value(QStringLiteral("Bottom Mask Width")).toUInt(), 0u);
        QVERIFY(values.value(QStringLiteral("Bottom Mask")).toByteArray().isEmpty());
    }
};

QTEST_MAIN(tst_StepOptionsDialog)
#include "tst_stepoptionsdialog.moc"
