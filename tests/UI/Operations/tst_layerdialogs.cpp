#include "Model/Materials/materialfactory.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "catalogtesthome.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

using namespace Ui::Operations;

namespace {

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

void checkMaterialList(const QComboBox *combo)
{
    const auto materials = Model::Materials::MaterialFactory::instance()->getMaterials();
    QCOMPARE(combo->count(), materials.size());
    for (int i = 0; i < materials.size(); ++i) {
        QCOMPARE(combo->itemText(i), materials[i].name());
        QCOMPARE(combo->itemData(i).toUInt(), materials[i].id());
        QVERIFY(combo->itemIcon(i).availableSizes().contains(QSize(100, 100)));
    }
}

} // namespace

class tst_LayerDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QDir(m_dir.path()).exists()); }

    void mooreDialog()
    {
        MooreOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Operation Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("MooreOptionsBaseDialog"));
        QCOMPARE(dialog.valueLabel(), QStringLiteral("Select Value"));
        dialog.setValueLabel(QStringLiteral("Etch Depth"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblValue"))->text(), QStringLiteral("Etch Depth"));
        QSpinBox *spin = dialog.valueSpinBox();
        QCOMPARE(spin->minimum(), 1);
        QCOMPARE(spin->maximum(), 999999999);
        QCOMPARE(spin->value(), 1);
        QCOMPARE(spin->suffix(), QStringLiteral(" cells"));
        checkMaterialList(dialog.filmComboBox());
        dialog.filmComboBox()->setCurrentIndex(dialog.filmComboBox()->findText(QStringLiteral("Photoresist -")));
        spin->setValue(7);
        QCOMPARE(dialog.material(), 12u);
        QCOMPARE(dialog.value(), 7u);
    }

    void photolithographyDialogLayout()
    {
        PhotolithographyDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Photolithography Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("PhotolithographyBaseDialog"));
        QCOMPARE(dialog.minimumSize(), QSize(370, 360));
        QCOMPARE(dialog.maximumSize(), QSize(370, 360));
        QCOMPARE(dialog.topGroup()->title(), QStringLiteral("Top Mask"));
        QCOMPARE(dialog.bottomGroup()->title(), QStringLiteral("Bottom Mask"));
        QCOMPARE(dialog.topGroup()->applyButton()->text(), QStringLiteral("Apply"));
        QCOMPARE(dialog.bottomGroup()->removeButton()->text(), QStringLiteral("Remove"));
        QCOMPARE(MaskFileGroup::imageFilter(), QStringLiteral("Image Files (*.png *.jpg *.bmp)"));
        checkMaterialList(dialog.filmComboBox());
    }

    void applyHandsTheMaskOnAtOnce()
    {
        PhotolithographyDialog dialog;
        QSignalSpy top(&dialog, &PhotolithographyDialog::topMaskChanged);
        QSignalSpy bottom(&dialog, &PhotolithographyDialog::bottomMaskChanged);
        dialog.topGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
        QTest::mouseClick(dialog.topGroup()->applyButton(), Qt::LeftButton);
        QCOMPARE(top.count(), 1);
        QCOMPARE(bottom.count(), 0);
        QCOMPARE(top.at(0).at(1).toUInt(), 100u);
        QCOMPARE(top.at(0).at(2).toUInt(), 100u);
        QCOMPARE(top.at(0).at(0).toBitArray(), dialog.topMask().bits);
        QVERIFY(dialog.topMask().covers(50, 0));
        QVERIFY(!dialog.topMask().covers(0, 0));

        QTest::mouseClick(dialog.topGroup()->removeButton(), Qt::LeftButton);
        QCOMPARE(top.count(), 2);
        QVERIFY(top.at(1).at(0).toBitArray().isEmpty());
        QCOMPARE(top.at(1).at(1).toUInt() + top.at(1).at(2).toUInt(), 0u);
        QVERIFY(dialog.topMask().isEmpty());
    }

    void unreadableImageWarnsAndKeepsTheMask_data()
    {
        QTest::addColumn<bool>("topMask");
        QTest::addColumn<QString>("warning");
        QTest::newRow("top") << true
                             << QStringLiteral("Top Mask file not found!<br/>Please verify the filename is correct "
                                               "and you have the correct permissions.");
        QTest::newRow("bottom") << false
                                << QStringLiteral("Bottom mask not found error!<br/>Please verify if the filename is "
                                                  "correct and you have the correct permissions.");
    }
    void unreadableImageWarnsAndKeepsTheMask()
    {
        QFETCH(bool, topMask);
        QFETCH(QString, warning);
        PhotolithographyDialog dialog;
        MaskFileGroup *group = topMask ? dialog.topGroup() : dialog.bottomGroup();
        QSignalSpy changed(group, &MaskFileGroup::maskChanged);
        group->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/square_opening.png"));
        group->applyMask();
        QCOMPARE(changed.count(), 1);
        const QBitArray previous = group->mask().bits;

        QTemporaryDir dir;
        QFile junk(dir.filePath(QStringLiteral("junk.png")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("\x89PNG broken");
        junk.close();
        for (const QString &name : {junk.fileName(), dir.filePath(QStringLiteral("missing.bmp"))}) {
            group->fileNameEdit()->setText(name);
            QString shown;
            closeNextMessageBox(shown);
            group->applyMask();
            QCOMPARE(shown, warning);
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(group->mask().bits, previous);
        QCOMPARE(group->mask().width, 100u);
    }

    void maskedCutDialog()
    {
        MaskedCutOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Masked Cell Cut Options"));
        QCOMPARE(dialog.objectName(), QStringLiteral("MaskedCutOptionsBaseDialog"));
        QCOMPARE(dialog.minimumSize(), QSize(370, 180));
        QCOMPARE(dialog.maximumSize(), QSize(370, 180));
        QCOMPARE(dialog.maskGroup()->title(), QStringLiteral("Top Down Cut Mask"));
        QSignalSpy changed(&dialog, &MaskedCutOptionsDialog::maskChanged);
        dialog.maskGroup()->fileNameEdit()->setText(QStringLiteral("/nonexistent/mask.png"));
        QString shown;
        closeNextMessageBox(shown);
        dialog.maskGroup()->applyMask();
        QCOMPARE(shown, PhotolithographyDialog::topFailureText());
        QCOMPARE(changed.count(), 0);
        dialog.maskGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/lines_and_spaces.png"));
        dialog.maskGroup()->applyMask();
        QCOMPARE(changed.count(), 1);
        QVERIFY(dialog.mask().covers(0, 99));
        QVERIFY(!dialog.mask().covers(10, 0));
    }

    void planarizationDialogIsBoundedByTheVolume()
    {
        PlanarizationOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Planarization Options"));
        QCOMPARE(dialog.maximumSpinBox()->maximum(), 999999999);
        QCOMPARE(dialog.minimumSpinBox()->toolTip(), QStringLiteral("All cells below this height will be removed."));
        QCOMPARE(dialog.maximumSpinBox()->toolTip(), QStringLiteral("All cells above this height will be removed."));
        QCOMPARE(dialog.minimumSpinBox()->suffix(), QStringLiteral(" cells"));
        dialog.setHeightLimit(20);
        QCOMPARE(dialog.maximumSpinBox()->maximum(), 20);
        QCOMPARE(dialog.maximumHeight(), 20u);
        QCOMPARE(dialog.minimumHeight(), 0u);
        QCOMPARE(dialog.minimumSpinBox()->maximum(), 20);
        dialog.maximumSpinBox()->setValue(50);
        QCOMPARE(dialog.maximumHeight(), 20u);
        dialog.minimumSpinBox()->setValue(12);
        dialog.maximumSpinBox()->setValue(7);
        // The minimum follows the maximum down.
        QCOMPARE(dialog.minimumSpinBox()->maximum(), 7);
        QCOMPARE(dialog.minimumHeight(), 7u);
    }

    void planarizationDialogTakesListParameters()
    {
        PlanarizationOptionsDialog dialog;
        dialog.setHeightLimit(30);
        dialog.setParameters(QVariantMap{{QStringLiteral("Maximum Height"), 25u}});
        QCOMPARE(dialog.maximumHeight(), 25u);
        QCOMPARE(dialog.minimumHeight(), 0u);
        dialog.setParameters(QVariantMap{{QStringLiteral("Minimum Height"), 4u}, {QStringLiteral("Other"), 9u}});
        QCOMPARE(dialog.maximumHeight(), 25u);
        QCOMPARE(dialog.minimumHeight(), 4u);
    }

    void pourMaterialDialog()
    {
        SpinCoatingOptionsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Pour Material Options"));
        QCOMPARE(dialog.heightSpinBox()->value(), 0);
        QCOMPARE(dialog.heightSpinBox()->maximum(), 999999999);
        QCOMPARE(dialog.heightSpinBox()->suffix(), QStringLiteral(" cells"));
        checkMaterialList(dialog.materialComboBox());
        dialog.setHeightLimit(16);
        dialog.heightSpinBox()->setValue(40);
        QCOMPARE(dialog.depositionHeight(), 16u);
        dialog.materialComboBox()->setCurrentIndex(
            dialog.materialComboBox()->findText(QStringLiteral("Photoresist +")));
        QCOMPARE(dialog.material(), 11u);
    }

private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_LayerDialogs)
#include "tst_layerdialogs.moc"
