#pragma once

#include <QWidget>

class QLineEdit;

namespace Ui {

/// The "Images folder" row of the Batch Run dialog: the folder in which the "Save Image" steps of a
/// list save their images (a list names files in it, nothing elsewhere). Left empty, the folder of
/// the list file is used, or the working folder while the list has none.
class ImagesFolderField : public QWidget {
    Q_OBJECT
public:
    explicit ImagesFolderField(QWidget *parent = nullptr);

    /// The list whose folder is the default.
    void setListFile(const QString &fileName) { m_listFile = fileName; }
    /// The folder chosen, or the default.
    QString folder() const;

private:
    void browse();

    QLineEdit *m_edit;
    QString m_listFile;
};

} // namespace Ui
