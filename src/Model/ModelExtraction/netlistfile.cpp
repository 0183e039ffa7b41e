#include "netlistfile.h"

#include "Util/safefile.h"

namespace Model {
namespace ModelExtraction {
namespace NetlistFile {

bool write(const QString &fileName, const QString &text, QString *reason)
{
    Util::SafeFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.device()->write(bytes) != bytes.size()) {
        const QString failed = file.cancel(QStringLiteral("the netlist could not be written."));
        if (reason)
            *reason = failed;
        return false;
    }
    if (!file.commit()) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace NetlistFile
} // namespace ModelExtraction
} // namespace Model
