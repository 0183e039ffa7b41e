#include "UI/Operations/layoutplacementdialog.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/photolithographydialog.h"
#include "catalogtesthome.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Ui::Operations;
namespace Ops = Core::Operations;

namespace {

const QString layouts = QStringLiteral(TEST_DATA_DIR "/layouts/");

/// Closes the next message box as soon as it shows and keeps its text.
void closeNextMessageBox(QString &text)
{
    QTimer::singleShot(0, [&text] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            box->close();
        }
    });
}

/// A placement chooser that takes `layer` at 1 micrometre per cell from the origin.
MaskFileGroup::PlacementChooser choose(int layer, int datatype = 0, bool *asked = nullptr)
{
    return [=](const Ops::GdsLayout &, uint32_t, uint32_t, Ops::LayoutPlacement &placement) {
        if (asked)
            *asked = true;
        placement.layer = {layer, datatype};
        placement.micronsPerCell = 1.0;
        placement.offsetX = placement.offsetY = 0.0;
        return true;
    };
}

} // namespace

class tst_LayoutMaskDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QFile::exists(layouts + QStringLiteral("layers.gds"))); }

    void onlyPhotolithographyOffersLayouts()
    {
        PhotolithographyDialog dialog;
        QVERIFY(dialog.topGroup()->layoutsAccepted());
        QVERIFY(dialog.bottomGroup()->layoutsAccepted());
        QVERIFY(MaskFileGroup::maskFilter().startsWith(QLatin1String("Masks (*.png *.jpg *.bmp *.gds)")));
        QVERIFY(MaskFileGroup::maskFilter().contains(MaskFileGroup::imageFilter()));
        MaskedCutOptionsDialog cut;
        QVERIFY(!cut.maskGroup()->layoutsAccepted());
        QVERIFY(MaskFileGroup::isLayoutFile(QStringLiteral("/a/b.GDS")));
        QVERIFY(!MaskFileGroup::isLayoutFile(QStringLiteral("/a/gds.png")));
    }

    void applyRasterizesTheChosenLayer()
    {
        PhotolithographyDialog dialog;
        QSignalSpy top(&dialog, &PhotolithographyDialog::topMaskChanged);
        MaskFileGroup *group = dialog.topGroup();
        group->setColumns(10, 8);
        bool asked = false;
        group->setPlacementChooser(choose(2, 0, &asked));
        const QString file = layouts + QStringLiteral("layers.gds");
        group->fileNameEdit()->setText(file);
        QTest::mouseClick(group->applyButton(), Qt::LeftButton);
        QVERIFY(asked);
        QCOMPARE(top.count(), 1);
        QCOMPARE(top.at(0).at(1).toUInt(), 10u);
        QCOMPARE(top.at(0).at(2).toUInt(), 8u);
        // Layer 2 covers x 6 to 10: those columns are exposed, the others masked.
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 8; ++y)
                QCOMPARE(dialog.topMask().covers(x, y), x < 6);
        QCOMPARE(group->maskFile(), file);
        QCOMPARE(top.at(0).at(0).toBitArray(), dialog.topMask().bits);
    }

    void cancelledPlacementChangesNothing()
    {
        PhotolithographyDialog dialog;
        MaskFileGroup *group = dialog.bottomGroup();
        group->setColumns(10, 8);
        group->setPlacementChooser(
            [](const Ops::GdsLayout &, uint32_t, uint32_t, Ops::LayoutPlacement &) { return false; });
        QSignalSpy changed(group, &MaskFileGroup::maskChanged);
        group->fileNameEdit()->setText(layouts + QStringLiteral("square.gds"));
        group->applyMask();
        QCOMPARE(changed.count(), 0);
        QVERIFY(group->mask().isEmpty());
    }

    void layoutProblemsWarnAndKeepTheMask_data()
    {
        QTest::addColumn<bool>("topMask");
        QTest::addColumn<QByteArray>("contents"); // empty: the stored layers.gds
        QTest::addColumn<int>("layer");
        QTest::addColumn<bool>("knownColumns");
        QTest::addColumn<QString>("reason");
        QTest::newRow("absent layer") << true << QByteArray() << 7 << true
                                      << "Layer 7, datatype 0 is not in the layout.";
        QTest::newRow("truncated file") << false << QByteArray("\x00\x06\x00\x02\x02\x58\x00\x1c", 8) << 1 << true
                                        << "The file ends before its last record: it is cut short.";
        QTest::newRow("not a GDSII file")
            << true << QByteArray("hello, layout\n") << 1 << true << "It is not a GDSII file.";
        QTest::newRow("no volume yet") << false << QByteArray() << 1 << false << "its size is not known yet.";
    }
    void layoutProblemsWarnAndKeepTheMask()
    {
        QFETCH(bool, topMask);
        QFETCH(QByteArray, contents);
        QFETCH(int, layer);
        QFETCH(bool, knownColumns);
        QFETCH(QString, reason);
        PhotolithographyDialog dialog;
        MaskFileGroup *group = topMask ? dialog.topGroup() : dialog.bottomGroup();
        const QString warning =
            topMask ? PhotolithographyDialog::topFailureText() : PhotolithographyDialog::bottomFailureText();
        group->setColumns(10, 8);
        group->setPlacementChooser(choose(1));
        group->fileNameEdit()->setText(layouts + QStringLiteral("layers.gds"));
        group->applyMask();
        QVERIFY(!group->mask().isEmpty());
        const Ops::MaskBits previous = group->mask();
        const QString previousFile = group->maskFile();

        QTemporaryDir dir;
        QString file = layouts + QStringLiteral("layers.gds");
        if (!contents.isEmpty()) {
            file = dir.filePath(QStringLiteral("bad.gds"));
            QFile bad(file);
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write(contents);
        }
        if (!knownColumns)
            group->setColumns(Ops::anyColumns, Ops::anyColumns);
        group->setPlacementChooser(choose(layer));
        QSignalSpy changed(group, &MaskFileGroup::maskChanged);
        group->fileNameEdit()->setText(file);
        QString shown;
        closeNextMessageBox(shown);
        group->applyMask();
        QVERIFY2(shown.startsWith(warning), qPrintable(shown));
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(group->mask().bits, previous.bits);
        QCOMPARE(group->maskFile(), previousFile);
    }

    void placementDialogFitsEachLayer()
    {
        Ops::GdsLayout layout;
        QVERIFY(layout.load(layouts + QStringLiteral("layers.gds")));
        LayoutPlacementDialog dialog(layout, 10, 8);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("GDSII Layout Layer"));
        QCOMPARE(dialog.layerComboBox()->count(), 3);
        QCOMPARE(dialog.layerComboBox()->itemText(1), QStringLiteral("Layer 1, datatype 5 (1 shape)"));
        QCOMPARE(dialog.layerComboBox()->itemText(2), QStringLiteral("Layer 2, datatype 0 (1 shape)"));
        // Layer 1: 4 by 8 micrometres fill the 8 rows at 1 micrometre per cell, centred along x.
        QCOMPARE(dialog.scaleSpinBox()->value(), 1.0);
        QCOMPARE(dialog.offsetXSpinBox()->value(), -3.0);
        QCOMPARE(dialog.offsetYSpinBox()->value(), 0.0);
        // Layer 1, datatype 5: 2 by 2 micrometres from (4, 0) fill the rows at 0.25 per cell.
        dialog.layerComboBox()->setCurrentIndex(1);
        QCOMPARE(dialog.scaleSpinBox()->value(), 0.25);
        QCOMPARE(dialog.offsetXSpinBox()->value(), 3.75);
        const Ops::LayoutPlacement placement = dialog.placement();
        QCOMPARE(placement.layer.layer, 1);
        QCOMPARE(placement.layer.datatype, 5);
        QCOMPARE(placement.micronsPerCell, 0.25);
        dialog.scaleSpinBox()->setValue(2.0);
        QCOMPARE(dialog.placement().micronsPerCell, 2.0);
        dialog.fitToVolume();
        QCOMPARE(dialog.placement().micronsPerCell, 0.25);
    }

private:
    CatalogTestHome m_home;
};

QTEST_MAIN(tst_LayoutMaskDialogs)
#include "tst_layoutmaskdialogs.moc"
