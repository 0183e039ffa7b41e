#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/anisotropicdepositiondialog.h"
#include "UI/Operations/anisotropicetchingdialog.h"
#include "UI/Operations/bcaetchingdialog.h"
#include "UI/Operations/electrodepositiondialog.h"
#include "UI/Operations/isotropicdepositiondialog.h"
#include "UI/Operations/isotropicetchingdialog.h"
#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/Operations/simpleriedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Ui::Operations;

using DialogMaker = std::function<QDialog *()>;
Q_DECLARE_METATYPE(DialogMaker)

namespace {

QStringList names(const QList<Model::Materials::Material> &materials)
{
    QStringList result;
    for (const auto &m : materials)
        result << m.name();
    return result;
}

QStringList entries(const QComboBox *box)
{
    QStringList result;
    for (int i = 0; i < box->count(); ++i)
        result << box->itemText(i);
    return result;
}

void checkLength(QDialog *dialog, const char *name)
{
    auto *box = dialog->findChild<QDoubleSpinBox *>(QLatin1String(name));
    QVERIFY2(box, name);
    QCOMPARE(box->decimals(), 2);
    QCOMPARE(box->minimum(), 0.0);
    QCOMPARE(box->maximum(), 1000000000.0);
    QCOMPARE(box->value(), 10.0);
    QCOMPARE(box->suffix(), QStringLiteral(" units"));
}

QString labelOf(const QDialog &dialog, QWidget *field)
{
    for (auto *l : dialog.findChildren<QLabel *>())
        if (l->buddy() == field)
            return l->text();
    return QString();
}

} // namespace

class tst_ProcessDialogs : public QObject {
    Q_OBJECT
private slots:
    void formsAndMaterials_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("process"); // 0: every material of the catalogue
        QTest::newRow("isotropic deposition")
            << DialogMaker([] { return new IsotropicDepositionDialog(18); }) << "Isotropic Film Deposition"
            << "IsotropicDepositionForm" << 18;
        QTest::newRow("cvd") << DialogMaker([] { return new IsotropicDepositionDialog(3); })
                             << "Isotropic Film Deposition"
                             << "IsotropicDepositionForm" << 3;
        QTest::newRow("isotropic etching")
            << DialogMaker([] { return new IsotropicEtchingDialog; }) << "Isotropic Film Etching"
            << "IsotropicEtchingForm" << 10;
        QTest::newRow("electroplating") << DialogMaker([] { return new ElectrodepositionDialog; })
                                        << "Electroplating Options"
                                        << "ElectrodepositionForm" << 0;
        QTest::newRow("anisotropic deposition")
            << DialogMaker([] { return new AnisotropicDepositionDialog; }) << "PVD Options"
            << "AnisotropicDepositionBaseDialog" << 16;
        QTest::newRow("anisotropic etching") << DialogMaker([] { return new AnisotropicEtchingDialog; }) << "Dialog"
                                             << "AnisotropicEtchingBaseDialog" << 17;
        QTest::newRow("pvd") << DialogMaker([] { return new PVDOptionsDialog; }) << "Dialog"
                             << "PVDOptionsBaseDialog" << 4;
        QTest::newRow("simple rie") << DialogMaker([] { return new SimpleRIEDialog; }) << "Simple RIE Options"
                                    << "SimpleRIEForm" << 0;
    }
    void formsAndMaterials()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QString, title);
        QFETCH(QString, form);
        QFETCH(int, process);
        std::unique_ptr<QDialog> dialog(make());
        QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->objectName(), form);
        const QStringList expected =
            process
                ? names(Model::Process::ProcessFactory::instance()->getProcess(uint32_t(process)).compatibleMaterials())
                : names(Model::Materials::MaterialFactory::instance()->getMaterials());
        QVERIFY(!expected.isEmpty());
        const auto *materials = dialog->findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
        QVERIFY(materials);
        QCOMPARE(entries(materials), expected);
        QCOMPARE(materials->iconSize(), QSize(100, 100));
        QVERIFY(!materials->itemIcon(0).isNull());
        if (auto *conducting = dialog->findChild<QComboBox *>(QStringLiteral("cbxConductingMaterial")))
            QCOMPARE(entries(conducting), expected);
    }

    void cvdOffersItsOwnMaterials()
    {
        IsotropicDepositionDialog dialog(3);
        const auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemData(0).toUInt(), 3u);
        QCOMPARE(box->itemData(1).toUInt(), 16u);
    }

    void lengthsAndRatios()
    {
        IsotropicDepositionDialog iso(18);
        checkLength(&iso, "dblThickness");
        IsotropicEtchingDialog etch;
        checkLength(&etch, "dblDepth");
        ElectrodepositionDialog plating;
        checkLength(&plating, "dblThickness");

        AnisotropicDepositionDialog aniso;
        checkLength(&aniso, "dblThickness");
        auto *ratio = aniso.findChild<QDoubleSpinBox *>(QStringLiteral("dblRatio"));
        QCOMPARE(ratio->decimals(), 3);
        QCOMPARE(ratio->minimum(), 0.0);
        QCOMPARE(ratio->maximum(), 1000000000.0);
        QCOMPARE(ratio->singleStep(), 0.0);
        QCOMPARE(ratio->value(), 0.5);
        QVERIFY(ratio->suffix().isEmpty());

        AnisotropicEtchingDialog anisoEtch;
        checkLength(&anisoEtch, "dblDepth");
        QCOMPARE(anisoEtch.findChild<QDoubleSpinBox *>(QStringLiteral("dblRatio"))->decimals(), 3);

        PVDOptionsDialog pvd;
        checkLength(&pvd, "dblThickness");
        auto *pvdRatio = pvd.findChild<QDoubleSpinBox *>(QStringLiteral("dblRatio"));
        QCOMPARE(pvdRatio->minimum(), 0.01);
        QCOMPARE(pvdRatio->singleStep(), 0.0);
        QCOMPARE(pvdRatio->value(), 0.5);
    }

    void pvdSide_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<uint>("side");
        QTest::newRow("top") << "radTop" << 1u;
        QTest::newRow("both") << "radBoth" << 3u;
        QTest::newRow("bottom") << "radBottom" << 2u;
    }
    void pvdSide()
    {
        QFETCH(QString, radio);
        QFETCH(uint, side);
        PVDOptionsDialog dialog;
        QCOMPARE(dialog.side(), 1u);
        QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("radTop"))->isChecked());
        dialog.findChild<QRadioButton *>(radio)->setChecked(true);
        QCOMPARE(dialog.side(), side);
    }

    void simpleRie()
    {
        SimpleRIEDialog dialog;
        QCOMPARE(dialog.size(), QSize(400, 280));
        auto *depth = dialog.findChild<QSpinBox *>(QStringLiteral("sbxDepth"));
        QCOMPARE(depth->minimum(), 1);
        QCOMPARE(depth->maximum(), 999999999);
        QCOMPARE(depth->value(), 1);
        QCOMPARE(depth->suffix(), QStringLiteral(" units"));
        QVERIFY(dialog.etchFromTop());
        QVERIFY(!dialog.etchFromBelow());
        QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("chkFromBelow"))->text(),
                 QStringLiteral("Etch from below"));
        QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("chkFromTop"))->text(), QStringLiteral("Etch from top"));
    }

    void filledFromProcessListParameters()
    {
        PVDOptionsDialog pvd;
        pvd.setParameters({{QStringLiteral("Thickness"), 4.25},
                           {QStringLiteral("Horizontal to Vertical Ratio"), 0.75},
                           {QStringLiteral("DepositOn"), 3},
                           {QStringLiteral("Material_Id"), 9u}});
        QCOMPARE(pvd.thickness(), 4.25);
        QCOMPARE(pvd.ratio(), 0.75);
        QCOMPARE(pvd.side(), 3u);
        QCOMPARE(pvd.material(), 9u);

        SimpleRIEDialog rie;
        rie.setParameters({{QStringLiteral("Etch Depth"), 7u}, {QStringLiteral("EtchDirectionValue"), 2}});
        QCOMPARE(rie.depth(), 7);
        QVERIFY(rie.etchFromBelow());
        QVERIFY(!rie.etchFromTop());

        ElectrodepositionDialog plating;
        plating.setParameters({{QStringLiteral("Film Thickness"), 2.5},
                               {QStringLiteral("Deposited Material_Id"), 5u},
                               {QStringLiteral("Conducting Material_Id"), 4u}});
        QCOMPARE(plating.thickness(), 2.5);
        QCOMPARE(plating.depositedMaterial(), 5u);
        QCOMPARE(plating.conductingMaterial(), 4u);

        // A material the process does not offer leaves the choice as it was.
        IsotropicDepositionDialog cvd(3);
        cvd.setParameters({{QStringLiteral("Thickness"), 1.5}, {QStringLiteral("Material_Id"), 1u}});
        QCOMPARE(cvd.thickness(), 1.5);
        QCOMPARE(cvd.material(), 3u);
    }

    void wetEtching()
    {
        BCAEtchingDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Wet Etching Options"));
        auto *depth = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDepth"));
        QVERIFY(depth);
        QCOMPARE(depth->suffix(), QStringLiteral(" units"));
        QCOMPARE(depth->toolTip(), QStringLiteral("Set the depth of the etching. This is how far down the (100) "
                                                  "plane on the surface will be etched."));
        // The smallest depth that etches one atomic layer can be entered.
        depth->setValue(0.125);
        QCOMPARE(dialog.depth(), 0.125);
        auto *model = dialog.findChild<QComboBox *>(QStringLiteral("cbxModel"));
        QVERIFY(model && model->isHidden());
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));
        dialog.showModelChoice();
        QVERIFY(!model->isHidden());
        dialog.setParameters({{QStringLiteral("Depth"), 2.75}, {QStringLiteral("Etch Model"), QStringLiteral("CCA")}});
        QCOMPARE(dialog.depth(), 2.75);
        QCOMPARE(dialog.model(), QStringLiteral("CCA"));
        // A step of an older list has no model: bond counting.
        dialog.setParameters({{QStringLiteral("Depth"), 1.0}});
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));
        // The next dialog starts from the depth last accepted.
        dialog.accept();
        BCAEtchingDialog next;
        QCOMPARE(next.depth(), 1.0);
        QCOMPARE(labelOf(next, next.findChild<QDoubleSpinBox *>(QStringLiteral("dblDepth"))),
                 QStringLiteral("Etch Depth"));
    }
};

QTEST_MAIN(tst_ProcessDialogs)
#include "tst_processdialogs.moc"
