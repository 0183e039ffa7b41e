#include "bsptree.h"

#include <utility>

namespace Model {
namespace Geometry {

std::shared_ptr<BSPTree> BSPTree::build(const std::vector<QuadFace> &faces)
{
    if (faces.empty())
        return nullptr;

    std::shared_ptr<BSPTree> tree(new BSPTree);
    tree->m_faces = faces;
    std::vector<uint32_t> all(faces.size());
    for (uint32_t i = 0; i < all.size(); ++i)
        all[i] = i;

    tree->m_root = std::make_shared<Node>();
    std::vector<std::pair<Node *, std::vector<uint32_t>>> pending;
    pending.emplace_back(tree->m_root.get(), std::move(all));

    while (!pending.empty()) {
        Node *node = pending.back().first;
        std::vector<uint32_t> list = std::move(pending.back().second);
        pending.pop_back();

        const QuadFace &splitter = tree->m_faces[list.front()];
        const float *n = splitter.normal;
        const float *p = splitter.corners[0];
        node->plane =
            Util::Vector4D(n[0], n[1], n[2], -(double(n[0]) * p[0] + double(n[1]) * p[1] + double(n[2]) * p[2]));
        node->faces.push_back(list.front());

        std::vector<uint32_t> front;
        std::vector<uint32_t> back;
        for (size_t i = 1; i < list.size(); ++i) {
            const QuadFace &face = tree->m_faces[list[i]];
            int inFront = 0;
            int behind = 0;
            for (const auto &corner : face.corners) {
                const double s = distance(node->plane, corner[0], corner[1], corner[2]);
                if (s > tolerance)
                    ++inFront;
                else if (s < -tolerance)
                    ++behind;
            }
            if (inFront > 0 && behind > 0)
                throw BSPTreeError();
            if (inFront > 0)
                front.push_back(list[i]);
            else if (behind > 0)
                back.push_back(list[i]);
            else
                node->faces.push_back(list[i]);
        }
        if (!front.empty()) {
            node->front = std::make_shared<Node>();
            pending.emplace_back(node->front.get(), std::move(front));
        }
        if (!back.empty()) {
            node->back = std::make_shared<Node>();
            pending.emplace_back(node->back.get(), std::move(back));
        }
    }
    return tree;
}

BSPTree::~BSPTree()
{
    // Take the nodes apart one by one: a chain of shared pointers would otherwise be released recursively.
    std::vector<std::shared_ptr<Node>> pending;
    if (m_root)
        pending.push_back(std::move(m_root));
    while (!pending.empty()) {
        std::shared_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        if (node->front)
            pending.push_back(std::move(node->front));
        if (node->back)
            pending.push_back(std::move(node->back));
    }
}

std::vector<uint32_t> BSPTree::backToFront(const Util::Vector4D &eye) const
{
    std::vector<uint32_t> order;
    order.reserve(m_faces.size());
    // Each entry is a node still to visit, or (emit == true) a node whose own faces are due.
    struct Step {
        const Node *node;
        bool emit;
    };
    std::vector<Step> stack;
    if (m_root)
        stack.push_back({m_root.get(), false});
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (step.emit) {
            order.insert(order.end(), step.node->faces.begin(), step.node->faces.end());
            continue;
        }
        const Node *node = step.node;
        const double s = distance(node->plane, eye.x, eye.y, eye.z);
        // The far side first: pushed last-to-first because the stack runs backwards.
        const Node *farSide = s < -tolerance ? node->front.get() : node->back.get();
        const Node *nearSide = s < -tolerance ? node->back.get() : node->front.get();
        if (nearSide)
            stack.push_back({nearSide, false});
        stack.push_back({node, true});
        if (farSide)
            stack.push_back({farSide, false});
    }
    return order;
}

} // namespace Geometry
} // namespace Model
