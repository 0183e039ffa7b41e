#include "Model/Automaton/facemesh.h"

#include <QtTest>

using Model::Automaton::FaceMesh;

// The merged opaque quads: 16-bit positions in 1/64 of a cell when the window allows, floats otherwise.
class tst_FaceMesh : public QObject {
    Q_OBJECT
private slots:
    void compactPositionsNeedASmallWindow_data()
    {
        QTest::addColumn<uint32_t>("largest");
        QTest::addColumn<bool>("compact");
        // 511 * 64 + 1 = 32705 fits a 16-bit integer; 512 * 64 + 1 = 32769 does not.
        QTest::newRow("511 cells") << 511u << true;
        QTest::newRow("512 cells") << 512u << false;
        QTest::newRow("one cell") << 1u << true;
    }
    void compactPositionsNeedASmallWindow()
    {
        QFETCH(uint32_t, largest);
        QFETCH(bool, compact);
        for (int axis = 0; axis < 3; ++axis) {
            uint32_t upper[3] = {1, 1, 1};
            upper[axis] = largest;
            QCOMPARE(FaceMesh::fitsCompact(upper), compact);
        }
    }

    void bothKindsOfPositionsGiveTheSameQuad()
    {
        // The +y face (3) of three cells along z from cell (2, 5, 7), cells 0.5 x 2 x 4: the quad
        // spans x 2..3, z 7..10 in cells, in the plane y = 6, widened by 1/64 of a cell in x and z.
        const float size[3] = {0.5f, 2.0f, 4.0f};
        const uint32_t origin[3] = {2, 5, 7};
        FaceMesh exact;
        exact.resize(3, 1);
        exact.writeQuad(0, 3, origin, 2, 3, size);
        FaceMesh compact;
        compact.setCompact(true);
        compact.resize(3, 1);
        compact.writeQuad(0, 3, origin, 2, 3, size);
        QCOMPARE(exact.quadCount(3), size_t(1));
        QCOMPARE(compact.quadCount(3), size_t(1));

        const float s = 1.0f / 64.0f;
        // Face-table corners of face 3: (0,1,0), (0,1,1), (1,1,1), (1,1,0).
        const float cells[4][3] = {{2 - s, 6, 7 - s}, {2 - s, 6, 10 + s}, {3 + s, 6, 10 + s}, {3 + s, 6, 7 - s}};
        const auto &floats = exact.direction(3).positions;
        const auto &shorts = compact.direction(3).compactPositions;
        for (int k = 0; k < 4; ++k) {
            for (int i = 0; i < 3; ++i) {
                const size_t at = size_t(3 * k + i);
                QCOMPARE(floats[at], cells[k][i] * size[i]);
                QCOMPARE(float(shorts[at]) / 64.0f * size[i], cells[k][i] * size[i]);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_FaceMesh)
#include "tst_facemesh.moc"
