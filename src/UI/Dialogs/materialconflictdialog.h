#pragma once

#include "Model/Materials/material.h"
#include "Model/Persistence/materialreconciler.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QRadioButton;

namespace Ui {

/// Asks what to do with a loaded material whose identifier the catalogue holds under another name.
class MaterialConflictDialog : public QDialog {
    Q_OBJECT
public:
    MaterialConflictDialog(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                           QWidget *parent = nullptr);

    /// The checked choice (and the replacement material for the third one).
    Model::Persistence::ConflictDecision decision() const;

    /// Runs the dialog modally; no decision when it was cancelled.
    static std::optional<Model::Persistence::ConflictDecision>
    ask(const Model::Materials::Material &existing, const Model::Materials::Material &loaded, QWidget *parent);
    /// A resolver that asks with this dialog every time.
    static Model::Persistence::ConflictResolver resolver(QWidget *parent);

private:
    QRadioButton *m_radReplaceLoadedByExisting;
    QRadioButton *m_radReplaceExistingByLoaded;
    QRadioButton *m_radReplaceLoadedByAnother;
    QRadioButton *m_radAddLoadedAsNew;
    QComboBox *m_cbxAlternateMaterial;
};

} // namespace Ui
