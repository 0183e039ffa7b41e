// The Python module `cellforge`: cell volumes as numpy arrays, the material catalogue and every
// process step by the names and parameters of process lists.

// pybind11 before Qt: Python's headers use the word `slots`, which Qt defines as a macro.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Util/debugoutput.h"
#include "materiallookup.h"
#include "pythonprocesslist.h"
#include "pythonvolume.h"
#include "stepkeywords.h"

#include <QString>
#include <QThreadPool>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace py = pybind11;
using CellforgePython::MaterialLookup;
using CellforgePython::PythonProcessList;
using CellforgePython::PythonVolume;
using CellforgePython::StepKeywords;
using Model::Materials::Material;

namespace {

// A script's output is its own: the engines' debug lines stay out of it; warnings go to stderr.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "cellforge: %s\n", qPrintable(message));
}

std::optional<uint64_t> seedOf(const py::object &seed)
{
    if (seed.is_none())
        return std::nullopt;
    if (!py::isinstance<py::int_>(seed) || py::isinstance<py::bool_>(seed) || seed < py::int_(0) ||
        seed > py::int_(UINT64_MAX))
        throw py::value_error("seed must be a whole number from 0 to 18446744073709551615");
    return seed.cast<uint64_t>();
}

// The edge of a cell of size 1 in micrometres, as --cell-size-um gives it; 0 (None): values in cells.
double cellSizeOf(const py::object &cellSize)
{
    if (cellSize.is_none())
        return 0.0;
    const double size = cellSize.cast<double>();
    if (!(size > 0.0) || !std::isfinite(size))
        throw py::value_error("cell_size_um must be above 0");
    return size;
}

QString colorText(const Material &material) { return Model::Materials::colorToText(material.color()); }

} // namespace

PYBIND11_MODULE(cellforge, m)
{
    qInstallMessageHandler(messageHandler);
    Util::DebugOutput::setEnabled(false);
    m.doc() = "Cellforge's cell volumes, materials and process steps.\n\n"
              "A volume is nx x ny x nz cubic cells, each holding the identifier of its material (0: empty).\n"
              "Process steps run by the names and parameters of process lists, through the same checks and\n"
              "engines as cellforge-batch: volume.run(\"Isotropic Deposition\", film_thickness=8,\n"
              "material=\"Poly-Si\"). Measurements (volume.measure), cross-sections, exports and sweeps of a\n"
              "list over a table (ProcessList.sweep) give what cellforge-batch gives, as Python values and\n"
              "the same files. The material catalogue is ~/Cellforge/materials.xml, as the program's.";
    m.attr("__version__") = CELLFORGE_VERSION;

    // The catalogues are read (or written, from the built-in tables) once, as the program starts.
    for (const QString &report : {Model::Materials::MaterialFactory::instance()->startUpReport(),
                                  Model::Process::ProcessFactory::instance()->startUpReport()}) {
        if (!report.isEmpty())
            PyErr_WarnEx(PyExc_UserWarning, report.toUtf8().constData(), 1);
    }

    m.def(
        "set_threads",
        [](int count) {
            if (count < 1)
                throw py::value_error("the engines need at least 1 thread");
            QThreadPool::globalInstance()->setMaxThreadCount(count);
        },
        py::arg("count"),
        "How many threads the engines of a step use at most (as cellforge-batch --threads; by default\n"
        "one per core). Results do not depend on it.");
    m.def(
        "threads", [] { return QThreadPool::globalInstance()->maxThreadCount(); },
        "How many threads the engines of a step use at most.");

    py::class_<Material>(m, "Material", "A material of the catalogue (read only).")
        .def_property_readonly("id", &Material::id, "The identifier that cells of this material hold (1 to 32766).")
        .def_property_readonly(
            "name", [](const Material &material) { return material.name().toStdString(); }, "Its name (\"Poly-Si\").")
        .def_property_readonly("density", &Material::density, "Density in kg/m^3.")
        .def_property_readonly("young_modulus", &Material::youngModulus, "Young's modulus in Pa.")
        .def_property_readonly("poisson_ratio", &Material::poissonRatio, "Poisson's ratio.")
        .def_property_readonly(
            "color", [](const Material &material) { return colorText(material).toStdString(); },
            "Display colour as \"#AARRGGBB\".")
        .def("__eq__", [](const Material &a, const Material &b) { return a == b; })
        .def("__repr__", [](const Material &material) {
            return QStringLiteral("cellforge.Material(id=%1, name='%2')")
                .arg(material.id())
                .arg(material.name())
                .toStdString();
        });

    m.def(
        "materials",
        [] {
            const QList<Material> all = Model::Materials::MaterialFactory::instance()->getMaterials();
            return std::vector<Material>(all.begin(), all.end());
        },
        "Every material of the catalogue (~/Cellforge/materials.xml, as the program uses), by identifier.");
    m.def(
        "material", [](const py::object &nameOrId) { return MaterialLookup::find(nameOrId); }, py::arg("name_or_id"),
        "The material of that name (\"Poly-Si\") or identifier (16); KeyError when the catalogue has none.");
    m.def(
        "keywords",
        [](const std::string &process) {
            QStringList words = StepKeywords::keywords(StepKeywords::descriptor(QString::fromStdString(process)));
            std::vector<std::string> list;
            for (const QString &word : words)
                list.push_back(word.toStdString());
            return list;
        },
        py::arg("process"),
        "The keywords of a process's step, e.g. keywords(\"Isotropic Deposition\"). Each is the parameter's name\n"
        "in a process list, in lower case with spaces (and other characters) turned into '_': \"Film Thickness\"\n"
        "is film_thickness. A material parameter (\"Material\", \"Deposited Material\", ...) is one keyword\n"
        "(material, deposited_material) taking a name, an identifier or a Material.");

    py::class_<PythonVolume, std::shared_ptr<PythonVolume>>(m, "Volume",
                                                            "A cell volume and the document it belongs to.\n\n"
                                                            "Volume(nx, ny, nz, cell_size_um=None) makes nx x ny x "
                                                            "nz empty cells (state 0) of cell_size_um\n"
                                                            "each (1 when None, as \"Create Substrate\" makes them).")
        .def(py::init([](uint32_t nx, uint32_t ny, uint32_t nz, const py::object &cellSize) {
                 return std::make_shared<PythonVolume>(nx, ny, nz, cellSize.is_none() ? 1.0 : cellSize.cast<double>());
             }),
             py::arg("nx"), py::arg("ny"), py::arg("nz"), py::arg("cell_size_um") = py::none())
        .def_static(
            "open",
            [](const std::string &path) {
                return std::shared_ptr<PythonVolume>(PythonVolume::open(QString::fromStdString(path)));
            },
            py::arg("path"),
            "The first cell volume of a Cellforge document (.cfw), with the rest of the document.\n"
            "OSError (FileNotFoundError) with the file and the reason when it cannot be read; ValueError\n"
            "when it is not a Cellforge document.")
        .def_static(
            "create_substrate",
            [](const py::object &seed, const py::object &progress, const py::kwargs &keywords) {
                auto volume = std::make_shared<PythonVolume>();
                const auto &descriptor = StepKeywords::descriptor(QStringLiteral("Create Substrate"));
                volume->run({StepKeywords::step(descriptor, keywords)}, seedOf(seed), progress);
                return volume;
            },
            py::kw_only(), py::arg("seed") = py::none(), py::arg("progress") = py::none(),
            "A new document with the volume of a \"Create Substrate\" step, e.g.\n"
            "create_substrate(material=\"Si\", volume_size_x=40, volume_size_y=40, volume_size_z=30,\n"
            "lower_left_front_corner=(0, 0, 0), sphericalsubstrate=False, substrate_size_x=40, ...);\n"
            "keywords(\"Create Substrate\") lists them. The same volume as a list that begins with the step.")
        .def(
            "save", [](PythonVolume &volume, const std::string &path) { volume.save(QString::fromStdString(path)); },
            py::arg("path"),
            "Writes the document (.cfw) as the program and cellforge-batch --output write it; the file is\n"
            "replaced only when all of it was written. OSError with the file and the reason otherwise.")
        .def(
            "export_vti",
            [](PythonVolume &volume, const std::string &path) { volume.exportVti(QString::fromStdString(path)); },
            py::arg("path"),
            "Writes the volume as VTK image data (.vti, for ParaView), as cellforge-batch --export-vti does.\n"
            "OSError with the file and the reason when it cannot be written.")
        .def(
            "export_surface",
            [](PythonVolume &volume, const std::string &path, const std::string &algorithm) {
                return volume.exportSurface(QString::fromStdString(path), QString::fromStdString(algorithm));
            },
            py::arg("path"), py::arg("algorithm") = "cubic",
            "Writes the volume's surface as a mesh, binary STL or PLY by the file's extension, built by\n"
            "algorithm \"cubic\", \"marching-cubes\" or \"octree\", as cellforge-batch --export-surface\n"
            "[--surface ALGORITHM] does; returns the number of triangles. ValueError for another algorithm,\n"
            "OSError with the file and the reason when it cannot be written.")
        .def_property_readonly("states", &PythonVolume::states,
                               "The cells' states as a numpy uint16 array of shape (nx, ny, nz) over the cells\n"
                               "themselves (no copy): z = 0 is the bottom layer; a write changes the volume.\n"
                               "A state is the identifier of the cell's material (0: empty). What you write must\n"
                               "be 0 or a material of the catalogue (cellforge.materials()), never above 32766\n"
                               "(run and save refuse such a cell with ValueError). Do not write while a step\n"
                               "runs on this volume in another thread. The array stays valid as long as it\n"
                               "lives, but after a \"Create Substrate\" step the volume is a new one: read\n"
                               "states again.")
        .def(
            "measure",
            [](const PythonVolume &volume, const std::string &kind, const py::object &material, long long x,
               long long y, long long z, const std::string &axis, long long z1, long long z2,
               const py::object &cellSize) {
                Core::Operations::MeasurementRequest request;
                request.x = x;
                request.y = y;
                request.z = z;
                request.z1 = z1;
                request.z2 = z2;
                const QString name = material.is_none() ? QString() : MaterialLookup::find(material).name();
                return volume.measure(QString::fromStdString(kind), name, QString::fromStdString(axis), request,
                                      cellSizeOf(cellSize));
            },
            py::arg("kind"), py::kw_only(), py::arg("material") = py::none(), py::arg("x") = 0, py::arg("y") = 0,
            py::arg("z") = 0, py::arg("axis") = "x", py::arg("z1") = 0, py::arg("z2") = 0,
            py::arg("cell_size_um") = py::none(),
            "Measures the volume as a \"Measure\" step of a list does and returns the value (a float):\n"
            "  volume.measure(\"depth\", x=15, y=50)\n"
            "  volume.measure(\"sidewall-angle\", material=\"Si\", x=12, y=20, axis=\"x\", z1=2, z2=9)\n"
            "kind: \"thickness\" (cells of the material in the column x, y), \"height\" (one above the\n"
            "highest occupied cell of the column), \"depth\" (the highest column's height minus this\n"
            "one's), \"width\" (the run of the material along axis through x, y, z), \"sidewall-angle\"\n"
            "(of the run's wall between heights z1 and z2, in degrees, 90 for a vertical wall) or\n"
            "\"volume\" (the material's cells in the whole volume). material: a name, an identifier or\n"
            "a Material (None: the empty cells). Coordinates are cells, z = 0 the bottom layer.\n"
            "cell_size_um: how many µm a cell of size 1 is (the volume's unit), to have µm (µm³ for a\n"
            "volume) instead of cells, as cellforge-batch --results --cell-size-um gives them (a\n"
            "Volume(..., cell_size_um=2) has cells of 2 units). ValueError with the list runner's\n"
            "words for an unknown kind, axis or material and for a place outside the volume.")
        .def(
            "results",
            [](const PythonVolume &volume, const py::object &cellSize) { return volume.results(cellSizeOf(cellSize)); },
            py::arg("cell_size_um") = py::none(),
            "What the \"Measure\" steps of the last run (run or ProcessList.run) measured, one dict per\n"
            "measurement with the keys of cellforge-batch --results: name, kind, value (a float), unit\n"
            "(\"cells\", \"deg\", or \"µm\" and \"µm³\" with cell_size_um) and step (from 1).")
        .def(
            "cross_section",
            [](const PythonVolume &volume, const std::string &axis, long long index, const std::string &path,
               const py::object &cellSize) {
                volume.crossSection(QString::fromStdString(axis), index, QString::fromStdString(path),
                                    cellSizeOf(cellSize));
            },
            py::arg("axis"), py::arg("index"), py::arg("path"), py::kw_only(), py::arg("cell_size_um") = py::none(),
            "Draws the plane x = index or y = index (axis \"x\" or \"y\") into an SVG or PNG file (by its\n"
            "ending), as cellforge-batch --cross-section AXIS=INDEX FILE draws it: a rectangle per run of\n"
            "a material, a legend and a scale bar, in cells or, with cell_size_um, in µm. The file is\n"
            "replaced only when all of it was written. ValueError for another axis or ending or an index\n"
            "outside the volume; OSError with the file and the reason when it cannot be written. A PNG\n"
            "starts Qt's GUI application on the off-screen platform (no display needed).")
        .def(
            "field",
            [](const PythonVolume &volume, const std::string &name) {
                return volume.field(QString::fromStdString(name));
            },
            py::arg("name"),
            "A data field of the volume as a numpy array of shape (nx, ny, nz), indexed as states: a\n"
            "read-only copy taken now (a later step does not change it; copy it again to write).\n"
            "Random-walk doping keeps its particle counts as \"Random Walk Particle Count Type P\" (or\n"
            "N): a cell's count (uint64) is the sum of its counters, as cellforge-batch --export-csv\n"
            "writes it. KeyError naming the fields the volume has; volume.fields lists them.")
        .def_property_readonly("fields", &PythonVolume::fieldNames, "The names of the volume's data fields.")
        .def_property_readonly("shape", &PythonVolume::shape, "(nx, ny, nz).")
        .def_property_readonly("cell_size_um", &PythonVolume::cellSize, "The edge of a cell.")
        .def(
            "run",
            [](PythonVolume &volume, const std::string &process, const py::object &seed, const py::object &progress,
               const py::kwargs &keywords) {
                const auto &descriptor = StepKeywords::descriptor(QString::fromStdString(process));
                volume.run({StepKeywords::step(descriptor, keywords)}, seedOf(seed), progress);
            },
            py::arg("process"), py::kw_only(), py::arg("seed") = py::none(), py::arg("progress") = py::none(),
            "Runs one process step on the volume, as a process list's step runs:\n"
            "  volume.run(\"Isotropic Deposition\", film_thickness=8, material=\"Poly-Si\")\n"
            "The process is named as in lists; its keywords are its parameters' names in lower case with\n"
            "'_' for spaces (cellforge.keywords(process) lists them). A missing or invalid value raises\n"
            "ValueError with the list runner's message (\"Step 1 (Isotropic Deposition) failed: ...\");\n"
            "a keyword the process does not take, or a value of the wrong kind, TypeError; a step that\n"
            "runs out of memory MemoryError.\n"
            "seed: fixes the draws of a random step (as cellforge-batch --seed for a list's first step).\n"
            "progress: called as progress(done, total) while the step runs (total 0 when unknown).\n"
            "The engine runs without the GIL. Ctrl+C (KeyboardInterrupt), or an exception of progress,\n"
            "stops the step and puts the cells back as they were before it.");

    py::class_<PythonProcessList>(m, "ProcessList", "A process list file (.plst), as cellforge-batch runs it.")
        .def_static(
            "load", [](const std::string &path) { return PythonProcessList::load(QString::fromStdString(path)); },
            py::arg("path"),
            "Reads a process list. FileNotFoundError when it does not exist, ValueError when it is no\n"
            "process list; notes of the reading (materials matched by name, an older format) are warnings.")
        .def_property_readonly("names", &PythonProcessList::names, "The steps' process names, in order.")
        .def("__len__", &PythonProcessList::size)
        .def(
            "run",
            [](const PythonProcessList &list, const std::shared_ptr<PythonVolume> &volume, const py::object &overrides,
               const py::object &seed, const py::object &progress) {
                const py::dict values = overrides.is_none() ? py::dict() : py::dict(overrides);
                return list.run(volume, values, seedOf(seed), progress);
            },
            py::arg("volume") = py::none(), py::kw_only(), py::arg("overrides") = py::none(),
            py::arg("seed") = py::none(), py::arg("progress") = py::none(),
            "Runs the steps on `volume` (None: from nothing, for a list that begins with \"Create\n"
            "Substrate\") and returns the volume, as cellforge-batch LIST [--input DOC] [--seed N] does.\n"
            "overrides: {keyword: value} for every step whose process takes the keyword, or\n"
            "{(step_number, keyword): value} for one step (numbered from 1), e.g.\n"
            "  {\"etch_time\": 30, (2, \"film_thickness\"): 4}.\n"
            "Numbers out of range raise ValueError with the runner's lines before any step runs; a failing\n"
            "step raises ValueError (the steps before it stay done). seed, progress and Ctrl+C as in\n"
            "Volume.run. What the list's \"Measure\" steps measured: volume.results().")
        .def(
            "sweep",
            [](const PythonProcessList &list, const py::object &table, const py::object &input,
               const py::object &overrides, const py::object &seed, const py::object &cellSize,
               const py::object &progress, const py::object &measure) {
                const py::dict values = overrides.is_none() ? py::dict() : py::dict(overrides);
                const QString document =
                    input.is_none()
                        ? QString()
                        : QString::fromStdString(py::module_::import("os").attr("fspath")(input).cast<std::string>());
                return list.sweep(table, document, values, seedOf(seed), cellSizeOf(cellSize), progress, measure);
            },
            py::arg("table"), py::kw_only(), py::arg("input") = py::none(), py::arg("overrides") = py::none(),
            py::arg("seed") = py::none(), py::arg("cell_size_um") = py::none(), py::arg("progress") = py::none(),
            py::arg("measure") = py::none(),
            "Runs the list once per row of a table and returns one dict per row, as cellforge-batch\n"
            "LIST --sweep TABLE --results ... followed by --collect gives them:\n"
            "  rows = steps.sweep([{\"7.Etch Time\": t} for t in (5, 10, 15)], cell_size_um=1)\n"
            "  pandas.DataFrame(rows)     # if pandas is installed\n"
            "table: a CSV file whose header names STEP.PARAMETER columns (\"4.Etch Depth\", steps from\n"
            "1, parameters by their names in the list), or a list of dicts with such keys.\n"
            "Each row: \"index\" (from 0), the row's values (numbers where they are numbers) and\n"
            "\"NAME (UNIT)\": the value of each \"Measure\" step of the list (unit and cell_size_um as in\n"
            "Volume.results), then the items of the dict that measure(volume) returns, when given:\n"
            "  measure=lambda v: {\"depth (µm)\": v.measure(\"depth\", x=5, y=5, cell_size_um=1)}\n"
            "Each row runs from nothing (input=None, the list begins with \"Create\n"
            "Substrate\") or from the document `input`, with `overrides` (as run takes them) and then\n"
            "the row's values, one row after the other; the same seed for every row. The values do not\n"
            "depend on cellforge.threads(). Every row is checked before the first runs (ValueError\n"
            "\"Row 3 of the sweep: ...\"); a failing row raises ValueError naming it.");
}
