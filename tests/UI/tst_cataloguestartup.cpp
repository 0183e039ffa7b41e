#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/cataloguestartup.h"
#include "catalogtesthome.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

using Model::Materials::MaterialFactory;
using Model::Process::ProcessFactory;

namespace {

struct Shown {
    QString title;
    QString text;
};

/// Closes the message box that the report shows, if any, and keeps what it said.
void closeNextMessageBox(Shown &shown)
{
    QTimer::singleShot(0, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown.title = box->windowTitle();
            shown.text = box->text();
            box->close();
        }
    });
}

} // namespace

class tst_CatalogueStartUp : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        // Later tests start from catalogues that loaded cleanly.
        CatalogTestHome home;
        MaterialFactory::instance()->startUp();
        ProcessFactory::instance()->startUp();
    }

    void unreadableCataloguesAreReported_data()
    {
        QTest::addColumn<bool>("materials");
        QTest::addColumn<bool>("processes");
        QTest::newRow("materials") << true << false;
        QTest::newRow("processes") << false << true;
        QTest::newRow("both") << true << true;
    }

    void unreadableCataloguesAreReported()
    {
        QFETCH(bool, materials);
        QFETCH(bool, processes);
        CatalogTestHome home;
        // A folder in place of a file cannot be read, also by root.
        if (materials)
            QVERIFY(QDir().mkpath(home.file(QStringLiteral("materials.xml"))));
        if (processes)
            QVERIFY(QDir().mkpath(home.file(QStringLiteral("processes.xml"))));
        MaterialFactory::instance()->startUp();
        ProcessFactory::instance()->startUp();

        QString errors;
        QTextStream err(&errors);
        Shown shown;
        closeNextMessageBox(shown);
        const QString said = Ui::reportCatalogueStartUp(nullptr, err);

        QStringList expected;
        if (materials)
            expected << MaterialFactory::instance()->startUpReport();
        if (processes)
            expected << ProcessFactory::instance()->startUpReport();
        QCOMPARE(expected.size(), int(materials) + int(processes));
        QCOMPARE(expected.filter(QStringLiteral("could not be read")).size(), expected.size());
        QCOMPARE(said, expected.join(QStringLiteral("\n\n")));
        QCOMPARE(shown.title, QStringLiteral("Catalogue files"));
        QCOMPARE(shown.text, said);
        QCOMPARE(errors,
                 QStringLiteral("cellforge: ") + expected.join(QStringLiteral("\ncellforge: ")) + QLatin1Char('\n'));
    }

    void cleanStartSaysNothing()
    {
        CatalogTestHome home;
        MaterialFactory::instance()->startUp();
        ProcessFactory::instance()->startUp();
        QString errors;
        QTextStream err(&errors);
        Shown shown;
        closeNextMessageBox(shown);
        QCOMPARE(Ui::reportCatalogueStartUp(nullptr, err), QString());
        QVERIFY(errors.isEmpty());
        // Let the timer run: no box was there to close.
        QCoreApplication::processEvents();
        QVERIFY(shown.title.isEmpty());
    }
};

QTEST_MAIN(tst_CatalogueStartUp)
#include "tst_cataloguestartup.moc"
