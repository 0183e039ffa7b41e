#include "Model/document.h"
#include "testobject.h"

#include <QtTest>

#include <cmath>

using Model::Document;
using Model::ObjectPtr;

class tst_Document : public QObject {
    Q_OBJECT
private slots:
    void highlightColorShiftsEachComponent()
    {
        float color[3] = {0.8f, 0.2f, 1.0f};
        Model::highlightColor(color);
        QCOMPARE(color[0], 0.1f);
        QCOMPARE(color[1], 0.5f);
        QCOMPARE(color[2], 0.3f);
        // The single-precision value nearest 0.7 lies below the double 0.7.
        float nearSeven[3] = {0.7f, 0.0f, 0.0f};
        Model::highlightColor(nearSeven);
        QVERIFY(std::fabs(nearSeven[0] - 1.0f) < 1e-6f);
    }

    void objectsAreFoundRemovedAndCleared()
    {
        Document document;
        document.setFileName(QStringLiteral("/tmp/a.cfw"));
        auto first = std::make_shared<TestObject>();
        auto second = std::make_shared<TestObject>();
        QCOMPARE(second->id(), first->id() + 1);
        document.addObject(first);
        document.addObject(second);
        QVERIFY(document.findObject(second->id()) == std::make_pair(ObjectPtr(second), true));
        QVERIFY(document.findObject(second->id() + 1000) == std::make_pair(ObjectPtr(), false));

        // A removed object lives on while something else (an undo record) holds it.
        std::weak_ptr<TestObject> watch = first;
        ObjectPtr heldByUndo = first;
        first.reset();
        document.removeObject(heldByUndo);
        QCOMPARE(document.allObjects(), QList<ObjectPtr>{second});
        QVERIFY(!watch.expired());
        heldByUndo.reset();
        QVERIFY(watch.expired());

        // Clearing leaves one empty layer and no file name; new objects go to that layer.
        document.clear();
        QCOMPARE(document.layers().size(), 1);
        QCOMPARE(document.layers().first()->number(), 0u);
        QVERIFY(document.allObjects().isEmpty());
        QVERIFY(document.fileName().isEmpty());
        document.addObject(std::make_shared<TestObject>());
        QCOMPARE(document.layers().first()->objects().size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_Document)
#include "tst_document.moc"
