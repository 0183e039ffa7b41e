// Measurements of small volumes against values worked out by hand, and the "Measure" step that
// takes them without changing the volume or its records.
#include "Core/BatchRun/batchrunner.h"
#include "Core/Engines/Volume/volumemeasurement.h"
#include "Core/Processes/measureprocess.h"
#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"
#include "batchlists.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <stdexcept>

using Core::Operations::MeasurementAxis;
using Core::Operations::MeasurementKind;
using Core::Operations::MeasurementRequest;
using Core::Operations::VolumeMeasurement;
using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;

/// 6 x 4 x 5 cells: silicon up to z = 2 with 1 cell of oxide on top (columns 4 high), and a trench
/// along y at x = 2 and 3 down to 1 cell of silicon (columns 1 high).
std::shared_ptr<TotalVolume> trench()
{
    return makeVolume(6, 4, 5, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        if (x == 2 || x == 3)
            return z == 0 ? Si : 0;
        return z < 3 ? Si : z == 3 ? Oxide : 0;
    });
}

/// 8 x 1 x 5 cells: silicon with a trench that widens in one step: empty x = 3..4 at z = 1 and 2,
/// x = 2..5 at z = 3 and 4. Each wall moves one cell over three cells of height.
std::shared_ptr<TotalVolume> steppedTrench()
{
    return makeVolume(8, 1, 5, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        if (z == 0)
            return Si;
        const bool open = z <= 2 ? (x == 3 || x == 4) : (x >= 2 && x <= 5);
        return open ? 0 : Si;
    });
}

MeasurementRequest request(MeasurementKind kind, uint32_t material, long long x, long long y, long long z = 0,
                           MeasurementAxis axis = MeasurementAxis::X, long long z1 = 0, long long z2 = 0)
{
    MeasurementRequest r;
    r.kind = kind;
    r.material = material;
    r.x = x;
    r.y = y;
    r.z = z;
    r.axis = axis;
    r.z1 = z1;
    r.z2 = z2;
    return r;
}

const double atan3Degrees = std::atan(3.0) * 180.0 / M_PI; // 71.565...

} // namespace

Q_DECLARE_METATYPE(MeasurementRequest)

class tst_VolumeMeasurement : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void valuesAreThoseWorkedOutByHand_data()
    {
        QTest::addColumn<bool>("stepped");
        QTest::addColumn<MeasurementRequest>("request");
        QTest::addColumn<double>("cells");
        using K = MeasurementKind;
        const auto row = [](const char *name, bool stepped, const MeasurementRequest &r, double cells) {
            QTest::newRow(name) << stepped << r << cells;
        };
        row("silicon under the oxide", false, request(K::Thickness, Si, 0, 0), 3);
        row("oxide cap", false, request(K::Thickness, Oxide, 5, 3), 1);
        row("silicon in the trench", false, request(K::Thickness, Si, 2, 1), 1);
        row("no oxide in the trench", false, request(K::Thickness, Oxide, 3, 2), 0);
        row("empty cells of a mesa", false, request(K::Thickness, 0, 1, 1), 1);
        row("height of a mesa", false, request(K::Height, 0, 0, 0), 4);
        row("height in the trench", false, request(K::Height, 0, 3, 2), 1);
        row("depth of the trench", false, request(K::Depth, 0, 2, 0), 3);
        row("depth of a mesa", false, request(K::Depth, 0, 5, 3), 0);
        row("gap width across the trench", false, request(K::Width, 0, 3, 0, 2), 2);
        row("gap width along the trench", false, request(K::Width, 0, 2, 1, 2, MeasurementAxis::Y), 4);
        row("line width of a mesa", false, request(K::Width, Si, 1, 0, 2), 2);
        row("silicon floor", false, request(K::Width, Si, 2, 0, 0), 6);
        row("no silicon at the point", false, request(K::Width, Si, 2, 0, 2), 0);
        row("silicon", false, request(K::Volume, Si, 0, 0), 56);
        row("oxide", false, request(K::Volume, Oxide, 0, 0), 16);
        row("empty", false, request(K::Volume, 0, 0, 0), 48);
        row("vertical wall", false, request(K::SidewallAngle, 0, 2, 0, 0, MeasurementAxis::X, 1, 3), 90);
        row("stepped left wall", true, request(K::SidewallAngle, 0, 3, 0, 0, MeasurementAxis::X, 1, 4), atan3Degrees);
        row("stepped right wall", true, request(K::SidewallAngle, 0, 4, 0, 0, MeasurementAxis::X, 4, 1), atan3Degrees);
        row("stepped wall, lower half", true, request(K::SidewallAngle, 0, 3, 0, 0, MeasurementAxis::X, 1, 2), 90);
        row("wall of the silicon line", true, request(K::SidewallAngle, Si, 1, 0, 0, MeasurementAxis::X, 4, 1),
            atan3Degrees);
        row("stepped gap widths", true, request(K::Width, 0, 3, 0, 3), 4);
    }
    void valuesAreThoseWorkedOutByHand()
    {
        QFETCH(bool, stepped);
        QFETCH(MeasurementRequest, request);
        QFETCH(double, cells);
        auto volume = stepped ? steppedTrench() : trench();
        const auto before = cellStates(*volume);
        const auto value = VolumeMeasurement(*volume).measure(request);
        QVERIFY2(std::fabs(value.cells - cells) < 1e-9, qPrintable(QString::number(value.cells, 'g', 17)));
        // Cells of size 1: the same in the length unit.
        QVERIFY(std::fabs(value.length - cells) < 1e-9);
        QVERIFY(cellStates(*volume) == before);
    }

    void lengthsFollowTheCellSizes()
    {
        // Cells 2 wide (x), 3 deep (y), 0.5 high (z): a row of 4 x 1 x 2 cells, all silicon but (3, 0, 1).
        const std::vector<uint32_t> states{Si, Si, Si, Si, Si, Si, Si, 0};
        TotalVolume volume(4, 1, 2, 2.0f, 3.0f, 0.5f, Util::Vector3D(), states);
        VolumeMeasurement meter(volume);
        QCOMPARE(meter.measure(request(MeasurementKind::Height, 0, 0, 0)).length, 1.0);
        QCOMPARE(meter.measure(request(MeasurementKind::Width, Si, 0, 0, 0)).length, 8.0);
        QCOMPARE(meter.measure(request(MeasurementKind::Volume, Si, 0, 0)).length, 7 * 2.0 * 3.0 * 0.5);
        // The wall nearest x = 2: silicon ends at x = 3 at z = 0, at x = 2 at z = 1: rise 0.5 over 2.
        const auto angle =
            meter.measure(request(MeasurementKind::SidewallAngle, Si, 2, 0, 0, MeasurementAxis::X, 0, 1));
        QCOMPARE(angle.cells, 45.0);
        QVERIFY(std::fabs(angle.length - std::atan(0.25) * 180.0 / M_PI) < 1e-9);
    }

    void placesThatCannotBeMeasuredAreRefused_data()
    {
        QTest::addColumn<MeasurementRequest>("request");
        QTest::addColumn<QString>("message");
        using K = MeasurementKind;
        QTest::newRow("column beyond x") << request(K::Height, 0, 6, 0)
                                         << "(X, Y) = (6, 0) lies outside the cell volume of 6 x 4 x 5 cells";
        QTest::newRow("column beyond y") << request(K::Thickness, Si, 0, 4)
                                         << "(X, Y) = (0, 4) lies outside the cell volume of 6 x 4 x 5 cells";
        QTest::newRow("width above the top")
            << request(K::Width, 0, 0, 0, 5) << "Z = 5 lies outside the cell volume of 6 x 4 x 5 cells";
        QTest::newRow("angle above the top") << request(K::SidewallAngle, 0, 2, 0, 0, MeasurementAxis::X, 1, 7)
                                             << "Z2 = 7 lies outside the cell volume of 6 x 4 x 5 cells";
        QTest::newRow("angle at one height") << request(K::SidewallAngle, 0, 2, 0, 0, MeasurementAxis::X, 2, 2)
                                             << "a sidewall angle needs two different heights, but Z1 = Z2 = 2";
        QTest::newRow("angle of missing material") << request(K::SidewallAngle, 0, 0, 0, 0, MeasurementAxis::X, 1, 4)
                                                   << "the column (0, 0) holds no cell of the material at height 1";
    }
    void placesThatCannotBeMeasuredAreRefused()
    {
        QFETCH(MeasurementRequest, request);
        QFETCH(QString, message);
        auto volume = trench();
        try {
            VolumeMeasurement(*volume).measure(request);
            QFAIL("not refused");
        } catch (const std::invalid_argument &e) {
            QCOMPARE(QString::fromStdString(e.what()), message);
        }
    }

    // The step measures, hands the value over and leaves the cells, the last operation and the
    // lattice mark as they were.
    void measureStepChangesNothingAndRecordsNothing()
    {
        using namespace Core::Processes;
        Core::Workspace ws;
        auto volume = trench();
        ws.document().addObject(volume);
        ws.setLatticeOutOfDate(volume->id(), false);
        ws.setLastOperation(volume->id(), 13);
        const auto before = cellStates(*volume);
        const ProcessStep step =
            batchStep(int(ProcessType::Measure), {{"Name", "trench depth"}, {"Kind", "depth"}, {"X", 2u}, {"Y", 1u}});
        const ProcessDescriptor *measure = ProcessRegistry::descriptor(ProcessType::Measure);
        QVERIFY(measure && measure->commands().isEmpty());
        ProcessRun run(ProcessRun::Road::List, ws, volume);
        QCOMPARE(measure->run(run, step), int(Success));
        measure->finish(run, step);
        QCOMPARE(run.measurements.size(), size_t(1));
        QCOMPARE(run.measurements.front().name, QStringLiteral("trench depth"));
        QCOMPARE(run.measurements.front().value.cells, 3.0);
        QVERIFY(cellStates(*volume) == before);
        QCOMPARE(ws.lastOperation(volume->id()), 13u);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        const auto scope = measure->undoScope(step);
        QVERIFY(!scope.atomCounts && !scope.cutCounts && !scope.lattice && scope.counterFields.isEmpty());
    }

    void stepParametersAreChecked_data()
    {
        QTest::addColumn<QVariantMap>("parameters");
        QTest::addColumn<QString>("problem");
        const QVariantMap depth{{"Name", "d"}, {"Kind", "depth"}, {"X", 0u}, {"Y", 0u}};
        QTest::newRow("depth") << depth << QString();
        QVariantMap noY = depth;
        noY.remove("Y");
        QTest::newRow("missing Y") << noY << "missing: Y";
        QVariantMap kind = depth;
        kind["Kind"] = "diameter";
        QTest::newRow("unknown kind")
            << kind
            << "invalid: \"Kind\" is \"diameter\"; it must be one of thickness, height, depth, width, sidewall-angle, "
               "volume";
        QVariantMap unnamed = depth;
        unnamed["Name"] = " ";
        QTest::newRow("empty name") << unnamed << "invalid: \"Name\" is empty";
        const QVariantMap volume{{"Name", "v"}, {"Kind", "volume"}, {"Material", "Unobtainium"}};
        QTest::newRow("unknown material")
            << volume << "invalid: \"Material\" is \"Unobtainium\", which the material catalogue does not hold";
        const QVariantMap width{{"Name", "w"}, {"Kind", "width"}, {"Material", "Si"}, {"X", 0u},
                                {"Y", 0u},     {"Z", 1u},         {"Axis", "z"}};
        QTest::newRow("axis z") << width << "invalid: \"Axis\" is \"z\"; it must be x or y";
        QVariantMap upper = width;
        upper["Axis"] = "Y";
        QTest::newRow("axis Y") << upper << QString();
        QVariantMap noZ = width;
        noZ.remove("Z");
        QTest::newRow("width without Z") << noZ << "missing: Z";
    }
    void stepParametersAreChecked()
    {
        QFETCH(QVariantMap, parameters);
        QFETCH(QString, problem);
        Core::Processes::ProcessStep step(static_cast<int>(Core::Processes::ProcessType::Measure));
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
            step.setParameter(it.key(), it.value(), true);
        QCOMPARE(Core::Processes::MeasureProcess::problem(step), problem);
    }
};

QTEST_GUILESS_MAIN(tst_VolumeMeasurement)
#include "tst_volumemeasurement.moc"
