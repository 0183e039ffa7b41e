#include "Model/Materials/materialfactory.h"
#include "UI/cataloguewatcher.h"
#include "catalogtesthome.h"

#include <QSignalSpy>
#include <QtTest>

using Model::Materials::MaterialFactory;

class tst_CatalogueWatcher : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    // Every change of the catalogue, from whichever window or file, makes each view redraw once.
    void everyChangeIsToldOnce()
    {
        auto catalogue = MaterialFactory::instance();
        Ui::CatalogueWatcher watcher(nullptr, 60000);
        QSignalSpy changed(&watcher, &Ui::CatalogueWatcher::changed);
        watcher.check();
        QCOMPARE(changed.count(), 0);

        Model::Materials::Material si = catalogue->getMaterial(1);
        si.setColor({1.0f, 0.0f, 0.0f, 1.0f});
        QVERIFY(catalogue->setMaterial(si));
        watcher.check();
        QCOMPARE(changed.count(), 1);
        watcher.check();
        QCOMPARE(changed.count(), 1);

        catalogue->createDefaultMaterials();
        watcher.check();
        QCOMPARE(changed.count(), 2);
    }

    void lookingUpChangesNothing()
    {
        auto catalogue = MaterialFactory::instance();
        Ui::CatalogueWatcher watcher(nullptr, 60000);
        QSignalSpy changed(&watcher, &Ui::CatalogueWatcher::changed);
        catalogue->getMaterial(3);
        catalogue->getMaterials();
        catalogue->getMaterialByName(QStringLiteral("Si"));
        watcher.check();
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(tst_CatalogueWatcher)
#include "tst_cataloguewatcher.moc"
