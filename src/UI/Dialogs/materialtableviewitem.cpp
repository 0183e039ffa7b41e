#include "UI/Dialogs/materialtableviewitem.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"

#include <QColor>
#include <QSet>

#include <cmath>

namespace Ui {

namespace {
constexpr uint32_t firstUserMaterialId = 2000;
// The table shows Young's modulus in gigapascals.
constexpr double pascalsPerShownUnit = 1e9;
} // namespace

MaterialTableViewItem::MaterialTableViewItem(QObject *parent)
    : MaterialTableViewItem(Model::Materials::MaterialFactory::instance()->getMaterials(), parent)
{
}

MaterialTableViewItem::MaterialTableViewItem(const QList<Model::Materials::Material> &materials, QObject *parent)
    : QAbstractTableModel(parent)
    , m_materials(materials)
{
}

QModelIndex MaterialTableViewItem::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_materials.size() || column < 0 || column > 5)
        return QModelIndex();
    return createIndex(row, column);
}

int MaterialTableViewItem::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_materials.size();
}

int MaterialTableViewItem::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 6; }

QString MaterialTableViewItem::refusal(int column, double value)
{
    switch (column) {
    case DensityColumn:
        return std::isfinite(value) && value > 0.0 ? QString() : QStringLiteral("The density must be above 0 kg/m³.");
    case YoungModulusColumn:
        return std::isfinite(value) && value > 0.0 ? QString() : QStringLiteral("Young's modulus must be above 0 GPa.");
    case PoissonRatioColumn:
        return value > -1.0 && value < 0.5 ? QString()
                                           : QStringLiteral("Poisson's ratio must lie above -1 and below 0.5.");
    default:
        return QString();
    }
}

QVariant MaterialTableViewItem::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_materials.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const auto &material = m_materials.at(index.row());
    switch (index.column()) {
    case 0:
        return material.id();
    case 1:
        return material.name();
    case 2:
        return Model::Materials::toQColor(material.color());
    case 3:
        return double(material.density());
    case 4:
        return double(material.youngModulus()) / pascalsPerShownUnit;
    case 5:
        return double(material.poissonRatio());
    default:
        return QVariant();
    }
}

QVariant MaterialTableViewItem::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case 0:
        return QStringLiteral("Material Id");
    case 1:
        return QStringLiteral("Material Name");
    case 2:
        return QStringLiteral("Color");
    case 3:
        return QStringLiteral("Density (kg/m³)");
    case 4:
        return QStringLiteral("Young Modulus (GPa)");
    case 5:
        return QStringLiteral("Poisson Ratio");
    default:
        return QStringLiteral("Column %1").arg(section);
    }
}

Qt::ItemFlags MaterialTableViewItem::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const bool userMaterial =
        index.row() < m_materials.size() && m_materials.at(index.row()).id() >= firstUserMaterialId;
    if (index.column() >= ColorColumn || (index.column() == NameColumn && userMaterial))
        result |= Qt::ItemIsEditable;
    return result;
}

bool MaterialTableViewItem::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() < 0 || index.row() >= m_materials.size())
        return false;
    auto &material = m_materials[index.row()];
    bool number = true;
    const double constant = index.column() >= DensityColumn ? value.toDouble(&number) : 0.0;
    if (!number || !refusal(index.column(), constant).isEmpty())
        return false;
    switch (index.column()) {
    case 1:
        material.setName(value.toString());
        break;
    case 2:
        material.setColor(Model::Materials::fromQColor(value.value<QColor>()));
        break;
    case 3:
        material.setDensity(float(constant));
        break;
    case 4:
        material.setYoungModulus(float(constant * pascalsPerShownUnit));
        break;
    case 5:
        material.setPoissonRatio(float(constant));
        break;
    default:
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

bool MaterialTableViewItem::insertRows(int /*row*/, int count, const QModelIndex &parent)
{
    if (parent.isValid() || count < 1)
        return false;
    // The catalogue avoids its own identifiers; new rows of this dialog must not share one either.
    QSet<uint32_t> rowIds;
    for (const auto &material : m_materials)
        rowIds.insert(material.id());
    auto catalogue = Model::Materials::MaterialFactory::instance();
    QList<uint32_t> ids;
    for (int i = 0; i < count; ++i) {
        const std::optional<uint32_t> id = catalogue->generateMaterialId(rowIds);
        if (!id)
            return false;
        rowIds.insert(*id);
        ids << *id;
    }
    const int first = m_materials.size();
    beginInsertRows(QModelIndex(), first, first + count - 1);
    for (const uint32_t id : ids)
        m_materials.append(Model::Materials::Material(id, QStringLiteral("New Material"), 1000.0f, 1e9f, 0.3f,
                                                      {0.5f, 0.5f, 0.5f, 1.0f}));
    endInsertRows();
    return true;
}

} // namespace Ui
