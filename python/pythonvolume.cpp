#include "pythonvolume.h"

#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/resultsfile.h"
#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/crosssection.h"
#include "Core/Formats/surfaceexport.h"
#include "Core/Processes/measureprocess.h"
#include "Core/workspace.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/surfaceflux.h"
#include "Util/safefile.h"
#include "Util/vector3d.h"
#include "steprunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <new>
#include <stdexcept>

namespace py = pybind11;

namespace CellforgePython {

using Model::Automaton::CellLock;
using Model::Automaton::Cells;
using Model::Automaton::TotalVolume;

namespace {

// An OSError whose text names the file and the reason, with the file as its `filename`.
[[noreturn]] void raiseOsError(const QString &message, const QString &fileName, const char *type = "OSError",
                               int number = 0)
{
    py::object error = py::module_::import("builtins").attr(type)(message.toStdString());
    error.attr("filename") = fileName.toStdString();
    if (number != 0)
        error.attr("errno") = number;
    PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

// A PNG's text is laid out with the fonts of a GUI application; without one Qt ends the process.
// The module makes one on the off-screen platform (no display needed), as cellforge-batch runs.
void needGuiApplication()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (QCoreApplication::instance())
        throw py::value_error("A PNG needs a GUI application, and this process has another Qt application; "
                              "write an SVG.");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "cellforge";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *application = new QGuiApplication(argc, argv);
    Q_UNUSED(application);
}

} // namespace

PythonVolume::PythonVolume()
    : m_workspace(std::make_unique<Core::Workspace>(Core::UndoFiles::Storage::None))
{
}

PythonVolume::PythonVolume(uint32_t nx, uint32_t ny, uint32_t nz, double cellSize)
    : PythonVolume()
{
    if (!(cellSize > 0.0) || cellSize > 3.0e38)
        throw py::value_error("cell_size_um must be above 0");
    try {
        m_target = std::make_shared<TotalVolume>(nx, ny, nz, float(cellSize), float(cellSize), float(cellSize),
                                                 Util::Vector3D(0.0, 0.0, 0.0), 0u);
    } catch (const Model::Automaton::VolumeAllocationError &e) {
        if (e.doesNotFit())
            throw std::bad_alloc();
        throw py::value_error(e.what());
    }
    m_workspace->document().addObject(m_target);
}

PythonVolume::~PythonVolume() = default;

std::unique_ptr<PythonVolume> PythonVolume::open(const QString &fileName)
{
    auto made = std::make_unique<PythonVolume>();
    if (!QFileInfo(fileName).isFile())
        raiseOsError(QStringLiteral("The document \"%1\" does not exist.").arg(fileName), fileName, "FileNotFoundError",
                     ENOENT);
    QString error;
    QStringList notes;
    if (!Core::BatchRun::DocumentIo::read(fileName, *made->m_workspace, &error, &notes)) {
        if (error.contains(QLatin1String("is not a readable Cellforge document")))
            throw py::value_error(error.toStdString());
        raiseOsError(error, fileName);
    }
    for (const auto &object : made->m_workspace->document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<TotalVolume>(object)) {
            made->m_target = volume;
            break;
        }
    }
    if (!made->m_target)
        throw py::value_error(QStringLiteral("\"%1\" holds no cell volume.").arg(fileName).toStdString());
    if (!notes.isEmpty())
        PyErr_WarnEx(PyExc_UserWarning, notes.join(QLatin1Char('\n')).toUtf8().constData(), 1);
    return made;
}

std::unique_lock<std::mutex> PythonVolume::busy() const
{
    std::unique_lock<std::mutex> lock(m_busy, std::try_to_lock);
    if (!lock.owns_lock())
        throw std::runtime_error("The volume is busy with a step, a save or an export in another thread.");
    return lock;
}

void PythonVolume::save(const QString &fileName)
{
    const auto lock = busy();
    if (m_target)
        checkStates();
    QString error;
    if (!Core::BatchRun::DocumentIo::canWrite(fileName, &error))
        raiseOsError(error, fileName);
    bool written = false;
    {
        py::gil_scoped_release released;
        written = Core::BatchRun::DocumentIo::write(fileName, *m_workspace, &error);
    }
    if (!written)
        raiseOsError(error, fileName);
}

void PythonVolume::exportVti(const QString &fileName)
{
    const auto lock = busy();
    const auto &volume = target();
    QString error;
    bool written = false;
    {
        py::gil_scoped_release released;
        written = Core::Operations::CellVolumeVtiWriter(*volume).write(fileName, &error);
    }
    if (!written)
        raiseOsError(error, fileName);
}

size_t PythonVolume::exportSurface(const QString &fileName, const QString &algorithmName)
{
    const auto lock = busy();
    const auto &volume = target();
    const auto algorithm = Core::SurfaceExport::algorithmNamed(algorithmName);
    if (!algorithm)
        throw py::value_error(QStringLiteral("algorithm takes %1, not \"%2\".")
                                  .arg(Core::SurfaceExport::algorithmNames().join(QStringLiteral(", ")), algorithmName)
                                  .toStdString());
    QString error;
    size_t triangles = 0;
    bool written = false;
    {
        py::gil_scoped_release released;
        written = Core::SurfaceExport::writeVolume(*volume, *algorithm, fileName, &error, &triangles);
    }
    if (!written)
        raiseOsError(error, fileName);
    return triangles;
}

const Model::Automaton::TotalVolumePtr &PythonVolume::target() const
{
    if (!m_target)
        throw py::value_error("The document holds no cell volume yet.");
    return m_target;
}

double PythonVolume::measure(const QString &kind, const QString &material, const QString &axis,
                             Core::Operations::MeasurementRequest request, double cellSizeUm) const
{
    using Core::Processes::MeasureProcess;
    MeasureProcess::Params params;
    params.name = kind;
    params.kind = kind;
    params.material = material;
    params.axis = axis;
    const QString problem = MeasureProcess().validate(params);
    if (!problem.isEmpty())
        throw py::value_error((problem + QLatin1Char('.')).toStdString());
    const Core::Operations::MeasurementRequest named = MeasureProcess::request(params);
    request.kind = named.kind;
    request.material = named.material;
    request.axis = named.axis;
    const auto lock = busy();
    const auto &volume = target();
    Core::Operations::Measurement measurement;
    measurement.name = kind;
    measurement.kind = request.kind;
    try {
        py::gil_scoped_release released;
        measurement.value = Core::Operations::VolumeMeasurement(*volume).measure(request);
    } catch (const std::invalid_argument &e) {
        throw py::value_error(e.what());
    }
    return Core::BatchRun::ResultsFile::rows({measurement}, cellSizeUm).first().value;
}

py::list PythonVolume::results(double cellSizeUm) const
{
    py::list rows;
    for (const auto &row : Core::BatchRun::ResultsFile::rows(m_measurements, cellSizeUm)) {
        py::dict made;
        made["name"] = row.name.toStdString();
        made["kind"] = row.kind.toStdString();
        made["value"] = row.value;
        made["unit"] = row.unit.toStdString();
        made["step"] = row.step;
        rows.append(made);
    }
    return rows;
}

void PythonVolume::crossSection(const QString &axis, long long index, const QString &fileName, double cellSizeUm) const
{
    using Core::Operations::CrossSection;
    if (axis != QLatin1String("x") && axis != QLatin1String("y"))
        throw py::value_error(QStringLiteral("axis takes \"x\" or \"y\", not \"%1\".").arg(axis).toStdString());
    if (!CrossSection::isWritable(fileName))
        throw py::value_error(QStringLiteral("A cross-section is written to a file ending in .svg or .png, not \"%1\".")
                                  .arg(fileName)
                                  .toStdString());
    const QString refusal = Util::SafeFile::unwritable(fileName);
    if (!refusal.isEmpty())
        raiseOsError(QStringLiteral("The cross-section could not be saved to \"%1\": %2").arg(fileName, refusal),
                     fileName);
    if (fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        needGuiApplication();
    const auto lock = busy();
    const auto &volume = target();
    const CrossSection::Axis across = axis == QLatin1String("x") ? CrossSection::Axis::X : CrossSection::Axis::Y;
    QString error;
    bool written = false;
    const auto notDrawn = [&](const QString &why) {
        return py::value_error(
            QStringLiteral("The cross-section %1 = %2 was not drawn: %3.").arg(axis).arg(index).arg(why).toStdString());
    };
    // An index the drawing cannot even take (below 0, above 32 bits) is refused in its words.
    if (index < 0 || index > UINT32_MAX)
        throw notDrawn(QStringLiteral("%1 = %2 lies outside the cell volume of %3 x %4 x %5 cells")
                           .arg(axis)
                           .arg(index)
                           .arg(volume->sizeX())
                           .arg(volume->sizeY())
                           .arg(volume->sizeZ()));
    try {
        const uint32_t plane = uint32_t(index);
        py::gil_scoped_release released;
        const CrossSection drawing(*volume, across, plane, cellSizeUm);
        written = drawing.write(fileName, &error);
    } catch (const std::invalid_argument &e) {
        throw notDrawn(QString::fromStdString(e.what()));
    }
    if (!written)
        raiseOsError(QStringLiteral("The cross-section could not be saved to \"%1\": %2").arg(fileName, error),
                     fileName);
}

py::list PythonVolume::fieldNames() const
{
    py::list names;
    for (const QString &name : target()->fieldNames())
        names.append(name.toStdString());
    return names;
}

py::array PythonVolume::field(const QString &name) const
{
    const auto lock = busy();
    const auto &volume = target();
    const QVariant data = volume->field(name);
    if (!data.isValid()) {
        const QStringList names = volume->fieldNames();
        const QString text =
            QStringLiteral("the cell volume has no field \"%1\" (%2)")
                .arg(name, names.isEmpty() ? QStringLiteral("it has no data fields")
                                           : QStringLiteral("its fields: \"") + names.join(QStringLiteral("\", \"")) +
                                                 QLatin1Char('"'));
        PyErr_SetString(PyExc_KeyError, text.toUtf8().constData());
        throw py::error_already_set();
    }
    const size_t cells = volume->cellCount();
    const std::vector<py::ssize_t> shape{py::ssize_t(volume->sizeX()), py::ssize_t(volume->sizeY()),
                                         py::ssize_t(volume->sizeZ())};
    py::array made;
    // The random walk's counters: a cell's count is the sum of its seven (as the field view and
    // --export-csv show it).
    if (const auto counts = Model::Automaton::ParticleCounts::of(*volume, name)) {
        py::array_t<uint64_t> totals(shape);
        uint64_t *out = totals.mutable_data();
        for (size_t i = 0; i < cells; ++i)
            out[i] = counts->total(i);
        made = totals;
    } else if (const auto flux = Model::Automaton::SurfaceFlux::of(*volume); flux && name == flux->name()) {
        // The line-of-sight flux is kept for the surface sites only; every other cell reads NaN.
        py::array_t<double> values(shape);
        double *out = values.mutable_data();
        std::fill(out, out + cells, std::numeric_limits<double>::quiet_NaN());
        for (const auto &site : flux->sites())
            if (site.first < cells)
                out[site.first] = site.second;
        made = values;
    } else if (data.userType() == qMetaTypeId<QVector<float>>() &&
               size_t(data.value<QVector<float>>().size()) == cells) {
        const QVector<float> values = data.value<QVector<float>>();
        made = py::array_t<float>(shape, values.constData());
    } else if (data.userType() == qMetaTypeId<QVector<double>>() &&
               size_t(data.value<QVector<double>>().size()) == cells) {
        const QVector<double> values = data.value<QVector<double>>();
        made = py::array_t<double>(shape, values.constData());
    } else {
        throw py::type_error(QStringLiteral("The field \"%1\" holds no value per cell that the module can read.")
                                 .arg(name)
                                 .toStdString());
    }
    made.attr("flags").attr("writeable") = false;
    return made;
}

py::array_t<uint16_t> PythonVolume::states() const
{
    const auto &volume = target();
    Cells::State *states = nullptr;
    {
        CellLock lock(*volume);
        states = lock.cells().states();
    }
    // The array keeps the volume alive, whatever becomes of this object.
    auto *owner = new Model::Automaton::TotalVolumePtr(volume);
    py::capsule base(owner, [](void *p) { delete static_cast<Model::Automaton::TotalVolumePtr *>(p); });
    const py::ssize_t nx = volume->sizeX();
    const py::ssize_t ny = volume->sizeY();
    const py::ssize_t nz = volume->sizeZ();
    const py::ssize_t item = sizeof(Cells::State);
    return py::array_t<uint16_t>({nx, ny, nz}, {ny * nz * item, nz * item, item}, states, base);
}

py::tuple PythonVolume::shape() const
{
    const auto &volume = target();
    return py::make_tuple(volume->sizeX(), volume->sizeY(), volume->sizeZ());
}

double PythonVolume::cellSize() const { return target()->cellSizeX(); }

void PythonVolume::checkStates() const
{
    const auto &volume = target();
    CellLock lock(*volume);
    const Cells::State *states = lock.cells().states();
    for (size_t i = 0; i < volume->cellCount(); ++i) {
        if (states[i] > Cells::maximumState) {
            uint32_t x = 0;
            uint32_t y = 0;
            uint32_t z = 0;
            volume->coordinates(i, x, y, z);
            throw py::value_error(QStringLiteral("Cell (%1, %2, %3) holds state %4; states go up to %5.")
                                      .arg(x)
                                      .arg(y)
                                      .arg(z)
                                      .arg(states[i])
                                      .arg(Cells::maximumState)
                                      .toStdString());
        }
    }
}

void PythonVolume::run(const QList<Core::Processes::ProcessStep> &steps, std::optional<uint64_t> seed,
                       const py::object &progress, const QString &listFolder)
{
    const auto lock = busy();
    if (m_target)
        checkStates();
    m_measurements.clear();
    m_measurements = StepRunner::run(*m_workspace, m_target, steps, seed, progress, listFolder);
}

} // namespace CellforgePython
