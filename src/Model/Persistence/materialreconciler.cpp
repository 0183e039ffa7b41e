#include "materialreconciler.h"

#include "Model/Materials/materialfactory.h"
#include "materialtranslationtable.h"

namespace Model {
namespace Persistence {

using Materials::Material;
using Materials::MaterialFactory;

MaterialReconciler::MaterialReconciler(MaterialTranslationTable &table, ConflictResolver resolver)
    : m_table(table)
    , m_resolver(std::move(resolver))
{
}

QString MaterialReconciler::invalidMaterialWarning()
{
    return QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume.");
}

QString MaterialReconciler::refusedMaterialMessage(const Material &loaded)
{
    return QStringLiteral("Material \"%1\" (identifier %2) of the document could not be added to the material "
                          "catalogue: %3. Its cells were loaded as empty cells.")
        .arg(loaded.name())
        .arg(loaded.id())
        .arg(loaded.id() > MaterialFactory::largestId ? MaterialFactory::largestIdText()
                                                      : MaterialFactory::noFreeIdText());
}

MaterialReconciler::Outcome MaterialReconciler::reconcile(const Material &loaded)
{
    if (loaded.id() == 0 || loaded.name().isEmpty())
        return Outcome::Invalid;
    auto catalogue = MaterialFactory::instance();
    const Material byId = catalogue->getMaterial(loaded.id());
    const Material byName = catalogue->getMaterialByName(loaded.name());

    // No cell holds an identifier beyond the catalogue's range: such a material is known by its name,
    // or its cells stay empty.
    if (loaded.id() > MaterialFactory::largestId && byName.id() == 0) {
        m_table.set(loaded.id(), 0);
        return Outcome::Refused;
    }
    if (byId.id() == 0 && byName.id() == 0) {
        catalogue->setMaterial(loaded);
        m_table.set(loaded.id(), loaded.id());
        return Outcome::Added;
    }
    if (byId.id() == 0) {
        m_table.set(loaded.id(), byName.id());
        return Outcome::MappedByName;
    }
    if (byId.name() == loaded.name()) {
        m_table.set(loaded.id(), loaded.id());
        return Outcome::Same;
    }
    std::optional<ConflictDecision> decision;
    if (m_resolver)
        decision = m_resolver(byId, loaded);
    const uint32_t target = apply(decision.value_or(ConflictDecision{ConflictChoice::AddLoadedAsNew, 0}), byId, loaded);
    return target == 0 ? Outcome::Refused : Outcome::Conflict;
}

uint32_t MaterialReconciler::apply(const ConflictDecision &decision, const Material &existing, const Material &loaded)
{
    auto catalogue = MaterialFactory::instance();
    ConflictChoice choice = decision.choice;
    // The dialog offers only catalogue materials; anything else is treated like no answer.
    if (choice == ConflictChoice::ReplaceLoadedByAnother && catalogue->getMaterial(decision.alternateId).id() == 0)
        choice = ConflictChoice::AddLoadedAsNew;

    uint32_t target = loaded.id();
    switch (choice) {
    case ConflictChoice::ReplaceLoadedByExisting:
        target = existing.id();
        break;
    case ConflictChoice::ReplaceExistingByLoaded:
        catalogue->setMaterial(loaded);
        target = loaded.id();
        break;
    case ConflictChoice::ReplaceLoadedByAnother:
        target = decision.alternateId;
        break;
    case ConflictChoice::AddLoadedAsNew: {
        const std::optional<uint32_t> id = catalogue->generateMaterialId();
        // Keeping the loaded identifier would show the cells as the other material: leave them empty.
        target = id.value_or(0);
        if (id) {
            Material added = loaded;
            added.setId(*id);
            catalogue->setMaterial(added);
        }
        break;
    }
    }
    m_table.set(loaded.id(), target);
    return target;
}

} // namespace Persistence
} // namespace Model
