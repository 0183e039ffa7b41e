#include "surfacemeshfile.h"

#include "Model/Surfaces/surfacemesh.h"
#include "Util/failuretext.h"
#include "Util/safefile.h"

#include <QByteArray>
#include <QFileInfo>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace Model {
namespace Persistence {

using Automaton::SurfaceMesh;

namespace {

// Little-endian binary, built in a buffer and handed to the file in large pieces.
class LittleEndianWriter {
public:
    explicit LittleEndianWriter(QIODevice &device)
        : m_device(device)
    {
        m_buffer.reserve(capacity + 64);
    }
    void bytes(const char *data, int size)
    {
        m_buffer.append(data, size);
        if (m_buffer.size() >= capacity)
            flush();
    }
    void u8(uint8_t value) { bytes(reinterpret_cast<const char *>(&value), 1); }
    void u16(uint16_t value)
    {
        const uint16_t le = qToLittleEndian(value);
        bytes(reinterpret_cast<const char *>(&le), 2);
    }
    void u32(uint32_t value)
    {
        const uint32_t le = qToLittleEndian(value);
        bytes(reinterpret_cast<const char *>(&le), 4);
    }
    void f32(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        u32(bits);
    }
    bool flush()
    {
        if (!m_buffer.isEmpty() && m_device.write(m_buffer) != m_buffer.size())
            m_failed = true;
        m_buffer.clear();
        return !m_failed;
    }

private:
    static constexpr int capacity = 1 << 20;
    QIODevice &m_device;
    QByteArray m_buffer;
    bool m_failed = false;
};

size_t triangleTotal(const std::vector<const SurfaceMesh *> &meshes)
{
    size_t total = 0;
    for (const SurfaceMesh *mesh : meshes)
        total += mesh->triangleCount();
    return total;
}

void writeStl(const std::vector<const SurfaceMesh *> &meshes, LittleEndianWriter &out)
{
    // The header must not begin with "solid": readers would take the file for text.
    QByteArray header("Cellforge surface, binary STL");
    header.append(QByteArray(80 - header.size(), ' '));
    out.bytes(header.constData(), 80);
    out.u32(uint32_t(triangleTotal(meshes)));
    for (const SurfaceMesh *mesh : meshes) {
        for (size_t t = 0; t < mesh->triangleCount(); ++t) {
            const auto &corners = mesh->triangle(t);
            std::array<double, 3> p[3];
            for (int v = 0; v < 3; ++v)
                p[v] = mesh->vertex(corners[v]);
            const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
            const double w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
            double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double &c : n)
                c = length > 0 ? c / length : 0.0;
            for (double c : n)
                out.f32(float(c));
            for (int v = 0; v < 3; ++v)
                for (int i = 0; i < 3; ++i)
                    out.f32(float(p[v][i]));
            out.u16(0);
        }
    }
}

void writePly(const std::vector<const SurfaceMesh *> &meshes, LittleEndianWriter &out)
{
    size_t vertices = 0;
    for (const SurfaceMesh *mesh : meshes)
        vertices += mesh->vertexCount();
    const QByteArray header = QStringLiteral("ply\n"
                                             "format binary_little_endian 1.0\n"
                                             "comment Cellforge surface\n"
                                             "element vertex %1\n"
                                             "property float x\n"
                                             "property float y\n"
                                             "property float z\n"
                                             "element face %2\n"
                                             "property list uchar int vertex_indices\n"
                                             "property uchar red\n"
                                             "property uchar green\n"
                                             "property uchar blue\n"
                                             "end_header\n")
                                  .arg(vertices)
                                  .arg(triangleTotal(meshes))
                                  .toLatin1();
    out.bytes(header.constData(), header.size());
    for (const SurfaceMesh *mesh : meshes) {
        for (size_t i = 0; i < mesh->vertexCount(); ++i) {
            for (double c : mesh->vertex(i))
                out.f32(float(c));
        }
    }
    uint32_t first = 0;
    for (const SurfaceMesh *mesh : meshes) {
        for (size_t t = 0; t < mesh->triangleCount(); ++t) {
            out.u8(3);
            for (uint32_t v : mesh->triangle(t))
                out.u32(first + v);
            for (uint8_t c : mesh->color(t))
                out.u8(c);
        }
        first += uint32_t(mesh->vertexCount());
    }
}

} // namespace

SurfaceMeshFile::Format SurfaceMeshFile::formatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("stl"))
        return Format::Stl;
    if (suffix == QLatin1String("ply"))
        return Format::Ply;
    return Format::Unknown;
}

QString SurfaceMeshFile::exportError(const QString &fileName, const QString &reason)
{
    return QStringLiteral(
               "The surface could not be exported to \"%1\": %2\nAny earlier file of that name is unchanged.")
        .arg(fileName, reason);
}

QString SurfaceMeshFile::refusal(const QString &fileName)
{
    if (formatOf(fileName) == Format::Unknown)
        return QStringLiteral("the file name must end in .stl (binary STL) or .ply (PLY with face colours).");
    return Util::SafeFile::refusal(fileName);
}

bool SurfaceMeshFile::write(const std::vector<const SurfaceMesh *> &meshes, const QString &fileName, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = exportError(fileName, reason);
        return false;
    };
    const QString refused = refusal(fileName);
    if (!refused.isEmpty())
        return fail(refused);
    size_t vertices = 0;
    for (const SurfaceMesh *mesh : meshes)
        vertices += mesh->vertexCount();
    if (triangleTotal(meshes) > std::numeric_limits<uint32_t>::max() ||
        vertices > size_t(std::numeric_limits<int32_t>::max()))
        return fail(QStringLiteral("the surface has more triangles than the file format can count."));

    Util::SafeFile file(fileName);
    if (!file.open())
        return fail(file.errorString());
    try {
        LittleEndianWriter out(*file.device());
        if (formatOf(fileName) == Format::Stl)
            writeStl(meshes, out);
        else
            writePly(meshes, out);
        if (!out.flush())
            return fail(file.cancel(QStringLiteral("the mesh could not be written.")));
    } catch (const std::exception &problem) {
        file.cancel();
        return fail(Util::failureText(problem, QStringLiteral("write the file")));
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Persistence
} // namespace Model
