#include "Core/BatchRun/processlistfile.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"
#include "Util/safefile.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

namespace Core {
namespace BatchRun {

namespace {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

void toNextStartElement(QXmlStreamReader &reader)
{
    do {
        reader.readNext();
    } while (!reader.atEnd() && !reader.isStartElement());
}

Material parseMaterial(const QXmlStreamAttributes &a)
{
    Material material(a.value(QLatin1String("material-id")).toUInt(), a.value(QLatin1String("name")).toString(),
                      a.value(QLatin1String("density")).toFloat(), a.value(QLatin1String("young-modulus")).toFloat(),
                      a.value(QLatin1String("poisson-ratio")).toFloat());
    if (a.hasAttribute(QLatin1String("color")))
        material.setColor(Model::Materials::colorFromText(a.value(QLatin1String("color")).toString()));
    return material;
}

// Of a decimal number that did not convert: it lies below the smallest double ("1e-400"), not
// above the largest ("1e400").
bool isBelowTheDoubles(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?(\\d*)(?:\\.(\\d*))?(?:[eE]([+-]?\\d+))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const QString whole = match.captured(1);
    const QString digits = whole + match.captured(2);
    const int first = digits.indexOf(QRegularExpression(QStringLiteral("[1-9]")));
    if (first < 0)
        return false;
    bool ok = false;
    const qlonglong exponent = match.captured(3).isEmpty() ? 0 : match.captured(3).toLongLong(&ok);
    if (!match.captured(3).isEmpty() && !ok)
        return match.captured(3).startsWith(QLatin1Char('-'));
    // The power of ten of the first significant digit.
    return qlonglong(whole.size() - 1 - first) + exponent < 0;
}

QString materialLabel(const Material &m) { return QStringLiteral("\"%1\" (identifier %2)").arg(m.name()).arg(m.id()); }

} // namespace

ProcessListFile::ConflictAnswer
ProcessListFile::answerOf(const std::optional<Model::Persistence::ConflictDecision> &decision)
{
    if (!decision)
        return {ConflictChoice::AddLoadedAsNew, 0};
    switch (decision->choice) {
    case Model::Persistence::ConflictChoice::ReplaceLoadedByExisting:
        return {ConflictChoice::ReplaceLoadedByExisting, 0};
    case Model::Persistence::ConflictChoice::ReplaceExistingByLoaded:
        return {ConflictChoice::ReplaceExistingByLoaded, 0};
    case Model::Persistence::ConflictChoice::ReplaceLoadedByAnother:
        return {ConflictChoice::ReplaceLoadedByAnother, decision->alternateId};
    case Model::Persistence::ConflictChoice::AddLoadedAsNew:
        break;
    }
    return {ConflictChoice::AddLoadedAsNew, 0};
}

ProcessListFile::ProcessListFile(const QList<Processes::ProcessStep> &steps)
    : m_steps(steps)
{
}

QString ProcessListFile::valueTypeName(const QVariant &value)
{
    if (value.userType() == QMetaType::QByteArray)
        return QStringLiteral("vector");
    if (value.userType() == qMetaTypeId<Util::Vector3D>())
        return QStringLiteral("Util::Vector3D");
    return QString::fromLatin1(value.typeName());
}

QString ProcessListFile::valueText(const QVariant &value)
{
    if (value.userType() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        QString text(bytes.size(), QLatin1Char('0'));
        for (int i = 0; i < bytes.size(); ++i) {
            if (bytes.at(i) != 0)
                text[i] = QLatin1Char('1');
        }
        return text;
    }
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        const auto v = value.value<Util::Vector3D>();
        return QStringLiteral("%1;%2;%3")
            .arg(QString::number(v.x, 'g', 10), QString::number(v.y, 'g', 10), QString::number(v.z, 'g', 10));
    }
    if (value.userType() == QMetaType::QColor)
        return value.value<QColor>().name();
    return value.toString();
}

QVariant ProcessListFile::valueFromText(const QString &type, const QString &data, bool *converted)
{
    bool ok = true;
    QVariant value;
    if (type == QLatin1String("bool")) {
        value = data == QLatin1String("true");
    } else if (type == QLatin1String("float")) {
        // A number beyond the floats stays unconverted, and its step refuses it as out of range; one
        // too small to be told from 0 is 0.
        double number = data.toDouble(&ok);
        if (!ok && isBelowTheDoubles(data))
            number = 0.0, ok = true;
        if (ok && std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max())
            ok = false;
        value = ok ? static_cast<float>(number) : 0.0f;
    } else if (type == QLatin1String("double")) {
        double number = data.toDouble(&ok);
        if (!ok && isBelowTheDoubles(data))
            number = 0.0, ok = true;
        value = ok ? number : 0.0;
    } else if (type == QLatin1String("int")) {
        value = data.toInt(&ok);
    } else if (type == QLatin1String("uint")) {
        value = data.toUInt(&ok);
    } else if (type == QLatin1String("QString")) {
        value = data;
    } else if (type == QLatin1String("QColor")) {
        value = QColor(data);
    } else if (type == QLatin1String("vector")) {
        QByteArray bytes(data.size(), 0);
        for (int i = 0; i < data.size(); ++i)
            bytes[i] = data.at(i) == QLatin1Char('1') ? 1 : 0;
        value = bytes;
    } else if (type == QLatin1String("Util::Vector3D")) {
        // Empty data is the zero vector; a part that is missing or not a number reads as 0.
        const QStringList parts = data.isEmpty() ? QStringList() : data.split(QLatin1Char(';'));
        double xyz[3] = {0.0, 0.0, 0.0};
        for (int i = 0; i < 3 && !data.isEmpty(); ++i) {
            bool partOk = false;
            const double number = i < parts.size() ? parts.at(i).toDouble(&partOk) : 0.0;
            xyz[i] = partOk ? number : 0.0;
            ok = ok && partOk;
        }
        value = QVariant::fromValue(Util::Vector3D(xyz[0], xyz[1], xyz[2]));
    }
    if (converted)
        *converted = ok;
    return value;
}

bool ProcessListFile::save(const QString &fileName)
{
    Util::SafeFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = QStringLiteral("Cannot write \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    QXmlStreamWriter writer(file.device());
    writer.setAutoFormatting(true);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("Process-List"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));

    writer.writeStartElement(QStringLiteral("Materials"));
    for (const Material &m : MaterialFactory::instance()->getMaterials()) {
        writer.writeEmptyElement(QStringLiteral("Material"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        writer.writeAttribute(QStringLiteral("name"), m.name());
        writer.writeAttribute(QStringLiteral("material-id"), QString::number(m.id()));
        writer.writeAttribute(QStringLiteral("density"), Model::Materials::formatNumber(m.density()));
        writer.writeAttribute(QStringLiteral("poisson-ratio"), Model::Materials::formatNumber(m.poissonRatio()));
        writer.writeAttribute(QStringLiteral("young-modulus"), Model::Materials::formatNumber(m.youngModulus()));
        writer.writeAttribute(QStringLiteral("color"), Model::Materials::colorToText(m.color()));
    }
    writer.writeEndElement();

    for (const Processes::ProcessStep &step : m_steps) {
        writer.writeStartElement(QStringLiteral("Process-Data"));
        writer.writeAttribute(QStringLiteral("process-type"), QString::number(step.getProcessType()));
        const auto parameters = step.getParameters();
        const auto visibility = step.getVisibilities();
        const auto unconverted = step.unconvertedParameters();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            writer.writeEmptyElement(QStringLiteral("Parameter"));
            writer.writeAttribute(QStringLiteral("parameter-name"), it.key());
            writer.writeAttribute(QStringLiteral("parameter-type"), valueTypeName(it.value()));
            // A number that did not convert when the list was read is written back as it was.
            writer.writeAttribute(QStringLiteral("parameter-data"),
                                  unconverted.contains(it.key()) ? unconverted.value(it.key()) : valueText(it.value()));
            writer.writeAttribute(QStringLiteral("parameter-visibility"),
                                  visibility.value(it.key(), true) ? QStringLiteral("true") : QStringLiteral("false"));
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    if (writer.hasError()) {
        m_error = QStringLiteral("Cannot write \"%1\": %2")
                      .arg(fileName, file.cancel(QStringLiteral("the list text could not be written.")));
        return false;
    }
    if (!file.commit()) {
        m_error = QStringLiteral("Cannot write \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

bool ProcessListFile::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_error = QStringLiteral("Cannot read \"%1\": %2").arg(fileName, file.errorString());
        return false;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd() && !(reader.isStartElement() && reader.name() == QLatin1String("Process-List")))
        reader.readNext();
    if (!reader.isStartElement()) {
        m_error =
            reader.hasError()
                ? QStringLiteral("\"%1\" is not a well-formed process list: %2 (line %3)")
                      .arg(fileName, reader.errorString())
                      .arg(reader.lineNumber())
                : QStringLiteral("\"%1\" is not a process list: it has no \"Process-List\" element.").arg(fileName);
        return false;
    }
    if (reader.attributes().hasAttribute(QLatin1String("version")))
        m_version = reader.attributes().value(QLatin1String("version")).toInt();

    toNextStartElement(reader);
    if (reader.isStartElement() && reader.name() == QLatin1String("Materials")) {
        readMaterials(reader);
        toNextStartElement(reader);
    }
    QList<Processes::ProcessStep> steps;
    while (!reader.atEnd()) {
        if (reader.isStartElement() && reader.name() == QLatin1String("Process-Data"))
            steps.append(readStep(reader));
        else
            toNextStartElement(reader);
    }
    if (reader.hasError()) {
        m_error = QStringLiteral("\"%1\" is not a well-formed process list: %2 (line %3)")
                      .arg(fileName, reader.errorString())
                      .arg(reader.lineNumber());
        return false;
    }
    if (m_version < 1)
        steps = upgrade(steps);
    synchroniseMaterials(steps);
    m_steps = steps;
    return true;
}

void ProcessListFile::readMaterials(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("Materials"))
            return;
        if (!reader.isStartElement() || reader.name() != QLatin1String("Material"))
            continue;
        const Material loaded = parseMaterial(reader.attributes());
        if (loaded.id() == 0 || loaded.name().isEmpty())
            continue;
        reconcile(loaded);
    }
}

void ProcessListFile::reconcile(const Material &loaded)
{
    auto catalogue = MaterialFactory::instance();
    const Material byId = catalogue->getMaterial(loaded.id());
    const Material byName = catalogue->getMaterialByName(loaded.name());
    const bool idKnown = byId.id() != 0;
    const bool nameKnown = byName.id() != 0;
    if (loaded.id() > MaterialFactory::largestId && !nameKnown) {
        // No cell can hold it: steps that use it get the "Empty" material.
        m_translation.insert(loaded.id(), 0);
        m_materialReport << QStringLiteral("Material %1 of the list cannot be used: %2. Steps that use it get the "
                                           "\"Empty\" material.")
                                .arg(materialLabel(loaded), MaterialFactory::largestIdText());
        return;
    }
    if (!idKnown && !nameKnown) {
        catalogue->setMaterial(loaded);
        m_translation.insert(loaded.id(), loaded.id());
        return;
    }
    if (!idKnown) {
        m_translation.insert(loaded.id(), byName.id());
        return;
    }
    if (byId.name() == loaded.name()) {
        m_translation.insert(loaded.id(), loaded.id());
        return;
    }

    ConflictAnswer answer;
    if (m_resolver)
        answer = m_resolver(byId, loaded);
    switch (answer.choice) {
    case ConflictChoice::ReplaceLoadedByExisting:
        m_translation.insert(loaded.id(), loaded.id());
        m_materialReport << QStringLiteral("Material %1 of the list was replaced by the existing material %2.")
                                .arg(materialLabel(loaded), materialLabel(byId));
        return;
    case ConflictChoice::ReplaceExistingByLoaded:
        catalogue->setMaterial(loaded);
        m_translation.insert(loaded.id(), loaded.id());
        m_materialReport << QStringLiteral("The existing material %1 was replaced by the material %2 of the list.")
                                .arg(materialLabel(byId), materialLabel(loaded));
        return;
    case ConflictChoice::ReplaceLoadedByAnother:
        m_translation.insert(loaded.id(), answer.alternateId);
        m_materialReport << QStringLiteral("Material %1 of the list was replaced by the existing material %2.")
                                .arg(materialLabel(loaded), materialLabel(catalogue->getMaterial(answer.alternateId)));
        return;
    case ConflictChoice::AddLoadedAsNew:
        break;
    }
    const std::optional<uint32_t> id = catalogue->generateMaterialId();
    if (!id) {
        // Steps that use it get the "Empty" material rather than the other material of that identifier.
        m_translation.insert(loaded.id(), 0);
        m_materialReport << QStringLiteral("Material %1 of the list conflicts with the existing material %2 and "
                                           "could not be added as a new material: %3. Steps that use it get the "
                                           "\"Empty\" material.")
                                .arg(materialLabel(loaded), materialLabel(byId), MaterialFactory::noFreeIdText());
        return;
    }
    Material added = loaded;
    added.setId(*id);
    catalogue->setMaterial(added);
    m_translation.insert(loaded.id(), added.id());
    m_materialReport << QStringLiteral("Material %1 of the list conflicts with the existing material %2; it was added "
                                       "as a new material with identifier %3.")
                            .arg(materialLabel(loaded), materialLabel(byId))
                            .arg(added.id());
}

Processes::ProcessStep ProcessListFile::readStep(QXmlStreamReader &reader)
{
    Processes::ProcessStep step(reader.attributes().value(QLatin1String("process-type")).toInt());
    QMap<QString, QString> unconverted;
    toNextStartElement(reader);
    while (reader.isStartElement() && reader.name() == QLatin1String("Parameter")) {
        const QXmlStreamAttributes a = reader.attributes();
        const QString name = a.value(QLatin1String("parameter-name")).toString();
        const QString data = a.value(QLatin1String("parameter-data")).toString();
        const QString visibility = a.value(QLatin1String("parameter-visibility")).toString();
        bool converted = true;
        step.setParameter(name, valueFromText(a.value(QLatin1String("parameter-type")).toString(), data, &converted),
                          visibility.isEmpty() || visibility == QLatin1String("true"));
        // A later parameter of the same name replaces the earlier one, its mark included.
        if (converted)
            unconverted.remove(name);
        else
            unconverted.insert(name, data);
        toNextStartElement(reader);
    }
    for (auto it = unconverted.constBegin(); it != unconverted.constEnd(); ++it)
        step.markUnconverted(it.key(), it.value());
    return step;
}

QList<Processes::ProcessStep> ProcessListFile::upgrade(const QList<Processes::ProcessStep> &steps)
{
    static const QList<int> materialTypes = {0, 2, 3, 4, 5, 9, 11, 12, 13, 16, 17, 18};
    QList<Processes::ProcessStep> upgraded;
    for (const Processes::ProcessStep &old : steps) {
        const int type = old.getProcessType();
        QMap<QString, QString> renames;
        if (type == 7) {
            renames.insert(QStringLiteral("ConductingMaterialId"), QStringLiteral("Conducting Material_Id"));
            renames.insert(QStringLiteral("DepositedMaterialId"), QStringLiteral("Deposited Material_Id"));
        } else if (type == 8 || type == 14) {
            renames.insert(QStringLiteral("DopedMaterialId"), QStringLiteral("Doped Material_Id"));
        } else if (materialTypes.contains(type)) {
            renames.insert(QStringLiteral("MaterialId"), QStringLiteral("Material_Id"));
        } else {
            upgraded.append(old);
            continue;
        }
        Processes::ProcessStep step(type);
        const auto parameters = old.getParameters();
        const auto visibility = old.getVisibilities();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            const QString name = renames.value(it.key(), it.key());
            if (name != it.key())
                m_upgraded = true;
            step.setParameter(name, it.value(), visibility.value(it.key(), true));
        }
        const auto unconverted = old.unconvertedParameters();
        for (auto it = unconverted.constBegin(); it != unconverted.constEnd(); ++it)
            step.markUnconverted(renames.value(it.key(), it.key()), it.value());
        upgraded.append(step);
    }
    return upgraded;
}

void ProcessListFile::synchroniseMaterials(QList<Processes::ProcessStep> &steps)
{
    auto catalogue = MaterialFactory::instance();
    for (int i = 0; i < steps.size(); ++i) {
        Processes::ProcessStep &step = steps[i];
        const auto parameters = step.getParameters();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            if (!it.key().endsWith(QLatin1String("_Id")))
                continue;
            const uint32_t fileId = it.value().toUInt();
            if (fileId != 0 && !m_translation.contains(fileId))
                m_materialReport << QStringLiteral("Material %1 of step %2 (\"%3\") is not among the list's materials; "
                                                   "the step uses the \"Empty\" material.")
                                        .arg(fileId)
                                        .arg(i + 1)
                                        .arg(it.key());
            const Material material = catalogue->getMaterial(m_translation.value(fileId, 0));
            const QString base = it.key().left(it.key().size() - 3);
            step.setParameter(base, material.name(), true);
            step.setParameter(it.key(), QVariant::fromValue<uint>(material.id()), false);
            step.setParameter(base + QStringLiteral("_Color"), Model::Materials::toQColor(material.color()), false);
        }
    }
}

} // namespace BatchRun
} // namespace Core
