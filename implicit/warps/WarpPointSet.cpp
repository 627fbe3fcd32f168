#include "implicit/warps/WarpPointSet.h"

#include <cmath>

namespace vynimplicit {

namespace {

bool Finite(const Wml::Vector3f& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

bool WarpPointSet::AddPoint(const Wml::Vector3f& from, const Wml::Vector3f& to)
{
    if (!Finite(from) || !Finite(to) || m_from.size() >= MAX_POINTS) return false;
    m_from.push_back(from);
    m_to.push_back(to);
    return true;
}

bool WarpPointSet::SetPoint(unsigned int index, const Wml::Vector3f& from, const Wml::Vector3f& to)
{
    if (index >= m_from.size() || !Finite(from) || !Finite(to)) return false;
    m_from[index] = from;
    m_to[index] = to;
    return true;
}

bool WarpPointSet::GetPoint(unsigned int index, Wml::Vector3f& from, Wml::Vector3f& to) const
{
    if (index >= m_from.size()) return false;
    from = m_from[index];
    to = m_to[index];
    return true;
}

Wml::Vector3f WarpPointSet::GetFrom(unsigned int index) const
{
    return index < m_from.size() ? m_from[index] : Wml::Vector3f::ZERO;
}

Wml::Vector3f WarpPointSet::GetTo(unsigned int index) const
{
    return index < m_to.size() ? m_to[index] : Wml::Vector3f::ZERO;
}

bool WarpPointSet::RemovePoint(unsigned int index)
{
    if (index >= m_from.size()) return false;
    m_from.erase(m_from.begin() + index);
    m_to.erase(m_to.begin() + index);
    return true;
}

void WarpPointSet::Clear()
{
    m_from.clear();
    m_to.clear();
}

bool WarpPointSet::IsIdentity() const
{
    for (size_t i = 0; i < m_from.size(); ++i)
        if (m_from[i] != m_to[i]) return false;
    return true;
}

}  // namespace vynimplicit
