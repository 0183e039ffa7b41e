#include "pythonprocesslist.h"

#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/BatchRun/resultsfile.h"
#include "Core/BatchRun/sweeptable.h"
#include "Core/Processes/processregistry.h"
#include "pythonvolume.h"
#include "stepkeywords.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cerrno>

namespace py = pybind11;

namespace CellforgePython {

namespace {

[[noreturn]] void fileNotFound(const QString &message, const QString &fileName)
{
    py::object error = py::module_::import("builtins").attr("FileNotFoundError")(message.toStdString());
    error.attr("filename") = fileName.toStdString();
    error.attr("errno") = ENOENT;
    PyErr_SetObject(PyExc_FileNotFoundError, error.ptr());
    throw py::error_already_set();
}

// A table's text of a Python value: numbers (numpy's too) as Python writes its int and float (they
// read back the same), True and False as lists write them.
QString cellText(const py::handle &value)
{
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    if (py::isinstance<py::str>(value))
        return QString::fromStdString(value.cast<std::string>());
    const py::module_ numbers = py::module_::import("numbers");
    if (py::isinstance(value, numbers.attr("Integral")))
        return QString::fromStdString(
            py::repr(py::int_(py::reinterpret_borrow<py::object>(value))).cast<std::string>());
    if (py::isinstance(value, numbers.attr("Real")))
        return QString::fromStdString(
            py::repr(py::float_(py::reinterpret_borrow<py::object>(value))).cast<std::string>());
    throw py::type_error(QStringLiteral("a sweep's value is a number or a text, not %1")
                             .arg(QString::fromStdString(py::str(py::type::of(value).attr("__name__"))))
                             .toStdString());
}

// A swept value as pandas would want it: a whole number, another number or the text.
py::object valueOf(const QString &text)
{
    bool ok = false;
    const qlonglong whole = text.trimmed().toLongLong(&ok);
    if (ok)
        return py::int_(whole);
    const double number = text.trimmed().toDouble(&ok);
    if (ok)
        return py::float_(number);
    return py::str(text.toStdString());
}

// The table of a CSV file (as --sweep reads it) or of a sequence of mappings {"STEP.PARAMETER": value}.
Core::BatchRun::SweepTable tableOf(const py::object &table)
{
    Core::BatchRun::SweepTable made;
    QString error;
    const py::object os = py::module_::import("os");
    if (py::isinstance<py::str>(table) || py::isinstance(table, os.attr("PathLike"))) {
        const QString fileName = QString::fromStdString(os.attr("fspath")(table).cast<std::string>());
        if (!QFileInfo(fileName).isFile())
            fileNotFound(QStringLiteral("The sweep table \"%1\" does not exist.").arg(fileName), fileName);
        if (!made.load(fileName, &error))
            throw py::value_error(error.toStdString());
        return made;
    }
    if (!py::isinstance<py::sequence>(table))
        throw py::type_error("a sweep's table is a CSV file or a list of dicts {\"STEP.PARAMETER\": value}");
    QList<QStringList> rows;
    for (const py::handle row : table) {
        if (!py::isinstance<py::dict>(row))
            throw py::type_error("a sweep's table is a CSV file or a list of dicts {\"STEP.PARAMETER\": value}");
        const py::dict values = py::reinterpret_borrow<py::dict>(row);
        if (rows.isEmpty()) {
            QStringList header;
            for (const auto &item : values)
                header << QString::fromStdString(py::str(item.first).cast<std::string>());
            rows << header;
        }
        QStringList line;
        for (const QString &column : rows.first()) {
            const py::str key(column.toStdString());
            if (!values.contains(key))
                throw py::value_error(QStringLiteral("Row %1 of the sweep has no value of \"%2\"; every row gives "
                                                     "every column.")
                                          .arg(rows.size() - 1)
                                          .arg(column)
                                          .toStdString());
            line << cellText(values[key]);
        }
        if (py::len(values) != size_t(line.size()))
            throw py::value_error(QStringLiteral("Row %1 of the sweep gives columns that row 0 does not.")
                                      .arg(rows.size() - 1)
                                      .toStdString());
        rows << line;
    }
    if (!made.setRows(rows, QStringLiteral("The sweep table"), &error))
        throw py::value_error(error.toStdString());
    return made;
}

} // namespace

std::unique_ptr<PythonProcessList> PythonProcessList::load(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        fileNotFound(QStringLiteral("The process list \"%1\" does not exist.").arg(fileName), fileName);
    Core::BatchRun::ProcessListFile file;
    if (!file.load(fileName))
        throw py::value_error(file.errorString().toStdString());
    QStringList notes = file.materialReport();
    if (file.wasUpgraded())
        notes << Core::BatchRun::ProcessListFile::upgradeText();
    if (!notes.isEmpty())
        PyErr_WarnEx(PyExc_UserWarning, notes.join(QLatin1Char('\n')).toUtf8().constData(), 1);
    auto made = std::make_unique<PythonProcessList>();
    made->m_steps = file.steps();
    made->m_folder = info.absolutePath();
    return made;
}

py::list PythonProcessList::names() const
{
    py::list names;
    for (const Core::Processes::ProcessStep &step : m_steps)
        names.append(Core::BatchRun::displayName(step.getProcessType()).toStdString());
    return names;
}

QList<Core::Processes::ProcessStep> PythonProcessList::overridden(const py::dict &overrides) const
{
    QList<Core::Processes::ProcessStep> steps = m_steps;
    QSet<int> changed;
    for (const auto &item : overrides) {
        int only = 0;
        py::handle word = item.first;
        if (py::isinstance<py::tuple>(item.first)) {
            const py::tuple key = py::reinterpret_borrow<py::tuple>(item.first);
            if (key.size() != 2 || !py::isinstance<py::int_>(key[0]) || !py::isinstance<py::str>(key[1]))
                throw py::type_error("an override's key is a keyword or (step number, keyword)");
            only = key[0].cast<int>();
            if (only < 1 || only > steps.size())
                throw py::value_error(QStringLiteral("The list has no step %1; its steps are 1 to %2.")
                                          .arg(only)
                                          .arg(steps.size())
                                          .toStdString());
            word = key[1];
        } else if (!py::isinstance<py::str>(item.first)) {
            throw py::type_error("an override's key is a keyword or (step number, keyword)");
        }
        const QString keyword = QString::fromStdString(word.cast<std::string>());
        bool taken = false;
        for (int i = 0; i < steps.size(); ++i) {
            if ((only == 0 || i == only - 1) && StepKeywords::set(steps[i], keyword, item.second)) {
                changed.insert(i);
                taken = true;
            }
        }
        if (!taken)
            throw py::type_error(
                (only == 0 ? QStringLiteral("No step of the list takes the keyword %1.").arg(keyword)
                           : QStringLiteral("Step %1 (%2) takes no keyword %3.")
                                 .arg(only)
                                 .arg(Core::BatchRun::displayName(steps.at(only - 1).getProcessType()), keyword))
                    .toStdString());
    }
    // The names and colours of materials given anew, as a list editor fills them.
    for (const int i : changed) {
        if (const auto *descriptor = Core::Processes::ProcessRegistry::descriptor(steps.at(i).getProcessType()))
            descriptor->completeDerivedParameters(steps[i]);
    }
    return steps;
}

std::shared_ptr<PythonVolume> PythonProcessList::run(std::shared_ptr<PythonVolume> volume, const py::dict &overrides,
                                                     std::optional<uint64_t> seed, const py::object &progress) const
{
    const QList<Core::Processes::ProcessStep> steps = overridden(overrides);
    if (!volume)
        volume = std::make_shared<PythonVolume>();
    volume->run(steps, seed, progress, m_folder);
    return volume;
}

} // namespace CellforgePython

namespace CellforgePython {

py::list PythonProcessList::sweep(const py::object &table, const QString &input, const py::dict &overrides,
                                  std::optional<uint64_t> seed, double cellSizeUm, const py::object &progress,
                                  const py::object &measure) const
{
    using namespace Core::BatchRun;
    const SweepTable rows = tableOf(table);
    if (!input.isEmpty() && !QFileInfo(input).isFile())
        fileNotFound(QStringLiteral("The document \"%1\" does not exist.").arg(input), input);
    // Every row's values are read and checked before the first row runs, as a bad argument is.
    const QList<Core::Processes::ProcessStep> base = overridden(overrides);
    QList<QList<Core::Processes::ProcessStep>> lists;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QList<Core::Processes::ProcessStep> steps = base;
        const QString problem = ParameterOverride::apply(rows.row(r), steps);
        const QStringList refusals =
            problem.isEmpty() ? BatchCommand::stepRefusals(steps) : QStringList{problem + QLatin1Char('.')};
        if (!refusals.isEmpty())
            throw py::value_error(
                QStringLiteral("Row %1 of the sweep: %2").arg(r).arg(refusals.join(QLatin1Char('\n'))).toStdString());
        lists << steps;
    }
    py::list results;
    for (int r = 0; r < rows.rowCount(); ++r) {
        std::shared_ptr<PythonVolume> volume = input.isEmpty()
                                                   ? std::make_shared<PythonVolume>()
                                                   : std::shared_ptr<PythonVolume>(PythonVolume::open(input));
        try {
            volume->run(lists.at(r), seed, progress, m_folder);
        } catch (py::error_already_set &e) {
            // A failed step says which row it was in; what the user or the memory stopped is raised as it is.
            if (!e.matches(PyExc_ValueError))
                throw;
            throw py::value_error(QStringLiteral("Row %1 of the sweep: %2")
                                      .arg(r)
                                      .arg(QString::fromStdString(py::str(e.value()).cast<std::string>()))
                                      .toStdString());
        }
        py::dict row;
        row["index"] = r;
        const QList<ParameterOverride> columns = rows.columns();
        const QStringList values = rows.values(r);
        for (int c = 0; c < columns.size(); ++c)
            row[py::str(columns.at(c).column().toStdString())] = valueOf(values.at(c));
        for (const ResultsFile::Row &measured : ResultsFile::rows(volume->measurements(), cellSizeUm))
            row[py::str(QStringLiteral("%1 (%2)").arg(measured.name, measured.unit).toStdString())] = measured.value;
        if (!measure.is_none()) {
            const py::object more = measure(py::cast(volume));
            if (!py::isinstance<py::dict>(more))
                throw py::type_error("measure(volume) returns a dict of the row's further values");
            for (const auto &item : py::reinterpret_borrow<py::dict>(more))
                row[item.first] = item.second;
        }
        results.append(row);
    }
    return results;
}

} // namespace CellforgePython
