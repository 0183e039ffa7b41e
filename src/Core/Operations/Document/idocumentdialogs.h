#pragma once

#include <QString>

#include <memory>

namespace Core {
namespace Operations {

/// The questions and notices of the document operations. The user interface answers with file
/// dialogs and message boxes; tests and the batch runner answer without widgets.
class IDocumentDialogs {
public:
    virtual ~IDocumentDialogs() = default;
    /// The chosen file name, or empty when the user cancelled.
    virtual QString saveFileName(const QString &title, const QString &folder, const QString &filter) = 0;
    virtual QString openFileName(const QString &title, const QString &folder, const QString &filter) = 0;
    virtual void showInformation(const QString &title, const QString &text) = 0;
    virtual void showWarning(const QString &title, const QString &text) = 0;
};

using DocumentDialogsPtr = std::shared_ptr<IDocumentDialogs>;

/// The filter of every document file dialog.
inline QString documentFileFilter() { return QStringLiteral("Cellforge file (*.cfw)"); }

} // namespace Operations
} // namespace Core
