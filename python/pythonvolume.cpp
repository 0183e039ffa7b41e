#include "pythonvolume.h"

#include "Core/BatchRun/documentio.h"
#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/surfaceexport.h"
#include "Core/workspace.h"
#include "Util/vector3d.h"
#include "steprunner.h"

#include <QFileInfo>
#include <QStringList>

#include <cerrno>
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
    StepRunner::run(*m_workspace, m_target, steps, seed, progress, listFolder);
}

} // namespace CellforgePython
