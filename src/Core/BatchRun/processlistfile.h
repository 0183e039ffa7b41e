#pragma once

#include "Core/Processes/processstep.h"
#include "Model/Materials/material.h"
#include "Model/Persistence/materialreconciler.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QXmlStreamReader;

namespace Core {
namespace BatchRun {

/// Reads or writes one ".plst" file: the steps with their parameters and a copy of the material
/// catalogue, so that material identifiers can be reconciled on another installation. Make a new
/// one for every load and every save; nothing carries over from one file to the next.
class ProcessListFile {
public:
    /// What to do with a listed material whose identifier the catalogue knows under another name.
    enum class ConflictChoice {
        ReplaceLoadedByExisting,
        ReplaceExistingByLoaded,
        ReplaceLoadedByAnother,
        AddLoadedAsNew
    };
    struct ConflictAnswer {
        ConflictChoice choice = ConflictChoice::AddLoadedAsNew;
        uint32_t alternateId = 0; ///< for ReplaceLoadedByAnother
    };
    /// Asked once per conflict; without one a conflict is resolved as AddLoadedAsNew.
    using ConflictResolver = std::function<ConflictAnswer(const Model::Materials::Material &existing,
                                                          const Model::Materials::Material &loaded)>;
    /// The answer to a conflict that the material conflict dialog decided; none (the dialog was
    /// cancelled) adds the loaded material as new.
    static ConflictAnswer answerOf(const std::optional<Model::Persistence::ConflictDecision> &decision);

    explicit ProcessListFile(const QList<Processes::ProcessStep> &steps = {});

    /// Writes the steps; false (with errorString) when the file cannot be written. An existing
    /// file is replaced only when the whole list was written.
    bool save(const QString &fileName);
    /// Reads a list; on failure (unopenable file, no "Process-List", malformed XML) steps() stays
    /// as it was and errorString says why.
    bool load(const QString &fileName);

    QList<Processes::ProcessStep> steps() const { return m_steps; }
    void setConflictResolver(const ConflictResolver &resolver) { m_resolver = resolver; }
    /// True when the loaded list was in the old format and at least one parameter was renamed.
    bool wasUpgraded() const { return m_upgraded; }
    /// One line per material conflict and how it was resolved, and per material identifier that
    /// the list's own materials do not describe.
    QStringList materialReport() const { return m_materialReport; }
    QString errorString() const { return m_error; }
    int version() const { return m_version; }
    QMap<uint32_t, uint32_t> translation() const { return m_translation; }

    static QString upgradeTitle() { return QStringLiteral("Updated List"); }
    static QString upgradeText()
    {
        return QStringLiteral("The process list you loaded is in an old format. It has been updated automatically. We "
                              "recommend you save this updated version.");
    }

    /// The text form of a value and its type name, as stored in "parameter-data" and "parameter-type".
    static QString valueTypeName(const QVariant &value);
    static QString valueText(const QVariant &value);
    /// Back from the two attributes; an invalid variant for an unknown type name. A number that
    /// does not convert reads as 0 and clears `converted` (a vector: any of its three parts).
    static QVariant valueFromText(const QString &typeName, const QString &data, bool *converted = nullptr);

private:
    void readMaterials(QXmlStreamReader &reader);
    void reconcile(const Model::Materials::Material &loaded);
    Processes::ProcessStep readStep(QXmlStreamReader &reader);
    QList<Processes::ProcessStep> upgrade(const QList<Processes::ProcessStep> &steps);
    void synchroniseMaterials(QList<Processes::ProcessStep> &steps);

    QList<Processes::ProcessStep> m_steps;
    QMap<uint32_t, uint32_t> m_translation;
    int m_version = 0;
    bool m_upgraded = false;
    ConflictResolver m_resolver;
    QStringList m_materialReport;
    QString m_error;
};

} // namespace BatchRun
} // namespace Core
