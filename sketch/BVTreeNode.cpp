#include "sketch/BVTreeNode.h"

#include <GL/gl.h>

namespace vynsketch {

void BVTreeNode::DeleteChildren()
{
    BVTreeNode* children[2] = {GetLeft(), GetRight()};
    for (BVTreeNode* child : children) {
        if (!child) continue;
        child->DeleteChildren();
        delete child;
    }
    ForgetChildren();
}

void BVTreeNode::DrawGL(unsigned int depth, unsigned int maxDepth, bool leavesOnly)
{
    Wml::Box2<float>* box = GetBox();
    if (!box || depth > maxDepth) return;
    BVTreeNode* left = GetLeft();
    BVTreeNode* right = GetRight();
    if (!leavesOnly || !left || !right) {
        Wml::Vector2<float> corners[4];
        box->ComputeVertices(corners);
        glBegin(GL_LINE_LOOP);
        for (const Wml::Vector2<float>& c : corners) glVertex2f(c.X(), c.Y());
        glEnd();
    }
    if (left) left->DrawGL(depth + 1, maxDepth, leavesOnly);
    if (right) right->DrawGL(depth + 1, maxDepth, leavesOnly);
}

}  // namespace vynsketch
