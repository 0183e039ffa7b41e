#pragma once

#include "material.h"

#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class QXmlStreamAttributes;
class QXmlStreamWriter;

namespace Model {
namespace Materials {

/// The material catalogue: identifier -> material, shared by the whole program.
/// Loaded from "materials.xml" under ~/Cellforge before the first window exists; every operation
/// holds one lock for its duration and returns copies. Failed lookups return the "Empty" record.
class MaterialFactory {
public:
    /// The catalogue, loaded on first use (built-in table when the file is missing or unreadable).
    static std::shared_ptr<MaterialFactory> instance();

    /// The start-up sequence: load the file; when that fails, fall back to the built-in table and
    /// write it, after copying an existing file aside. startUpReport() names the copy, or says that
    /// a file that could not be copied aside was left as it is.
    void startUp();
    /// What happened to a file that could not be loaded at start-up, in words for the user; empty
    /// when all went well.
    QString startUpReport() const;
    bool loadMaterials();
    void createDefaultMaterials();
    /// Adds the built-in materials newer than the loaded catalogue (the fluorocarbon polymer) where
    /// their identifiers are free; the file is left as it is until the catalogue is saved.
    void addLaterBuiltInMaterials();
    /// Writes the catalogue; false with the system's reason in `error` when the file could not be
    /// written (the old file is left intact).
    bool saveMaterials(QString *error = nullptr);

    Material getMaterial(uint32_t id) const;
    Material getMaterialByName(const QString &name) const;
    QList<Material> getMaterials() const;
    /// False, and nothing changes, for identifier 0 or one above largestId.
    bool setMaterial(const Material &material);
    /// The built-in passivating film of Bosch etching.
    static constexpr uint32_t fluorocarbonPolymerId = 18;
    /// The largest identifier a material can have: a cell holds its material in 16 bits.
    static constexpr uint32_t largestId = 32766;
    /// "material identifiers go up to 32766", for the messages of callers that met a larger one.
    static QString largestIdText();
    /// A random identifier from 2000 to 32766 that no material has yet, nor `reserved` holds
    /// (identifiers handed out but not stored yet); none when every one is taken.
    std::optional<uint32_t> generateMaterialId(const QSet<uint32_t> &reserved = {}) const;
    static constexpr uint32_t firstGeneratedId = 2000;
    static constexpr uint32_t lastGeneratedId = largestId;
    /// "every material identifier from 2000 to 32766 is in use", for the messages of callers that
    /// got no identifier.
    static QString noFreeIdText();
    /// Goes up with every change of the catalogue (setMaterial, createDefaultMaterials,
    /// loadMaterials), so that whoever copied colours can tell that they are stale.
    uint64_t revision() const;

    /// The file the catalogue is read from and written to.
    static QString filePath();
    /// Writes the XML text of a list of materials (exactly what `saveMaterials` writes).
    static QByteArray toXml(const QList<Material> &materials);

private:
    MaterialFactory() = default;
};

/// "#AARRGGBB", each component as its nearest byte (colorByte), upper case.
QString colorToText(const std::array<float, 4> &color);
/// Back from "#AARRGGBB" (or "#RRGGBB"); the default grey when the text is not a colour.
std::array<float, 4> colorFromText(const QString &text);
/// A material from the attributes of a "Material" element (missing numbers 0, missing colour grey).
/// The caller checks validity: identifier 0 or an empty name.
Material materialFromAttributes(const QXmlStreamAttributes &attributes);
/// One empty "Material" element with the catalogue's attributes in their fixed order.
void writeMaterialElement(QXmlStreamWriter &writer, const Material &material);
/// General notation with at most six significant digits, as C's %g.
QString formatNumber(double value);

} // namespace Materials
} // namespace Model
