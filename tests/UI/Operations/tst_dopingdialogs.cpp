#include "Model/Process/processfactory.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"
#include "catalogtesthome.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QtTest>

using namespace Ui::Operations;

namespace {

QList<uint> materialIds(const QComboBox *box)
{
    QList<uint> ids;
    for (int i = 0; i < box->count(); ++i)
        ids << box->itemData(i).toUInt();
    return ids;
}

QDoubleSpinBox *box(QDialog &dialog, const char *name)
{
    auto *spin = dialog.findChild<QDoubleSpinBox *>(QLatin1String(name));
    if (!spin)
        qWarning("no spin box %s", name);
    return spin;
}

} // namespace

class tst_DopingDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void doping()
    {
        DopingOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Doping Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("DopingOptionsBaseDialog"));
        auto *materials = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
        QCOMPARE(materialIds(materials), (QList<uint>{1, 14, 15, 16}));
        QCOMPARE(materials->iconSize(), QSize(100, 100));
        QVERIFY(materials->toolTip().startsWith(QLatin1String("This is the doped material.")));
        QDoubleSpinBox *depth = box(dialog, "dblDepth");
        QCOMPARE(depth->decimals(), 4);
        QCOMPARE(depth->minimum(), 0.0);
        QCOMPARE(depth->maximum(), 1000000000.0);
        QCOMPARE(depth->value(), 10.0);
        QCOMPARE(depth->suffix(), QStringLiteral(" units"));

        dialog.setParameters({{QStringLiteral("Doping Depth"), 0.1234f}, {QStringLiteral("Doped Material_Id"), 15u}});
        QCOMPARE(dialog.depth(), 0.1234);
        QCOMPARE(dialog.material(), 15u);
    }

    void dopingListFollowsTheCatalogue()
    {
        auto *catalogue = Model::Process::ProcessFactory::instance().get();
        const auto old = catalogue->getProcess(13);
        catalogue->setProcess(Model::Process::Process(old.name(), 13, {16, 9}));
        DopingOptionsDialog dialog;
        catalogue->setProcess(old);
        QCOMPARE(materialIds(dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"))), (QList<uint>{16, 9}));
    }

    void ionImplantation()
    {
        auto *catalogue = Model::Process::ProcessFactory::instance().get();
        const auto old = catalogue->getProcess(15);
        // The list is that of process 15, not of 13 or 14.
        catalogue->setProcess(Model::Process::Process(old.name(), 15, {15, 1}));
        IonImplantationOptionsDialog dialog;
        catalogue->setProcess(old);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Ion Implantation Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("IonImplantationOptionsBaseDialog"));
        QCOMPARE(materialIds(dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"))), (QList<uint>{15, 1}));
        const QList<QPair<const char *, double>> defaults{
            {"dblDepth", 50.0}, {"dblSpread", 20.0}, {"dblAnnealing", 10.0}};
        for (const auto &d : defaults) {
            QDoubleSpinBox *spin = box(dialog, d.first);
            QCOMPARE(spin->decimals(), 2);
            QCOMPARE(spin->minimum(), 0.0);
            QCOMPARE(spin->maximum(), 1000000000.0);
            QCOMPARE(spin->value(), d.second);
            QCOMPARE(spin->suffix(), QStringLiteral(" units"));
        }
        dialog.setParameters({{QStringLiteral("Implantation Depth"), 4.5f},
                              {QStringLiteral("Vertical Spread"), 0.25f},
                              {QStringLiteral("Annealing Distance"), 3.0f},
                              {QStringLiteral("Doped Material_Id"), 1u}});
        QCOMPARE(dialog.depth(), 4.5);
        QCOMPARE(dialog.spread(), 0.25);
        QCOMPARE(dialog.annealingDistance(), 3.0);
        QCOMPARE(dialog.material(), 1u);
    }

    void oxidationFieldsAndModes()
    {
        SimpleOxidationOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Si Oxidation Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("SimpleOxidationOptionsBaseDialog"));
        struct Field {
            const char *name;
            double minimum, maximum, value;
            const char *suffix;
        };
        const Field fields[] = {{"dblThickness", 0.0, 100000.0, 10.0, " microns"},
                                {"dblTime", 0.0, 1000.0, 2.0, " hours"},
                                {"dblTemperature", 0.0, 2000.0, 1273.0, " K"},
                                {"dblPressure", 0.0, 1.0, 1.0, " atm"},
                                {"dblConversion", 0.01, 1000000000.0, 100.0, ""}};
        for (const Field &f : fields) {
            QDoubleSpinBox *spin = box(dialog, f.name);
            QCOMPARE(spin->minimum(), f.minimum);
            QCOMPARE(spin->maximum(), f.maximum);
            QCOMPARE(spin->value(), f.value);
            QCOMPARE(spin->suffix(), QLatin1String(f.suffix));
        }
        QCOMPARE(box(dialog, "dblPressure")->singleStep(), 0.1);
        QCOMPARE(box(dialog, "dblConversion")->singleStep(), 1.0);
        QVERIFY(box(dialog, "dblConversion")->toolTip().startsWith(QLatin1String("Conversion between cell units")));
        QCOMPARE(box(dialog, "dblConversion")->whatsThis(), box(dialog, "dblConversion")->toolTip());

        // Thickness mode at first: only the thickness can be edited.
        auto *byThickness = dialog.findChild<QRadioButton *>(QStringLiteral("radThickness"));
        auto *byTime = dialog.findChild<QRadioButton *>(QStringLiteral("radTime"));
        QCOMPARE(byThickness->text(), QStringLiteral("Oxide thickness"));
        QCOMPARE(byTime->text(), QStringLiteral("Oxidation Time"));
        QVERIFY(byThickness->isChecked());
        QVERIFY(!dialog.byTime());
        QVERIFY(box(dialog, "dblThickness")->isEnabled());
        for (const char *name : {"dblTime", "dblTemperature", "dblPressure"})
            QVERIFY2(!box(dialog, name)->isEnabled(), name);
        byTime->setChecked(true);
        QVERIFY(dialog.byTime());
        QVERIFY(!box(dialog, "dblThickness")->isEnabled());
        for (const char *name : {"dblTime", "dblTemperature", "dblPressure"})
            QVERIFY2(box(dialog, name)->isEnabled(), name);
        QVERIFY(box(dialog, "dblConversion")->isEnabled());
    }

    void oxidationFilledFromAStep()
    {
        SimpleOxidationOptionsDialog dialog;
        dialog.setParameters({{QStringLiteral("OxidationTimeSet"), true},
                              {QStringLiteral("Oxidation Thickness"), 0.05},
                              {QStringLiteral("Oxidation Time"), 3.5},
                              {QStringLiteral("Oxidation Temperature"), 1373.0},
                              {QStringLiteral("Oxidation Pressure"), 0.5},
                              {QStringLiteral("Micron Conversion"), 40.0}});
        QVERIFY(dialog.byTime());
        QVERIFY(box(dialog, "dblTime")->isEnabled());
        QCOMPARE(dialog.thickness(), 0.05);
        QCOMPARE(dialog.time(), 3.5);
        QCOMPARE(dialog.temperature(), 1373.0);
        QCOMPARE(dialog.pressure(), 0.5);
        QCOMPARE(dialog.conversion(), 40.0);
        dialog.setParameters({{QStringLiteral("OxidationTimeSet"), false}});
        QVERIFY(!dialog.byTime());
        QVERIFY(!box(dialog, "dblTime")->isEnabled());
    }
};

QTEST_MAIN(tst_DopingDialogs)
#include "tst_dopingdialogs.moc"
