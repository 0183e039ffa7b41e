#pragma once

#include <QString>
#include <QVector>

#include <cstdint>

namespace Core {
namespace Operations {

/// A first pass over the records of a GDSII file, checking what the reading library takes on trust
/// before the file is handed to it: that the records are whole, that every reference names a
/// structure of the file, that references form no cycle and do not nest or multiply beyond reason
/// (the library exits the program on an unknown name and overflows its stack on a cycle). It also
/// keeps the reflection bit of every reference, which the library reads from the wrong byte.
class GdsRecordScan {
public:
    /// One structure: for every element in file order, whether it is a reflected reference.
    struct Structure {
        QByteArray name;
        QVector<bool> reflected;
    };

    /// More shapes than this once every reference and array is expanded: refused.
    static constexpr double maxExpandedShapes = 4.0e6;
    /// Deeper nesting of references than this: refused.
    static constexpr int maxDepth = 64;

    /// Scans the file; false with errorString() when it is not a GDSII file or is refused.
    bool scan(const QString &fileName);
    QString errorString() const { return m_error; }
    const QVector<Structure> &structures() const { return m_structures; }

private:
    struct Element {
        bool isReference = false;
        bool reflected = false;
        QByteArray target;
        double copies = 1.0;
    };
    bool parse(const QByteArray &data);
    bool checkReferences();
    bool fail(const QString &message);

    QVector<Structure> m_structures;
    QVector<QVector<Element>> m_elements;
    QString m_error;
};

} // namespace Operations
} // namespace Core
