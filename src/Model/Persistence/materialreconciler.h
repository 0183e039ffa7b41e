#pragma once

#include "Model/Materials/material.h"

#include <functional>
#include <optional>

namespace Model {
namespace Persistence {

class MaterialTranslationTable;

/// What to do with a loaded material whose identifier the catalogue knows under another name.
enum class ConflictChoice {
    ReplaceLoadedByExisting, ///< the cells get the existing material (the same identifier)
    ReplaceExistingByLoaded, ///< the catalogue entry is overwritten by the loaded material
    ReplaceLoadedByAnother,  ///< the cells get another catalogue material
    AddLoadedAsNew,          ///< the loaded material is added under a fresh identifier
};

struct ConflictDecision {
    ConflictChoice choice = ConflictChoice::ReplaceLoadedByExisting;
    /// The catalogue material for ReplaceLoadedByAnother.
    uint32_t alternateId = 0;
};

/// Asked once per conflict; no decision (dialog cancelled, nobody to ask) adds the loaded material as new.
using ConflictResolver = std::function<std::optional<ConflictDecision>(const Materials::Material &existing,
                                                                       const Materials::Material &loaded)>;

/// Reconciles the materials stored in a document with the catalogue and fills the translation table.
class MaterialReconciler {
public:
    enum class Outcome {
        Invalid,      ///< identifier 0 or no name: nothing was translated
        Added,        ///< unknown material, stored in the catalogue under its own identifier
        MappedByName, ///< unknown identifier, known name: mapped onto the catalogue's material
        Same,         ///< same identifier and name: kept
        Conflict,     ///< same identifier, other name: resolved by a choice
        Refused,      ///< it needed a new identifier and none was free: its cells become empty
    };

    explicit MaterialReconciler(MaterialTranslationTable &table, ConflictResolver resolver = {});

    Outcome reconcile(const Materials::Material &loaded);
    /// Carries out a conflict choice; returns the identifier the loaded cells get, 0 (empty cells)
    /// when the material needed a new identifier and none was free.
    uint32_t apply(const ConflictDecision &decision, const Materials::Material &existing,
                   const Materials::Material &loaded);

    MaterialTranslationTable &table() { return m_table; }
    static QString invalidMaterialWarning();
    /// Why a material was refused (Outcome::Refused), in words for the user: its identifier is beyond
    /// the catalogue's range, or no identifier was free for it.
    static QString refusedMaterialMessage(const Materials::Material &loaded);

private:
    MaterialTranslationTable &m_table;
    ConflictResolver m_resolver;
};

} // namespace Persistence
} // namespace Model
