#include "materiallookup.h"

#include "Model/Materials/materialfactory.h"

#include <QString>

namespace py = pybind11;

namespace CellforgePython {

Model::Materials::Material MaterialLookup::find(const py::handle &nameOrId)
{
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    if (py::isinstance<Model::Materials::Material>(nameOrId))
        return find(py::int_(nameOrId.cast<Model::Materials::Material>().id()));
    if (py::isinstance<py::str>(nameOrId)) {
        const QString name = QString::fromStdString(nameOrId.cast<std::string>());
        const Model::Materials::Material material = catalogue->getMaterialByName(name);
        if (material.id() == 0)
            throw py::key_error(QStringLiteral("The catalogue has no material \"%1\".").arg(name).toStdString());
        return material;
    }
    if (py::isinstance<py::int_>(nameOrId) && !py::isinstance<py::bool_>(nameOrId)) {
        const long long id = nameOrId.cast<long long>();
        const Model::Materials::Material material = id > 0 && id <= Model::Materials::MaterialFactory::largestId
                                                        ? catalogue->getMaterial(uint32_t(id))
                                                        : Model::Materials::Material();
        if (material.id() == 0)
            throw py::key_error(
                QStringLiteral("The catalogue has no material of identifier %1.").arg(id).toStdString());
        return material;
    }
    throw py::type_error("a material is a name, an identifier or a cellforge.Material");
}

} // namespace CellforgePython
