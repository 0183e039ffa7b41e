#include "Model/Materials/materialfactory.h"
#include "UI/Operations/extractfilmdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

using Ui::Operations::ExtractFilmDialog;

class tst_ExtractFilmDialog : public QObject {
    Q_OBJECT
private slots:
    void offersEveryMaterialWithItsSwatch()
    {
        ExtractFilmDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Extract Film"));
        auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
        QVERIFY(box);
        const auto materials = Model::Materials::MaterialFactory::instance()->getMaterials();
        QVERIFY(!materials.isEmpty());
        QCOMPARE(box->count(), materials.size());
        for (int i = 0; i < materials.size(); ++i) {
            QCOMPARE(box->itemText(i), materials.at(i).name());
            QCOMPARE(box->itemData(i).toUInt(), materials.at(i).id());
            const QSize swatch = box->itemIcon(i).availableSizes().value(0);
            QCOMPARE(swatch, QSize(100, 100));
        }
        box->setCurrentIndex(materials.size() - 1);
        QCOMPARE(dialog.material(), materials.last().id());
    }

    void invertStartsUnchecked()
    {
        ExtractFilmDialog dialog;
        auto *invert = dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"));
        QVERIFY(invert);
        QCOMPARE(invert->text(), QStringLiteral("Invert film after extraction"));
        QVERIFY(!dialog.invert());
        invert->setChecked(true);
        QVERIFY(dialog.invert());
        bool labelled = false;
        for (auto *label : dialog.findChildren<QLabel *>())
            labelled = labelled || label->text() == QStringLiteral("Select Film to Extract");
        QVERIFY(labelled);
    }
};

QTEST_MAIN(tst_ExtractFilmDialog)
#include "tst_extractfilmdialog.moc"
