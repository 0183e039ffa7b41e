#include "pythonprocesslist.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/processregistry.h"
#include "pythonvolume.h"
#include "stepkeywords.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cerrno>

namespace py = pybind11;

namespace CellforgePython {

std::unique_ptr<PythonProcessList> PythonProcessList::load(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        py::object error =
            py::module_::import("builtins")
                .attr("FileNotFoundError")(
                    QStringLiteral("The process list \"%1\" does not exist.").arg(fileName).toStdString());
        error.attr("filename") = fileName.toStdString();
        error.attr("errno") = ENOENT;
        PyErr_SetObject(PyExc_FileNotFoundError, error.ptr());
        throw py::error_already_set();
    }
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

std::shared_ptr<PythonVolume> PythonProcessList::run(std::shared_ptr<PythonVolume> volume, const py::dict &overrides,
                                                     std::optional<uint64_t> seed, const py::object &progress) const
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
    if (!volume)
        volume = std::make_shared<PythonVolume>();
    volume->run(steps, seed, progress, m_folder);
    return volume;
}

} // namespace CellforgePython
