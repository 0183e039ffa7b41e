#include "object.h"

#include <atomic>

namespace Model {

namespace {
std::atomic<uint32_t> nextObjectId{0};
} // namespace

Object::Object()
    : m_color(Util::ColorTable::DefaultObjectColor, 0),
      m_outlineColor(Util::ColorTable::DefaultObjectOutlineColor, 0),
      m_id(nextObjectId.fetch_add(1))
{
}

void highlightColor(float color[3])
{
    for (int i = 0; i < 3; ++i) {
        const double c = color[i];
        color[i] = static_cast<float>(c >= 0.7 ? c - 0.7 : c + 0.3);
    }
}

} // namespace Model
