#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "UI/BatchRun/stepoptionsdialog.h"
#include "catalogtesthome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QtTest>

using namespace Core::BatchRun;
using Ui::ProcessData;
using Ui::StepOptionsDialog;

class tst_StepOptionsDialog : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    // The processes without an option dialog of their own.
    void untouchedFormGivesEveryParameterOfItsKind_data()
    {
        QTest::addColumn<int>("type");
        for (int type : {Doping, IonImplantation, SiOxidation, RandomWalkDoping})
            QTest::newRow(qPrintable(displayName(type))) << type;
    }
    void untouchedFormGivesEveryParameterOfItsKind()
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
            QCOMPARE(ProcessListFile::valueTypeName(step.getProcessParameter(definition.name)),
                     kindName(definition.kind));
        }
        QCOMPARE(step.getParameters().size(), parameterDefinitions(type).size());
    }

    void fieldsAreFilledFromTheStep()
    {
        ProcessData step(Doping);
        step.setParameter(QStringLiteral("Doping Depth"), 7.25f, true);
        step.setParameter(QStringLiteral("Doped Material_Id"), 9u, true);
        StepOptionsDialog dialog(step);
        QCOMPARE(qobject_cast<QDoubleSpinBox *>(dialog.field(QStringLiteral("Doping Depth")))->value(), 7.25);
        QCOMPARE(qobject_cast<QComboBox *>(dialog.field(QStringLiteral("Doped Material_Id")))->currentText(),
                 QStringLiteral("Au (bulk)"));
        const auto values = dialog.values();
        QCOMPARE(values.value(QStringLiteral("Doped Material_Id")), QVariant(9u));
        QCOMPARE(values.value(QStringLiteral("Doping Depth")), QVariant(7.25f));
        // The names and colours of materials are not fields: they follow from the identifier.
        QVERIFY(!dialog.field(QStringLiteral("Doped Material")));
        QVERIFY(!dialog.field(QStringLiteral("Doped Material_Color")));
    }

    void oxidationByThicknessIsTheOppositeOfByTime()
    {
        ProcessData step(SiOxidation);
        step.setParameter(QStringLiteral("OxidationTimeSet"), true, false);
        StepOptionsDialog dialog(step);
        QVERIFY(!dialog.field(QStringLiteral("OxidationThicknessSet")));
        auto *byTime = qobject_cast<QCheckBox *>(dialog.field(QStringLiteral("OxidationTimeSet")));
        QVERIFY(byTime->isChecked());
        QCOMPARE(dialog.values().value(QStringLiteral("OxidationThicknessSet")), QVariant(false));
        byTime->setChecked(false);
        QCOMPARE(dialog.values().value(QStringLiteral("OxidationTimeSet")), QVariant(false));
        QCOMPARE(dialog.values().value(QStringLiteral("OxidationThicknessSet")), QVariant(true));
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
};

QTEST_MAIN(tst_StepOptionsDialog)
#include "tst_stepoptionsdialog.moc"
