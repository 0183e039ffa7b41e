#include "UI/Operations/cutcellvolumedialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

using Ui::Operations::CutCellVolumeDialog;
using Triple = CutCellVolumeDialog::Triple;
Q_DECLARE_METATYPE(Triple)

namespace {

QSpinBox *spin(QDialog &dialog, const QString &name)
{
    return dialog.findChild<QSpinBox *>(QStringLiteral("sbx") + name);
}
QSlider *slider(QDialog &dialog, const QString &name)
{
    return dialog.findChild<QSlider *>(QStringLiteral("sld") + name);
}

} // namespace

class tst_CutCellVolumeDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<Triple>("std::array<uint32_t,3>"); }

    void rangesAndInitialValuesComeFromTheVolume()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 6, 4}, {1, 0, 2}, {5, 6, 3});
        const QStringList axes = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
        const int sizes[3] = {8, 6, 4};
        for (int i = 0; i < 3; ++i) {
            for (const QString &which : {QStringLiteral("Lower"), QStringLiteral("Upper")}) {
                QVERIFY(spin(dialog, which + axes[i]));
                QVERIFY(slider(dialog, which + axes[i]));
                const bool lower = which == QLatin1String("Lower");
                QCOMPARE(spin(dialog, which + axes[i])->minimum(), lower ? 0 : 1);
                QCOMPARE(spin(dialog, which + axes[i])->maximum(), lower ? sizes[i] - 1 : sizes[i]);
                QCOMPARE(slider(dialog, which + axes[i])->minimum(), lower ? 0 : 1);
                QCOMPARE(slider(dialog, which + axes[i])->maximum(), lower ? sizes[i] - 1 : sizes[i]);
            }
        }
        QCOMPARE(dialog.lower(), (Triple{1, 0, 2}));
        QCOMPARE(dialog.upper(), (Triple{5, 6, 3}));
        QCOMPARE(slider(dialog, QStringLiteral("LowerX"))->value(), 1);
        QCOMPARE(slider(dialog, QStringLiteral("UpperZ"))->value(), 3);
        QVERIFY(!dialog.isPreview());
    }

    void sliderAndSpinBoxMoveTogether()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({10, 10, 10}, {0, 0, 0}, {10, 10, 10});
        slider(dialog, QStringLiteral("LowerY"))->setValue(4);
        QCOMPARE(spin(dialog, QStringLiteral("LowerY"))->value(), 4);
        spin(dialog, QStringLiteral("UpperZ"))->setValue(7);
        QCOMPARE(slider(dialog, QStringLiteral("UpperZ"))->value(), 7);
    }

    void pushRules_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        // X starts at lower 2, upper 5 of 8 cells.
        QTest::newRow("lower below upper") << "LowerX" << 4 << 4 << 5;
        QTest::newRow("lower onto upper") << "LowerX" << 5 << 5 << 6;
        QTest::newRow("lower beyond upper") << "LowerX" << 7 << 7 << 8;
        QTest::newRow("upper above lower") << "UpperX" << 3 << 2 << 3;
        QTest::newRow("upper onto lower") << "UpperX" << 2 << 1 << 2;
        QTest::newRow("upper below lower") << "UpperX" << 1 << 0 << 1;
    }
    void pushRules()
    {
        QFETCH(QString, box);
        QFETCH(int, value);
        QFETCH(int, lower);
        QFETCH(int, upper);
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 8, 8}, {2, 0, 0}, {5, 8, 8});
        slider(dialog, box)->setValue(value);
        QCOMPARE(spin(dialog, QStringLiteral("LowerX"))->value(), lower);
        QCOMPARE(spin(dialog, QStringLiteral("UpperX"))->value(), upper);
        QCOMPARE(slider(dialog, QStringLiteral("LowerX"))->value(), lower);
        QCOMPARE(slider(dialog, QStringLiteral("UpperX"))->value(), upper);
        // The other axes are not touched.
        QCOMPARE(dialog.lower()[1], 0u);
        QCOMPARE(dialog.upper()[2], 8u);
    }

    void oneCellAxisKeepsItsOnlyCell()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({1, 3, 3}, {0, 0, 0}, {1, 3, 3});
        QCOMPARE(spin(dialog, QStringLiteral("LowerX"))->maximum(), 0);
        QCOMPARE(spin(dialog, QStringLiteral("UpperX"))->minimum(), 1);
        QCOMPARE(spin(dialog, QStringLiteral("UpperX"))->maximum(), 1);
        // A box of the last cell on each axis.
        spin(dialog, QStringLiteral("LowerY"))->setValue(2);
        spin(dialog, QStringLiteral("LowerZ"))->setValue(2);
        QCOMPARE(dialog.lower(), (Triple{0, 2, 2}));
        QCOMPARE(dialog.upper(), (Triple{1, 3, 3}));
    }

    void resetRestoresTheWholeVolume()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({5, 6, 7}, {1, 2, 3}, {2, 4, 6});
        dialog.findChild<QPushButton *>(QStringLiteral("btnReset"))->click();
        QCOMPARE(dialog.lower(), (Triple{0, 0, 0}));
        QCOMPARE(dialog.upper(), (Triple{5, 6, 7}));
    }

    void previewAppliesAllSixLimitsOncePerChange()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 8, 8}, {2, 0, 0}, {5, 8, 8});
        QSignalSpy spy(&dialog, &CutCellVolumeDialog::previewRequested);
        spin(dialog, QStringLiteral("LowerY"))->setValue(1);
        QCOMPARE(spy.count(), 0); // not checked yet

        dialog.findChild<QCheckBox *>(QStringLiteral("chkPreview"))->setChecked(true);
        QCOMPARE(spy.count(), 0);
        // A push moves two limits but is one change.
        slider(dialog, QStringLiteral("LowerX"))->setValue(6);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).value<Triple>(), (Triple{6, 1, 0}));
        QCOMPARE(spy.last().at(1).value<Triple>(), (Triple{7, 8, 8}));
        dialog.findChild<QPushButton *>(QStringLiteral("btnReset"))->click();
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(0).value<Triple>(), (Triple{0, 0, 0}));
        QCOMPARE(spy.last().at(1).value<Triple>(), (Triple{8, 8, 8}));
    }

    void textsAndToolTips()
    {
        CutCellVolumeDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Cut Cell Volume"));
        QStringList groups;
        for (auto *group : dialog.findChildren<QGroupBox *>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{QStringLiteral("X Axis Limits"), QStringLiteral("Y Axis Limits"),
                                      QStringLiteral("Z Axis Limits")}));
        const QStringList tips = {QStringLiteral("Lower X cutoff limit."), QStringLiteral("Upper X cutoff limit."),
                                  QStringLiteral("Lower Y cutoff limit."), QStringLiteral("Upper Y cutoff limit."),
                                  QStringLiteral("Lower Z cuttoff limit"), QStringLiteral("Upper Z cutoff limit.")};
        const QStringList boxes = {QStringLiteral("LowerX"), QStringLiteral("UpperX"), QStringLiteral("LowerY"),
                                   QStringLiteral("UpperY"), QStringLiteral("LowerZ"), QStringLiteral("UpperZ")};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(spin(dialog, boxes[i])->toolTip(), tips[i]);
            QCOMPARE(slider(dialog, boxes[i])->toolTip(), tips[i]);
        }
        auto *reset = dialog.findChild<QPushButton *>(QStringLiteral("btnReset"));
        QCOMPARE(reset->text(), QStringLiteral("Reset"));
        QCOMPARE(reset->toolTip(), QStringLiteral("Reset to original values."));
        auto *preview = dialog.findChild<QCheckBox *>(QStringLiteral("chkPreview"));
        QCOMPARE(preview->text(), QStringLiteral("Preview"));
        QCOMPARE(preview->toolTip(),
                 QStringLiteral("Check to preview changes, it might be slow for large structures."));
        QStringList labels;
        for (auto *label : dialog.findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels.count(QStringLiteral("Lower Limit")), 3);
        QCOMPARE(labels.count(QStringLiteral("Upper Limit")), 3);
    }
};

QTEST_MAIN(tst_CutCellVolumeDialog)
#include "tst_cutcellvolumedialog.moc"
