#include "stepkeywords.h"

#include <pybind11/numpy.h>

#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"
#include "materiallookup.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cfloat>
#include <climits>
#include <cmath>

namespace py = pybind11;

namespace CellforgePython {

using Core::Processes::ParameterDefinition;
using Core::Processes::ParameterKind;
using Core::Processes::ProcessDescriptor;
using Core::Processes::ProcessStep;

namespace {

bool isDerived(const ProcessDescriptor &descriptor, const QString &name)
{
    for (const QString &base : descriptor.materialBases()) {
        if (name == Core::Processes::Parameter::materialId(base) ||
            name == Core::Processes::Parameter::materialColor(base))
            return true;
    }
    return false;
}

[[noreturn]] void wrongKind(const QString &keyword, const char *wanted, const py::handle &value)
{
    throw py::type_error(
        QStringLiteral("%1 takes %2, not %3")
            .arg(keyword, QLatin1String(wanted), QString::fromStdString(py::str(py::type::of(value).attr("__name__"))))
            .toStdString());
}

bool isWhole(const py::handle &value) { return py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value); }

// Numbers outside what their kind holds are kept wide, so that the list runner's range check refuses
// them with its own message instead of their being cut here.
QVariant wholeNumber(const QString &keyword, const py::handle &value, long long lowest, long long highest,
                     bool unsignedKind)
{
    if (!isWhole(value))
        wrongKind(keyword, "a whole number", value);
    const double wide = value.cast<double>();
    if (wide < double(lowest) || wide > double(highest))
        return QVariant(wide);
    const long long number = value.cast<long long>();
    return unsignedKind ? QVariant(uint(number)) : QVariant(int(number));
}

double realNumber(const QString &keyword, const py::handle &value)
{
    if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)))
        wrongKind(keyword, "a number", value);
    return value.cast<double>();
}

// A mask is a 2-D array of 0 and 1 indexed [x, y]; the list keeps bit (i, j) at i * height + j, which
// is the array's C order.
QByteArray maskBytes(const QString &keyword, const py::handle &value, uint &width, uint &height)
{
    py::array_t<uint8_t, py::array::c_style | py::array::forcecast> array;
    try {
        array = py::array_t<uint8_t, py::array::c_style | py::array::forcecast>::ensure(value);
    } catch (const py::error_already_set &) {
        array = py::array_t<uint8_t, py::array::c_style | py::array::forcecast>();
    }
    if (!array || array.ndim() != 2)
        wrongKind(keyword, "a 2-D array of 0 and 1 indexed [x, y]", value);
    width = uint(array.shape(0));
    height = uint(array.shape(1));
    QByteArray bytes(int(array.size()), '\0');
    const uint8_t *data = array.data();
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = data[i] != 0 ? 1 : 0;
    return bytes;
}

QVariant convert(ProcessStep &step, const ParameterDefinition &definition, const QString &keyword,
                 const py::handle &value)
{
    switch (definition.kind) {
    case ParameterKind::Bool:
        if (!py::isinstance<py::bool_>(value))
            wrongKind(keyword, "True or False", value);
        return QVariant(value.cast<bool>());
    case ParameterKind::Int:
        return wholeNumber(keyword, value, INT_MIN, INT_MAX, false);
    case ParameterKind::UInt:
        return wholeNumber(keyword, value, 0, UINT_MAX, true);
    case ParameterKind::Float: {
        const double number = realNumber(keyword, value);
        return std::isfinite(number) && std::fabs(number) <= FLT_MAX ? QVariant(float(number)) : QVariant(number);
    }
    case ParameterKind::Double:
        return QVariant(realNumber(keyword, value));
    case ParameterKind::String:
        if (!py::isinstance<py::str>(value))
            wrongKind(keyword, "a text", value);
        return QVariant(QString::fromStdString(value.cast<std::string>()));
    case ParameterKind::Vector3D: {
        if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::len(value) != 3)
            wrongKind(keyword, "three numbers (x, y, z)", value);
        const py::sequence xyz = py::reinterpret_borrow<py::sequence>(value);
        return QVariant::fromValue(
            Util::Vector3D(realNumber(keyword, xyz[0]), realNumber(keyword, xyz[1]), realNumber(keyword, xyz[2])));
    }
    case ParameterKind::Mask: {
        uint width = 0;
        uint height = 0;
        const QByteArray bytes = maskBytes(keyword, value, width, height);
        step.setParameterValue(Core::Processes::Parameter::maskWidth(definition.name), QVariant(width));
        step.setParameterValue(Core::Processes::Parameter::maskHeight(definition.name), QVariant(height));
        return QVariant(bytes);
    }
    case ParameterKind::Color:
        break;
    }
    wrongKind(keyword, "no value (it is derived from others)", value);
}

} // namespace

const ProcessDescriptor &StepKeywords::descriptor(const QString &processName)
{
    QStringList names;
    for (const ProcessDescriptor *descriptor : Core::Processes::ProcessRegistry::all()) {
        if (descriptor->displayName() == processName || descriptor->choiceName() == processName)
            return *descriptor;
        names << QLatin1Char('"') + descriptor->displayName() + QLatin1Char('"');
    }
    throw py::value_error(QStringLiteral("There is no process \"%1\"; the processes are %2.")
                              .arg(processName, names.join(QStringLiteral(", ")))
                              .toStdString());
}

QString StepKeywords::keyword(const QString &parameterName)
{
    static const QRegularExpression others(QStringLiteral("[^a-z0-9]+"));
    QString word = parameterName.toLower().replace(others, QStringLiteral("_"));
    while (word.startsWith(QLatin1Char('_')))
        word.remove(0, 1);
    while (word.endsWith(QLatin1Char('_')))
        word.chop(1);
    return word;
}

QStringList StepKeywords::keywords(const ProcessDescriptor &descriptor)
{
    QStringList words;
    for (const ParameterDefinition &definition : descriptor.parameters()) {
        if (!isDerived(descriptor, definition.name) && definition.kind != ParameterKind::Color)
            words << keyword(definition.name);
    }
    return words;
}

bool StepKeywords::set(ProcessStep &step, const QString &word, const py::handle &value)
{
    const ProcessDescriptor *descriptor = Core::Processes::ProcessRegistry::descriptor(step.getProcessType());
    if (!descriptor)
        return false;
    for (const QString &base : descriptor->materialBases()) {
        if (keyword(base) == word) {
            Core::BatchRun::setMaterialParameters(step, base, MaterialLookup::find(value));
            return true;
        }
    }
    for (const ParameterDefinition &definition : descriptor->parameters()) {
        if (isDerived(*descriptor, definition.name) || keyword(definition.name) != word)
            continue;
        step.setParameterValue(definition.name, convert(step, definition, word, value));
        // A value given anew is no longer the file's text that did not convert.
        QMap<QString, QString> unconverted = step.unconvertedParameters();
        if (unconverted.remove(definition.name) > 0) {
            step.clearUnconverted();
            for (auto it = unconverted.constBegin(); it != unconverted.constEnd(); ++it)
                step.markUnconverted(it.key(), it.value());
        }
        return true;
    }
    return false;
}

ProcessStep StepKeywords::step(const ProcessDescriptor &descriptor, const py::dict &values)
{
    ProcessStep made(int(descriptor.type()));
    for (const auto &item : values) {
        const QString word = QString::fromStdString(py::str(item.first));
        if (!set(made, word, item.second))
            throw py::type_error(
                QStringLiteral("\"%1\" takes no keyword %2; it takes %3.")
                    .arg(descriptor.displayName(), word, keywords(descriptor).join(QStringLiteral(", ")))
                    .toStdString());
    }
    descriptor.completeDerivedParameters(made);
    Core::BatchRun::applyDefaultVisibility(made);
    return made;
}

} // namespace CellforgePython
