// The memory of the process dialogs: the values last accepted come back in the next dialog of a
// class, in this run and the next; Cancel keeps nothing; the file is replaced whole or not at all.
#include "Core/Processes/mooredepositionprocess.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/filmextractiondialog.h"
#include "UI/ProcessDialogs/dopingdialog.h"
#include "UI/ProcessDialogs/electroplatingdialog.h"
#include "UI/ProcessDialogs/ionimplantationdialog.h"
#include "UI/ProcessDialogs/isotropicetchingdialog.h"
#include "UI/ProcessDialogs/mooredialog.h"
#include "UI/ProcessDialogs/planarizationdialog.h"
#include "UI/ProcessDialogs/pvddialog.h"
#include "UI/ProcessDialogs/randomwalkdopingdialog.h"
#include "UI/ProcessDialogs/simpleriedialog.h"
#include "UI/ProcessDialogs/sioxidationdialog.h"
#include "UI/ProcessDialogs/siwetetchingdialog.h"
#include "UI/ProcessDialogs/spincoatingdialog.h"
#include "UI/dialogtesting.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "fulldisk.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Ui::Operations;

using DialogMaker = std::function<QDialog *()>;
Q_DECLARE_METATYPE(DialogMaker)

namespace {

// Types, chooses (a material by its identifier) or checks `value` in the widget of that name.
void enter(QDialog &dialog, const QString &name, const QVariant &value)
{
    auto *widget = child<QWidget>(&dialog, name);
    if (auto *box = qobject_cast<QDoubleSpinBox *>(widget))
        box->setValue(value.toDouble());
    else if (auto *list = qobject_cast<QComboBox *>(widget))
        list->setCurrentIndex(list->findData(value));
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(value.toString());
    else if (auto *button = qobject_cast<QRadioButton *>(widget))
        button->setChecked(value.toBool());
}

// What the widgets of these names show, in the terms of enter().
QVariantMap shown(QDialog &dialog, const QVariantMap &names)
{
    QVariantMap values;
    for (const QString &name : names.keys()) {
        auto *widget = child<QWidget>(&dialog, name);
        if (auto *box = qobject_cast<QDoubleSpinBox *>(widget))
            values.insert(name, box->value());
        else if (auto *list = qobject_cast<QComboBox *>(widget))
            values.insert(name, list->currentData());
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            values.insert(name, edit->text());
        else if (auto *button = qobject_cast<QRadioButton *>(widget))
            values.insert(name, button->isChecked());
    }
    return values;
}

} // namespace

class tst_DialogMemory : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    // What was accepted in a dialog comes back in the next dialog of its class, in this run and in
    // the next (a new memory that knows only the file); Cancel keeps nothing; a value the widget can
    // no longer take (a material gone, a number out of range) leaves the default.
    void dialogsOpenWithTheValuesLastAccepted_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QVariantMap>("entered");
        QTest::addColumn<QString>("stale"); // a widget whose stored value becomes one it cannot take
        QTest::addColumn<QJsonValue>("staleValue");
        using D = DialogMaker;
        QTest::newRow("random walk") << D([] { return new RandomWalkDopingDialog; })
                                     << QVariantMap{{"dblDopingTime", 30.0},
                                                    {"cbxDopingMaterial", 14u},
                                                    {"lieDiffusionCoefficient", "1e-13"},
                                                    {"lieCellSize", "0.01"},
                                                    {"lieTimeStep", "1"},
                                                    {"lieConcentration", "1e20"},
                                                    {"dblThreshold", 20.0},
                                                    {"lieSeed", "7"}}
                                     << "cbxDopingMaterial" << QJsonValue("999"); // no such material
        QTest::newRow("oxidation") << D([] { return new SiOxidationDialog; })
                                   << QVariantMap{{"radTime", true},
                                                  {"dblTime", 1.5},
                                                  {"dblTemperature", 1323.0},
                                                  {"dblPressure", 0.8},
                                                  {"dblConversion", 30.0}}
                                   << "dblPressure" << QJsonValue(2.0); // above 1 atm
        const QVariantMap implanted{
            {"cbxMaterial", 15u}, {"dblDepth", 12.5}, {"dblSpread", 4.0}, {"dblAnnealing", 2.0}};
        QTest::newRow("implantation") << D([] { return new IonImplantationDialog; }) << implanted << "cbxMaterial"
                                      << QJsonValue("999");
    }
    void dialogsOpenWithTheValuesLastAccepted()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QVariantMap, entered);
        QFETCH(QString, stale);
        QFETCH(QJsonValue, staleValue);
        const QString file = m_dir.filePath(QTest::currentDataTag() + QStringLiteral("/dialogvalues.json"));
        auto opened = [&] {
            std::unique_ptr<QDialog> dialog(make());
            return shown(*dialog, entered);
        };
        auto accepted = [&](bool ok) {
            std::unique_ptr<QDialog> dialog(make());
            for (auto it = entered.constBegin(); it != entered.constEnd(); ++it)
                enter(*dialog, it.key(), it.value());
            ok ? dialog->accept() : dialog->reject();
            QCOMPARE(dialog->result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        };
        const QVariantMap defaults = opened(); // nothing is remembered without a memory
        for (auto it = entered.constBegin(); it != entered.constEnd(); ++it)
            QVERIFY2(defaults.value(it.key()) != it.value(), qPrintable(it.key()));

        const auto forget = qScopeGuard([] { DialogMemory::setProgram(nullptr); });
        DialogMemory::setProgram(std::make_unique<DialogMemory>(file));
        accepted(false);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(opened(), defaults);
        accepted(true);
        QCOMPARE(opened(), entered);
        DialogMemory::setProgram(std::make_unique<DialogMemory>(file));
        QCOMPARE(opened(), entered);

        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(stored.readAll()).object();
        stored.close();
        const QString key = DialogMemory::key(std::unique_ptr<QDialog>(make()).get());
        QJsonObject dialogs = root.value("dialogs").toObject();
        QJsonObject values = dialogs.value(key).toObject();
        QVERIFY(values.contains(stale));
        values.insert(stale, staleValue);
        dialogs.insert(key, values);
        root.insert("dialogs", dialogs);
        writeFile(file, QJsonDocument(root).toJson());
        QVariantMap expected = entered;
        expected.insert(stale, defaults.value(stale));
        QCOMPARE(opened(), expected);
    }

    // Values remembered before a dialog class was renamed stay its own: the file keeps the names that
    // earlier versions wrote.
    void renamedDialogsKeepTheirRememberedValues_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("storedAs");
        using D = DialogMaker;
        QTest::newRow("wet etch") << D([] { return new SiWetEtchingDialog; }) << "Ui::Operations::BCAEtchingDialog";
        QTest::newRow("Moore") << D([] {
            return new MooreDialog(Core::Processes::ProcessRegistry::get<Core::Processes::MooreDepositionProcess>());
        }) << "Ui::Operations::MooreOptionsDialog";
        QTest::newRow("electroplating") << D([] { return new ElectroplatingDialog; })
                                        << "Ui::Operations::ElectrodepositionDialog";
        QTest::newRow("PVD") << D([] { return new PvdDialog; }) << "Ui::Operations::PVDOptionsDialog";
        QTest::newRow("RIE") << D([] { return new SimpleRieDialog; }) << "Ui::Operations::SimpleRIEDialog";
        QTest::newRow("doping") << D([] { return new DopingDialog; }) << "Ui::Operations::DopingOptionsDialog";
        QTest::newRow("implantation") << D([] { return new IonImplantationDialog; })
                                      << "Ui::Operations::IonImplantationOptionsDialog";
        QTest::newRow("oxidation") << D([] { return new SiOxidationDialog; })
                                   << "Ui::Operations::SimpleOxidationOptionsDialog";
        QTest::newRow("planarization") << D([] { return new PlanarizationDialog; })
                                       << "Ui::Operations::PlanarizationOptionsDialog";
        QTest::newRow("pour") << D([] { return new SpinCoatingDialog; }) << "Ui::Operations::SpinCoatingOptionsDialog";
        QTest::newRow("film") << D([] { return new FilmExtractionDialog; }) << "Ui::Operations::ExtractFilmDialog";
    }
    void renamedDialogsKeepTheirRememberedValues()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QString, storedAs);
        const QString file = m_dir.filePath(QTest::currentDataTag() + QStringLiteral("-renamed.json"));
        QString error;
        QVERIFY2(DialogMemory(file).store(std::unique_ptr<QDialog>(make()).get(), &error), qPrintable(error));
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QJsonObject dialogs = QJsonDocument::fromJson(stored.readAll()).object().value("dialogs").toObject();
        QCOMPARE(dialogs.keys(), QStringList{storedAs});
    }

    // The file is replaced whole or not at all: one of a later version or on a full disk is left as
    // it was, with the reason; a damaged one counts as empty and is replaced.
    void dialogMemoryFileProblems()
    {
        IsotropicEtchingDialog dialog;
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDepth"))->setValue(3.5);
        QString error;

        const QByteArray later = R"({"version": 2, "dialogs": {}})";
        const QString laterFile = writeFile(m_dir.filePath(QStringLiteral("later.json")), later);
        QVERIFY(!DialogMemory(laterFile).store(&dialog, &error));
        QCOMPARE(error, QStringLiteral("\"%1\": it was written by a later Cellforge (version 2), so it was left as it "
                                       "is.")
                            .arg(laterFile));
        QCOMPARE(fileContents(laterFile), later);

        const QString damaged = writeFile(m_dir.filePath(QStringLiteral("damaged.json")), "{\"version\": 1, \"dia");
        DialogMemory memory(damaged);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("damaged.json\" are not used: it is damaged"));
        IsotropicEtchingDialog fresh;
        QCOMPARE(memory.restore(&fresh), 0);
        QVERIFY(memory.store(&dialog, &error));
        QCOMPARE(memory.restore(&fresh), 2); // depth and material
        QCOMPARE(fresh.depth(), 3.5);

        // The earlier file fits in one page; the new one keeps its entry and needs more room than there is.
        FullDisk disk(1024);
        const QString full = disk.filePath(QStringLiteral("dialogvalues.json"));
        const QByteArray earlier =
            "{\"version\": 1, \"dialogs\": {\"Earlier\": {\"lieNote\": \"" + QByteArray(4000, 'x') + "\"}}}";
        writeFile(full, earlier);
        {
            const auto limit = disk.whileWriting();
            QVERIFY(!DialogMemory(full).store(&dialog, &error));
        }
        QVERIFY2(error.startsWith(QStringLiteral("\"%1\": ").arg(full)) && error.contains(disk.reason()),
                 qPrintable(error));
        QCOMPARE(fileContents(full), earlier);
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("dialogvalues.json")});
    }
};

QTEST_MAIN(tst_DialogMemory)
#include "tst_dialogmemory.moc"
