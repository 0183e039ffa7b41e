#include "Util/vector3d.h"
#include "Util/vector4d.h"

#include <QtTest>

class tst_Vector : public QObject {
    Q_OBJECT
private slots:
    void vector3dFromVector4dDropsW()
    {
        const Util::Vector4D v4(1, 2, 3, 9);
        const Util::Vector3D v3(v4);
        QCOMPARE(v3.x, 1.0);
        QCOMPARE(v3.z, 3.0);
        QCOMPARE(v3.w, 0.0);
    }

    void assigningVector4dKeepsOwnW()
    {
        Util::Vector3D v3(5, 5, 5);
        v3.w = 7;
        v3 = Util::Vector4D(1, 2, 3, 9);
        QCOMPARE(v3.y, 2.0);
        QCOMPARE(v3.w, 7.0);
    }

    void elementAccessBeyondTwoIsW()
    {
        Util::Vector4D v(1, 2, 3, 4);
        QCOMPARE(v[0], 1.0);
        QCOMPARE(v[2], 3.0);
        QCOMPARE(v[3], 4.0);
        QCOMPARE(v[17], 4.0);
        v[42] = 8;
        QCOMPARE(v.w, 8.0);
    }

    void arithmeticIsComponentWise()
    {
        const Util::Vector4D a(1, 2, 3, 4);
        const Util::Vector4D b(10, 20, 30, 40);
        QCOMPARE(a + b, Util::Vector4D(11, 22, 33, 44));
        QCOMPARE(b - a, Util::Vector4D(9, 18, 27, 36));
        QCOMPARE(2.0 * a, Util::Vector4D(2, 4, 6, 8));
        Util::Vector4D c = a;
        c += b;
        QCOMPARE(c, Util::Vector4D(11, 22, 33, 44));
    }

    void travelsInVariant()
    {
        QCOMPARE(QMetaType::typeName(qMetaTypeId<Util::Vector3D>()), "Util::Vector3D");
        const QVariant value = QVariant::fromValue(Util::Vector3D(1, 2, 3));
        const Util::Vector3D back = Util::Vector3D::fromVariant(value);
        QCOMPARE(back.y, 2.0);
        const Util::Vector3D none = Util::Vector3D::fromVariant(QVariant(QStringLiteral("text")));
        QCOMPARE(none, Util::Vector4D(0, 0, 0, 0));
    }

    void colorTableEntryOfRoleAndScheme()
    {
        Util::ColorTable::loadDefaults();
        const Util::Vector4D background(Util::ColorTable::BackgroundColor, 1);
        QCOMPARE(background, Util::Vector4D(1, 1, 1, 0));
        Util::ColorTable::setEntry(Util::ColorTable::GridColor, 2, Util::Vector4D(0.1, 0.2, 0.3, 1));
        QCOMPARE(Util::Vector4D(Util::ColorTable::GridColor, 2), Util::Vector4D(0.1, 0.2, 0.3, 1));
        Util::ColorTable::loadDefaults();
        QCOMPARE(Util::Vector4D(Util::ColorTable::GridColor, 2), Util::Vector4D(0.4, 0.4, 0.4, 1));
    }
};

QTEST_GUILESS_MAIN(tst_Vector)
#include "tst_vector.moc"
