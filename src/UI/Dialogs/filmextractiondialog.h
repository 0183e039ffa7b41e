#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;

namespace Ui {
namespace Operations {

/// Options of film extraction: the material of the film (any of the catalogue) and whether the
/// film is turned upside down once it is out.
class FilmExtractionDialog : public QDialog {
    Q_OBJECT
    // Its remembered values are kept under its former name.
    Q_CLASSINFO("rememberedAs", "Ui::Operations::ExtractFilmDialog")
public:
    explicit FilmExtractionDialog(QWidget *parent = nullptr);

    uint32_t material() const;
    bool invert() const;

private:
    QComboBox *cbxMaterial;
    QCheckBox *chkInvert;
};

} // namespace Operations
} // namespace Ui
