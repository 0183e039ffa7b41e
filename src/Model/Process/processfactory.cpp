#include "processfactory.h"

#include "Model/Materials/catalogfile.h"

#include <QMap>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <mutex>

namespace Model {
namespace Process {

namespace {

struct Catalogue {
    std::mutex mutex;
    QMap<uint32_t, Process> processes;
    Materials::CatalogFile file{{QStringLiteral("processes.xml"), QStringLiteral("Processes"),
                                 QStringLiteral("process"), QStringLiteral("processes"),
                                 QStringLiteral("Edit Compatible Materials"), "Model/Process/processfactory"}};
};

Catalogue &catalogue()
{
    static Catalogue instance;
    return instance;
}

QList<Process> builtInProcesses()
{
    const QList<uint32_t> metals{4, 5, 6, 7, 8, 9, 10};
    const QList<uint32_t> films{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    const QList<uint32_t> silicon{1, 14, 15, 16};
    const QList<uint32_t> all{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    return {
        Process(QStringLiteral("Si Wet Etching"), 1, {1}),
        Process(QStringLiteral("DRIE"), 2, {1}),
        Process(QStringLiteral("CVD"), 3, {3, 16}),
        Process(QStringLiteral("PVD"), 4, metals),
        Process(QStringLiteral("Film Etching"), 5, films),
        Process(QStringLiteral("Photolithography"), 6, films),
        Process(QStringLiteral("Planarization"), 7, {}),
        Process(QStringLiteral("Spin Coating / Soft Lithography"), 8, {11, 12, 13}),
        Process(QStringLiteral("Isotropic Deposition"), 9, {3, 4, 5, 6, 7, 8, 9, 10}),
        Process(QStringLiteral("Isotropic Etching"), 10, QList<uint32_t>{1} + films),
        Process(QStringLiteral("Electroplating"), 11, metals),
        Process(QStringLiteral("Simple Si Oxidation"), 12, silicon),
        Process(QStringLiteral("Simple Doping"), 13, silicon),
        Process(QStringLiteral("Ion Implantation"), 14, silicon),
        Process(QStringLiteral("Ion Implantation"), 15, silicon),
        Process(QStringLiteral("Anisotropic Deposition"), 16, all),
        Process(QStringLiteral("Anisotropic Etching"), 17, all),
        Process(QStringLiteral("Isotropic Deposition"), 18, all),
    };
}

bool toUnsigned(const QStringRef &text, uint32_t &value)
{
    bool ok = false;
    value = text.toUInt(&ok);
    return ok;
}

} // namespace

std::shared_ptr<ProcessFactory> ProcessFactory::instance()
{
    static std::shared_ptr<ProcessFactory> factory = [] {
        std::shared_ptr<ProcessFactory> created(new ProcessFactory);
        created->startUp();
        return created;
    }();
    return factory;
}

void ProcessFactory::startUp()
{
    auto &c = catalogue();
    c.file.setStartUpReport(QString());
    const bool loaded = loadProcesses();
    if (loaded)
        addMissingDefaultProcesses();
    else
        createDefaultProcesses();
    // The file is rewritten at every start.
    c.file.replaceAtStartUp(toXml(getProcesses()), loaded);
}

QString ProcessFactory::startUpReport() const { return catalogue().file.startUpReport(); }

QString ProcessFactory::filePath() { return catalogue().file.filePath(); }

bool ProcessFactory::loadProcesses()
{
    auto &c = catalogue();
    return c.file.read([&c](QXmlStreamReader &reader) {
        std::lock_guard<std::mutex> lock(c.mutex);
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement() || reader.name() != QLatin1String("Process"))
                continue;
            const QXmlStreamAttributes attributes = reader.attributes();
            uint32_t id = 0;
            uint32_t version = 0;
            const QString name = attributes.value(QLatin1String("name")).toString();
            if (!toUnsigned(attributes.value(QLatin1String("process-id")), id) ||
                !toUnsigned(attributes.value(QLatin1String("version")), version) || id == 0 || name.isEmpty())
                continue;

            Process process(name, id);
            // The next start element must be the list of compatible materials.
            while (!reader.atEnd() && !reader.isEndElement() && reader.readNext() != QXmlStreamReader::StartElement) {
            }
            if (reader.isStartElement() && reader.name() == QLatin1String("CompatibleMaterials")) {
                if (reader.readNext() == QXmlStreamReader::Characters) {
                    const QStringList parts = reader.text().toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
                    for (const QString &part : parts) {
                        bool ok = false;
                        const uint32_t materialId = part.trimmed().toUInt(&ok);
                        if (ok)
                            process.addCompatibleMaterial(materialId);
                    }
                }
            }
            if (!reader.hasError())
                c.processes.insert(id, process);
        }
    });
}

void ProcessFactory::createDefaultProcesses()
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.processes.clear();
    for (const Process &process : builtInProcesses())
        c.processes.insert(process.id(), process);
}

void ProcessFactory::addMissingDefaultProcesses()
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (const Process &process : builtInProcesses()) {
        if (!c.processes.contains(process.id()))
            c.processes.insert(process.id(), process);
    }
}

QByteArray ProcessFactory::toXml(const QList<Process> &processes)
{
    QByteArray text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Processes"));
    for (const Process &p : processes) {
        writer.writeStartElement(QStringLiteral("Process"));
        writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        writer.writeAttribute(QStringLiteral("name"), p.name());
        writer.writeAttribute(QStringLiteral("process-id"), QString::number(p.id()));
        QStringList ids;
        for (uint32_t id : p.compatibleMaterialIds())
            ids << QString::number(id);
        writer.writeTextElement(QStringLiteral("CompatibleMaterials"), ids.join(QLatin1Char(';')));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return text;
}

bool ProcessFactory::saveProcesses(QString *error) { return catalogue().file.save(toXml(getProcesses()), error); }

Process ProcessFactory::getProcess(uint32_t id) const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.processes.value(id, Process());
}

QList<Process> ProcessFactory::getProcesses() const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.processes.values();
}

bool ProcessFactory::setProcess(const Process &process)
{
    if (process.id() == 0)
        return false;
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.processes.insert(process.id(), process);
    return true;
}

} // namespace Process
} // namespace Model
