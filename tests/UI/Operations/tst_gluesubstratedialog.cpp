#include "UI/Operations/gluesubstratedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QSpinBox>
#include <QtTest>

using Ui::Operations::GlueSubstrateDialog;

namespace {

QSpinBox *spin(QDialog &dialog, const char *name) { return dialog.findChild<QSpinBox *>(QLatin1String(name)); }

} // namespace

class tst_GlueSubstrateDialog : public QObject {
    Q_OBJECT
private slots:
    void rangesAndDefaultsFollowTheVolumes()
    {
        GlueSubstrateDialog dialog;
        // Base 6 x 5 occupied to z = 9, top 4 x 3 occupied z 0..4: stacked height 15, room 2 and 2.
        dialog.setLimits(6, 5, 15, 2, 2);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Glue Substrate"));
        QSpinBox *x = spin(dialog, "sbxFinalSizeX");
        QSpinBox *y = spin(dialog, "sbxFinalSizeY");
        QSpinBox *z = spin(dialog, "sbxFinalSizeZ");
        QVERIFY(x && y && z);
        QVERIFY(!x->isEnabled());
        QVERIFY(!y->isEnabled());
        QVERIFY(z->isEnabled());
        QCOMPARE(x->value(), 6);
        QCOMPARE(x->minimum(), 6);
        QCOMPARE(x->maximum(), 6);
        QCOMPARE(y->value(), 5);
        QCOMPARE(z->value(), 15);
        QCOMPARE(z->minimum(), 15);
        z->setValue(3);
        QCOMPARE(z->value(), 15);
        z->setValue(40);
        QCOMPARE(dialog.finalSizeZ(), 40u);

        QSpinBox *dx = spin(dialog, "sbxDisplacementX");
        QSpinBox *dy = spin(dialog, "sbxDisplacementY");
        QVERIFY(dx && dy);
        QCOMPARE(dx->value(), 0);
        QCOMPARE(dx->maximum(), 2);
        QCOMPARE(dy->maximum(), 2);
        dx->setValue(5);
        QCOMPARE(dialog.displacementX(), 2u);
        QVERIFY(!dialog.invert());
        dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"))->setChecked(true);
        QVERIFY(dialog.invert());
        QCOMPARE(dialog.finalSizeX(), 6u);
        QCOMPARE(dialog.finalSizeY(), 5u);
    }

    void sameFootprintAllowsNoShift()
    {
        GlueSubstrateDialog dialog;
        dialog.setLimits(4, 4, 5, 0, 0);
        QSpinBox *dx = spin(dialog, "sbxDisplacementX");
        dx->setValue(1);
        QCOMPARE(dx->value(), 0);
        QCOMPARE(spin(dialog, "sbxDisplacementY")->maximum(), 0);
    }

    void textsAndToolTips()
    {
        GlueSubstrateDialog dialog;
        QStringList groups;
        for (auto *group : dialog.findChildren<QGroupBox *>())
            groups << group->title();
        QCOMPARE(groups,
                 (QStringList{QStringLiteral("Final Volume Size"), QStringLiteral("Top Substrate Displacement")}));
        QVERIFY(spin(dialog, "sbxFinalSizeZ")
                    ->toolTip()
                    .startsWith(QStringLiteral("This determines the final volume size.")));
        QVERIFY(spin(dialog, "sbxFinalSizeZ")
                    ->toolTip()
                    .contains(QStringLiteral("If you wish to continue etching/depositing films on top of the result, "
                                             "you should increase the Z size "
                                             "accordingly.")));
        QCOMPARE(
            spin(dialog, "sbxDisplacementX")->toolTip(),
            QStringLiteral("Allows you to move the top substrate around if it is smaller than the bottom substrate."));
        auto *invert = dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"));
        QCOMPARE(invert->text(), QStringLiteral("Invert Top Substrate"));
        QCOMPARE(invert->toolTip(), QStringLiteral("Flips the top substrate around the Y axis."));
        QVERIFY(dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox")));
    }

    void heightsBeyondTheSpinBoxAreCapped()
    {
        GlueSubstrateDialog dialog;
        dialog.setLimits(3, 3, 4000000000u, 0, 0);
        QCOMPARE(spin(dialog, "sbxFinalSizeZ")->value(), std::numeric_limits<int>::max());
    }
};

QTEST_MAIN(tst_GlueSubstrateDialog)
#include "tst_gluesubstratedialog.moc"
