#include "wml/Polygon2.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace Wml {

namespace {

template <class Real>
bool IsFinite(const Vector2<Real>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]);
}

// Squared distance from p to the segment [a, b]; a zero-length segment is
// treated as the point a.
template <class Real>
Real SqrDistanceToSegment(const Vector2<Real>& p, const Vector2<Real>& a, const Vector2<Real>& b)
{
    Vector2<Real> d = b - a;
    Vector2<Real> ap = p - a;
    Real len2 = d.SquaredLength();
    if (len2 > Real(0)) {
        Real s = ap.Dot(d) / len2;
        if (s >= Real(1)) return (p - b).SquaredLength();
        if (s > Real(0)) return (ap - d * s).SquaredLength();
    }
    return ap.SquaredLength();
}

// Splits a line into blank-separated tokens.
std::vector<std::string_view> Tokenize(std::string_view line)
{
    std::vector<std::string_view> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

// Next line with at least one token; false at the end of the stream.
bool NextTokens(std::istream& in, std::string& buffer, std::vector<std::string_view>& tokens)
{
    while (std::getline(in, buffer)) {
        tokens = Tokenize(buffer);
        if (!tokens.empty()) return true;
    }
    return false;
}

// Whole-token number parsing; from_chars ignores the locale, so a host
// application with a comma decimal separator reads the same files.
bool ParseUnsigned(std::string_view token, unsigned long long& value)
{
    const char* end = token.data() + token.size();
    auto result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

template <class Real>
bool ParseReal(std::string_view token, Real& value)
{
    const char* end = token.data() + token.size();
    auto result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

template <class Real>
void AppendReal(std::string& out, Real value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    out.append(buffer, result.ptr);
}

}  // namespace

template <class Real>
Polygon2<Real>::Polygon2(const std::vector<Vector2<Real>>& vertices)
{
    SetVertices(vertices);
}

template <class Real>
bool Polygon2<Real>::AddVertex(const Vector2<Real>& v)
{
    if (!IsFinite(v)) return false;
    m_vertices.push_back(v);
    return true;
}

template <class Real>
bool Polygon2<Real>::SetVertices(const std::vector<Vector2<Real>>& vertices)
{
    for (const Vector2<Real>& v : vertices)
        if (!IsFinite(v)) return false;
    m_vertices = vertices;
    return true;
}

template <class Real>
bool Polygon2<Real>::SetVertex(unsigned i, const Vector2<Real>& v)
{
    if (i >= m_vertices.size() || !IsFinite(v)) return false;
    m_vertices[i] = v;
    return true;
}

template <class Real>
const Vector2<Real>& Polygon2<Real>::Vertex(unsigned i) const
{
    if (i >= m_vertices.size()) return Vector2<Real>::ZERO;
    return m_vertices[i];
}

template <class Real>
Real Polygon2<Real>::SignedArea() const
{
    const size_t n = m_vertices.size();
    if (n < 3) return Real(0);
    // Relative to vertex 0 so that polygons far from the origin keep their
    // precision.
    const Vector2<Real>& o = m_vertices[0];
    Real twice = Real(0);
    for (size_t i = 1; i + 1 < n; ++i) twice += (m_vertices[i] - o).Kross(m_vertices[i + 1] - o);
    return Real(0.5) * twice;
}

template <class Real>
Real Polygon2<Real>::Area() const
{
    return std::fabs(SignedArea());
}

template <class Real>
bool Polygon2<Real>::IsClockwise() const
{
    return SignedArea() < Real(0);
}

template <class Real>
void Polygon2<Real>::FlipOrientation()
{
    if (m_vertices.size() > 2) std::reverse(m_vertices.begin() + 1, m_vertices.end());
}

template <class Real>
bool Polygon2<Real>::IsInside(const Vector2<Real>& p) const
{
    const size_t n = m_vertices.size();
    if (n < 3 || !IsFinite(p)) return false;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Vector2<Real>& a = m_vertices[j];
        const Vector2<Real>& b = m_vertices[i];
        if ((a.Y() > p.Y()) == (b.Y() > p.Y())) continue;
        // Compute the crossing from the lower end so that an edge shared by
        // two polygons (and walked in opposite directions) gives the same x.
        const Vector2<Real>& lo = a.Y() < b.Y() ? a : b;
        const Vector2<Real>& hi = a.Y() < b.Y() ? b : a;
        Real x = lo.X() + (p.Y() - lo.Y()) * (hi.X() - lo.X()) / (hi.Y() - lo.Y());
        if (p.X() < x) inside = !inside;
    }
    return inside;
}

template <class Real>
unsigned Polygon2<Real>::Simplify(bool aggressive)
{
    const size_t n = m_vertices.size();
    if (n <= 3) return 0;

    AxisAlignedBox2<Real> box = GetBoundingBox();
    Real diag = (box.MaxCorner() - box.MinCorner()).Length();
    if (!(diag > Real(0)) || !std::isfinite(diag)) return 0;
    const Real tol = diag * (aggressive ? Real(1e-3) : Real(1e-5));
    const Real tol2 = tol * tol;

    // Anchors: the lexicographically smallest vertex is a hull corner, and
    // the vertex farthest from it is another; both certainly survive.
    size_t a = 0;
    for (size_t i = 1; i < n; ++i)
        if (m_vertices[i] < m_vertices[a]) a = i;
    size_t b = a;
    Real far2 = Real(0);
    for (size_t i = 0; i < n; ++i) {
        Real d2 = (m_vertices[i] - m_vertices[a]).SquaredLength();
        if (d2 > far2) {
            far2 = d2;
            b = i;
        }
    }
    if (far2 <= tol2) return 0;

    std::vector<char> keep(n, 0);
    keep[a] = keep[b] = 1;

    // Douglas-Peucker over cyclic index ranges, with an explicit stack so a
    // long outline cannot exhaust the call stack. Ranges are (first, count of
    // steps to last).
    std::vector<std::pair<size_t, size_t>> stack;
    stack.emplace_back(a, (b + n - a) % n);
    stack.emplace_back(b, (a + n - b) % n);
    while (!stack.empty()) {
        auto [first, steps] = stack.back();
        stack.pop_back();
        if (steps < 2) continue;
        const Vector2<Real>& p0 = m_vertices[first];
        const Vector2<Real>& p1 = m_vertices[(first + steps) % n];
        size_t best = 0;
        Real bestD2 = Real(-1);
        size_t bestMid = 0;
        for (size_t k = 1; k < steps; ++k) {
            Real d2 = SqrDistanceToSegment(m_vertices[(first + k) % n], p0, p1);
            // Among equal distances prefer the most central split; exact ties
            // are common on grid data and would otherwise make the
            // recursion lopsided.
            size_t mid = k < steps - k ? k : steps - k;
            if (d2 > bestD2 || (d2 == bestD2 && mid > bestMid)) {
                bestD2 = d2;
                best = k;
                bestMid = mid;
            }
        }
        if (bestD2 > tol2) {
            keep[(first + best) % n] = 1;
            stack.emplace_back(first, best);
            stack.emplace_back((first + best) % n, steps - best);
        }
    }

    size_t kept = 0;
    for (char k : keep) kept += k ? 1 : 0;
    if (kept < 3) {
        // Flat polygon: keep a third vertex, the one farthest from the line
        // through the anchors, so the result is still a polygon.
        Vector2<Real> axis = m_vertices[b] - m_vertices[a];
        size_t c = n;
        Real bestD = Real(-1);
        for (size_t i = 0; i < n; ++i) {
            if (keep[i]) continue;
            Real d = std::fabs(axis.Kross(m_vertices[i] - m_vertices[a]));
            if (d > bestD) {
                bestD = d;
                c = i;
            }
        }
        if (c < n) keep[c] = 1;
    }

    std::vector<Vector2<Real>> result;
    result.reserve(n);
    for (size_t i = 0; i < n; ++i)
        if (keep[i]) result.push_back(m_vertices[i]);
    unsigned removed = static_cast<unsigned>(n - result.size());
    m_vertices.swap(result);
    return removed;
}

template <class Real>
AxisAlignedBox2<Real> Polygon2<Real>::GetBoundingBox() const
{
    AxisAlignedBox2<Real> box;
    for (const Vector2<Real>& v : m_vertices) box.Merge(v);
    return box;
}

template <class Real>
Vector2<Real> Polygon2<Real>::Centroid() const
{
    const size_t n = m_vertices.size();
    if (n == 0) return Vector2<Real>::ZERO;
    const Vector2<Real>& o = m_vertices[0];

    if (n >= 3) {
        Real twiceArea = Real(0);
        Vector2<Real> sum = Vector2<Real>::ZERO;
        for (size_t i = 1; i + 1 < n; ++i) {
            Vector2<Real> p = m_vertices[i] - o;
            Vector2<Real> q = m_vertices[i + 1] - o;
            Real c = p.Kross(q);
            twiceArea += c;
            sum += (p + q) * c;
        }
        AxisAlignedBox2<Real> box = GetBoundingBox();
        Real size2 = (box.MaxCorner() - box.MinCorner()).SquaredLength();
        // A sliver has no meaningful area centroid; fall through to the
        // outline's centroid rather than divide by rounding noise.
        if (std::fabs(twiceArea) > Real(64) * std::numeric_limits<Real>::epsilon() * size2)
            return o + sum / (Real(3) * twiceArea);
    }

    Real length = Real(0);
    Vector2<Real> sum = Vector2<Real>::ZERO;
    for (size_t i = 0; i < n; ++i) {
        Vector2<Real> p = m_vertices[i] - o;
        Vector2<Real> q = m_vertices[(i + 1) % n] - o;
        Real l = (q - p).Length();
        length += l;
        sum += (p + q) * (Real(0.5) * l);
    }
    if (length > Real(0)) return o + sum / length;

    Vector2<Real> mean = Vector2<Real>::ZERO;
    for (const Vector2<Real>& v : m_vertices) mean += v - o;
    return o + mean / Real(n);
}

template <class Real>
Real Polygon2<Real>::Perimeter() const
{
    const size_t n = m_vertices.size();
    if (n < 2) return Real(0);
    Real length = Real(0);
    for (size_t i = 0; i < n; ++i) length += (m_vertices[(i + 1) % n] - m_vertices[i]).Length();
    return length;
}

template <class Real>
bool Polygon2<Real>::Translate(const Vector2<Real>& d)
{
    if (!IsFinite(d)) return false;
    std::vector<Vector2<Real>> moved(m_vertices);
    for (Vector2<Real>& v : moved) {
        v += d;
        if (!IsFinite(v)) return false;
    }
    m_vertices.swap(moved);
    return true;
}

template <class Real>
bool Polygon2<Real>::Scale(Real s)
{
    return Scale(s, s);
}

template <class Real>
bool Polygon2<Real>::Scale(Real sx, Real sy)
{
    if (!std::isfinite(sx) || !std::isfinite(sy)) return false;
    std::vector<Vector2<Real>> scaled(m_vertices);
    for (Vector2<Real>& v : scaled) {
        v = Vector2<Real>(v.X() * sx, v.Y() * sy);
        if (!IsFinite(v)) return false;
    }
    m_vertices.swap(scaled);
    return true;
}

template <class Real>
bool Polygon2<Real>::Transform(const Matrix3<Real>& m)
{
    std::vector<Vector2<Real>> out;
    out.reserve(m_vertices.size());
    for (const Vector2<Real>& v : m_vertices) {
        Vector3<Real> h = m * Vector3<Real>(v.X(), v.Y(), Real(1));
        if (!std::isfinite(h.Z()) || h.Z() == Real(0)) return false;
        Vector2<Real> p(h.X() / h.Z(), h.Y() / h.Z());
        if (!IsFinite(p)) return false;
        out.push_back(p);
    }
    m_vertices.swap(out);
    return true;
}

template <class Real>
bool Polygon2<Real>::Load(const char* path)
{
    // Opening a FIFO would block until someone writes to it.
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return false;
    return Read(in);
}

template <class Real>
bool Polygon2<Real>::Read(std::istream& in)
{
    std::string buffer;
    std::vector<std::string_view> tokens;

    if (!NextTokens(in, buffer, tokens)) return false;
    if (tokens.size() != 2 || tokens[0] != "poly2d" || tokens[1] != "1") return false;

    if (!NextTokens(in, buffer, tokens) || tokens.size() != 1) return false;
    unsigned long long count = 0;
    if (!ParseUnsigned(tokens[0], count)) return false;
    if (count < 3 || count > MAX_FILE_VERTICES) return false;

    // Grow as lines arrive rather than trusting the declared count with a
    // big allocation up front.
    std::vector<Vector2<Real>> vertices;
    vertices.reserve(static_cast<size_t>(std::min<unsigned long long>(count, 4096)));
    for (unsigned long long i = 0; i < count; ++i) {
        if (!NextTokens(in, buffer, tokens) || tokens.size() != 2) return false;
        Real x, y;
        if (!ParseReal(tokens[0], x) || !ParseReal(tokens[1], y)) return false;
        vertices.emplace_back(x, y);
    }
    // More data than declared means the count cannot be trusted either.
    if (NextTokens(in, buffer, tokens)) return false;
    if (in.bad()) return false;

    m_vertices.swap(vertices);
    return true;
}

template <class Real>
bool Polygon2<Real>::Save(const char* path) const
{
    if (!path || !*path || m_vertices.size() < 3) return false;
    const std::string target(path);
    const std::string temp = target + ".tmp";
    {
        std::ofstream out(temp, std::ios::out | std::ios::binary | std::ios::trunc);
        if (!out) return false;
        bool ok = Write(out);
        out.close();
        if (!ok || out.fail()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

template <class Real>
bool Polygon2<Real>::Write(std::ostream& out) const
{
    if (m_vertices.size() < 3) return false;
    std::string text = "poly2d 1\n" + std::to_string(m_vertices.size()) + "\n";
    for (const Vector2<Real>& v : m_vertices) {
        AppendReal(text, v.X());
        text += ' ';
        AppendReal(text, v.Y());
        text += '\n';
        if (text.size() > 65536) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

template class Polygon2<float>;
template class Polygon2<double>;

}  // namespace Wml
