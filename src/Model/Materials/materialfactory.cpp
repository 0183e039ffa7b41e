#include "materialfactory.h"

#include "catalogfile.h"
#include "colorbytes.h"
#include "materialtable.h"

#include <QColor>
#include <QDir>
#include <QRandomGenerator>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <atomic>
#include <mutex>

namespace Model {
namespace Materials {

namespace {

// The catalogue is class-wide: one table and one lock for the whole program.
struct Catalogue {
    std::mutex mutex;
    MaterialTable materials;
    CatalogFile file{{QStringLiteral("materials.xml"), QStringLiteral("Materials"), QStringLiteral("material"),
                      QStringLiteral("materials"), QStringLiteral("Manage Materials"),
                      "Model/Materials/materialfactory"}};
    std::atomic<uint64_t> revision{0};
};

Catalogue &catalogue()
{
    static Catalogue instance;
    return instance;
}

// The colours are bytes, as the catalogue file stores them ("#FF7F7F7F" for Si): the built-in
// table and a catalogue saved from it give the same colours.
QList<Material> builtInMaterials()
{
    return {
        Material(1, QStringLiteral("Si"), 2329.0f, 1.88e11f, 0.28f, colorFromBytes(127, 127, 127)),
        Material(3, QStringLiteral("Thermal Si02"), 2200.0f, 7e10f, 0.17f, colorFromBytes(127, 127, 255)),
        Material(4, QStringLiteral("Al (bulk)"), 2700.0f, 7e10f, 0.14f, colorFromBytes(178, 178, 178)),
        Material(5, QStringLiteral("Cu (bulk)"), 8960.0f, 1.28e11f, 0.36f, colorFromBytes(255, 204, 76)),
        Material(6, QStringLiteral("Cr (bulk)"), 7190.0f, 2.79e11f, 0.21f, colorFromBytes(204, 204, 204)),
        Material(7, QStringLiteral("Ni (bulk)"), 8908.0f, 2e11f, 0.31f, colorFromBytes(204, 229, 204)),
        Material(8, QStringLiteral("Pt (bulk)"), 21450.0f, 1.68e11f, 0.38f, colorFromBytes(229, 229, 204)),
        Material(9, QStringLiteral("Au (bulk)"), 19300.0f, 7.9e10f, 0.44f, colorFromBytes(127, 255, 127)),
        Material(10, QStringLiteral("Ti (bulk)"), 4506.0f, 1.16e11f, 0.32f, colorFromBytes(76, 76, 76)),
        Material(11, QStringLiteral("Photoresist +"), 1000.0f, 1e9f, 0.4f, colorFromBytes(255, 127, 127)),
        Material(12, QStringLiteral("Photoresist -"), 1000.0f, 1e9f, 0.4f, colorFromBytes(255, 76, 255)),
        Material(13, QStringLiteral("PDMS"), 1000.0f, 1e9f, 0.4f, colorFromBytes(255, 255, 255)),
        Material(14, QStringLiteral("N-doped Si (100)"), 2329.0f, 1.88e11f, 0.28f, colorFromBytes(255, 255, 170)),
        Material(15, QStringLiteral("P-doped Si (100)"), 2329.0f, 1.88e11f, 0.28f, colorFromBytes(170, 170, 255)),
        Material(16, QStringLiteral("Poly-Si"), 2329.0f, 1.88e11f, 0.28f, colorFromBytes(76, 127, 102)),
        Material(17, QStringLiteral("Si (cubic)"), 329.0f, 1.88e11f, 0.28f, colorFromBytes(102, 102, 102)),
        // The film a C4F8 plasma leaves (Bosch etching's passivation), taken as PTFE-like: density
        // 2000 kg/m^3, Young's modulus 0.5 GPa, Poisson's ratio 0.46.
        Material(MaterialFactory::fluorocarbonPolymerId, QStringLiteral("Fluorocarbon Polymer"), 2000.0f, 5e8f, 0.46f,
                 colorFromBytes(0, 178, 178)),
    };
}

// The built-in materials that came after the first catalogues were written: a catalogue without
// them gains them when it is loaded at start-up (unless it gave their identifiers to materials of
// its own), so that steps that take them by default find them.
QList<uint32_t> laterBuiltInIds() { return {MaterialFactory::fluorocarbonPolymerId}; }

} // namespace

Material materialFromAttributes(const QXmlStreamAttributes &attributes)
{
    // Missing numeric attributes read as 0, a missing colour as the default grey.
    Material material(attributes.value(QLatin1String("material-id")).toUInt(),
                      attributes.value(QLatin1String("name")).toString(),
                      attributes.value(QLatin1String("density")).toFloat(),
                      attributes.value(QLatin1String("young-modulus")).toFloat(),
                      attributes.value(QLatin1String("poisson-ratio")).toFloat());
    if (attributes.hasAttribute(QLatin1String("color")))
        material.setColor(colorFromText(attributes.value(QLatin1String("color")).toString()));
    return material;
}

void writeMaterialElement(QXmlStreamWriter &writer, const Material &m)
{
    writer.writeEmptyElement(QStringLiteral("Material"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("name"), m.name());
    writer.writeAttribute(QStringLiteral("material-id"), QString::number(m.id()));
    writer.writeAttribute(QStringLiteral("density"), formatNumber(m.density()));
    writer.writeAttribute(QStringLiteral("poisson-ratio"), formatNumber(m.poissonRatio()));
    writer.writeAttribute(QStringLiteral("young-modulus"), formatNumber(m.youngModulus()));
    writer.writeAttribute(QStringLiteral("color"), colorToText(m.color()));
}

QString formatNumber(double value) { return QString::asprintf("%g", value); }

QString colorToText(const std::array<float, 4> &color)
{
    auto hex = [](float c) { return QString::number(colorByte(c), 16).rightJustified(2, QLatin1Char('0')); };
    return QStringLiteral("#%1%2%3%4").arg(hex(color[3]), hex(color[0]), hex(color[1]), hex(color[2])).toUpper();
}

std::array<float, 4> colorFromText(const QString &text)
{
    QColor color(text);
    if (!color.isValid())
        return {0.5f, 0.5f, 0.5f, 1.0f};
    return fromQColor(color);
}

std::shared_ptr<MaterialFactory> MaterialFactory::instance()
{
    static std::shared_ptr<MaterialFactory> factory = [] {
        std::shared_ptr<MaterialFactory> created(new MaterialFactory);
        created->startUp();
        return created;
    }();
    return factory;
}

void MaterialFactory::startUp()
{
    auto &c = catalogue();
    c.file.setStartUpReport(QString());
    if (loadMaterials()) {
        addLaterBuiltInMaterials();
        return;
    }
    createDefaultMaterials();
    c.file.replaceAtStartUp(toXml(getMaterials()), false);
}

QString MaterialFactory::startUpReport() const { return catalogue().file.startUpReport(); }

QString MaterialFactory::filePath() { return catalogue().file.filePath(); }

bool MaterialFactory::loadMaterials()
{
    auto &c = catalogue();
    QStringList beyond;
    const bool read = c.file.read([&c, &beyond](QXmlStreamReader &reader) {
        std::lock_guard<std::mutex> lock(c.mutex);
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement() || reader.name() != QLatin1String("Material"))
                continue;
            const Material material = materialFromAttributes(reader.attributes());
            if (material.id() > largestId)
                beyond << QStringLiteral("\"%1\" (identifier %2)").arg(material.name()).arg(material.id());
            else if (material.id() != 0 && !material.name().isEmpty())
                c.materials.insert(material);
        }
        ++c.revision;
    });
    if (read && !beyond.isEmpty()) {
        c.file.setStartUpReport(
            QStringLiteral("The material catalogue \"%1\" holds materials that no cell can hold, "
                           "as %2; they were left out: %3.")
                .arg(QDir::toNativeSeparators(filePath()), largestIdText(), beyond.join(QStringLiteral(", "))));
    }
    return read;
}

void MaterialFactory::createDefaultMaterials()
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.materials.clear();
    for (const Material &material : builtInMaterials())
        c.materials.insert(material);
    ++c.revision;
}

void MaterialFactory::addLaterBuiltInMaterials()
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    const QList<uint32_t> later = laterBuiltInIds();
    for (const Material &material : builtInMaterials()) {
        if (later.contains(material.id()) && !c.materials.contains(material.id())) {
            c.materials.insert(material);
            ++c.revision;
        }
    }
}

QByteArray MaterialFactory::toXml(const QList<Material> &materials)
{
    QByteArray text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Materials"));
    for (const Material &m : materials)
        writeMaterialElement(writer, m);
    writer.writeEndElement();
    writer.writeEndDocument();
    return text;
}

bool MaterialFactory::saveMaterials(QString *error) { return catalogue().file.save(toXml(getMaterials()), error); }

Material MaterialFactory::getMaterial(uint32_t id) const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.materials.value(id);
}

Material MaterialFactory::getMaterialByName(const QString &name) const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.materials.firstNamed(name);
}

QList<Material> MaterialFactory::getMaterials() const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.materials.values();
}

bool MaterialFactory::setMaterial(const Material &material)
{
    if (material.id() == 0 || material.id() > largestId)
        return false;
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.materials.insert(material);
    ++c.revision;
    return true;
}

uint64_t MaterialFactory::revision() const { return catalogue().revision.load(); }

std::optional<uint32_t> MaterialFactory::generateMaterialId(const QSet<uint32_t> &reserved) const
{
    auto &c = catalogue();
    std::lock_guard<std::mutex> lock(c.mutex);
    // Random draws spread new identifiers; once they keep hitting taken ones the range is nearly
    // full, and a scan finds what is left (or that nothing is).
    constexpr int draws = 64;
    for (int i = 0; i < draws; ++i) {
        const int r = static_cast<int>(QRandomGenerator::global()->bounded(32768u));
        const float scaled = static_cast<float>(r * 30767) * 3.0517578e-05f;
        const uint32_t id = static_cast<uint32_t>(scaled) + firstGeneratedId;
        if (!c.materials.contains(id) && !reserved.contains(id))
            return id;
    }
    return c.materials.firstFreeId(firstGeneratedId, lastGeneratedId, reserved);
}

QString MaterialFactory::largestIdText() { return QStringLiteral("material identifiers go up to %1").arg(largestId); }

QString MaterialFactory::noFreeIdText()
{
    return QStringLiteral("every material identifier from %1 to %2 is in use")
        .arg(firstGeneratedId)
        .arg(lastGeneratedId);
}

} // namespace Materials
} // namespace Model
