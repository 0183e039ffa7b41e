#include "Model/document.h"
#include "testobject.h"

#include <QtTest>

#include <cmath>

using Model::Document;
using Model::ObjectPtr;

class tst_Document : public QObject {
    Q_OBJECT
private slots:
    void consecutiveObjectsHaveConsecutiveIds()
    {
        TestObject a;
        TestObject b;
        QCOMPARE(b.id(), a.id() + 1);
        QVERIFY(!a.isSelected());
    }

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

    void findObjectSearchesLayersAndReportsMisses()
    {
        Document document;
        auto first = std::make_shared<TestObject>();
        auto second = std::make_shared<TestObject>();
        document.addObject(first);
        document.addObject(second);

        auto found = document.findObject(second->id());
        QVERIFY(found.second);
        QCOMPARE(found.first, ObjectPtr(second));

        auto missing = document.findObject(second->id() + 1000);
        QVERIFY(!missing.second);
        QVERIFY(!missing.first);

        QCOMPARE(document.allObjects(), (QList<ObjectPtr>{first, second}));
        document.removeObject(first);
        QCOMPARE(document.allObjects(), (QList<ObjectPtr>{second}));
    }

    void clearLeavesOneEmptyLayerAndNoName()
    {
        Document document;
        document.setFileName(QStringLiteral("/tmp/a.cfw"));
        document.addObject(std::make_shared<TestObject>());
        document.clear();
        QCOMPARE(document.layers().size(), 1);
        QCOMPARE(document.layers().first()->number(), 0u);
        QVERIFY(document.allObjects().isEmpty());
        QVERIFY(document.fileName().isEmpty());
        // Objects go to the new current layer.
        document.addObject(std::make_shared<TestObject>());
        QCOMPARE(document.layers().first()->objects().size(), 1);
    }

    void removedObjectLivesWhileHeldElsewhere()
    {
        Document document;
        auto object = std::make_shared<TestObject>();
        std::weak_ptr<TestObject> watch = object;
        document.addObject(object);
        ObjectPtr heldByUndo = object;
        object.reset();
        document.removeObject(heldByUndo);
        QVERIFY(!watch.expired());
        heldByUndo.reset();
        QVERIFY(watch.expired());
    }
};

QTEST_GUILESS_MAIN(tst_Document)
#include "tst_document.moc"
