#pragma once
// Evaluates one field from several threads at once and compares every answer
// with the answers a single thread gets from an identical field. Shared by the
// implicit-field and the tree tests.

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"

namespace concurrent {

/// Everything one point asks of a field.
struct Answer {
    float value = 0.0f;
    float gradientValue = 0.0f;
    float g[3] = {0.0f, 0.0f, 0.0f};
    float colour[3] = {0.0f, 0.0f, 0.0f};
};

/// Bitwise equality, so that a NaN or a -0 slipping in is caught as well.
inline bool SameBits(const Answer& a, const Answer& b)
{
    return std::memcmp(&a, &b, sizeof(Answer)) == 0;
}

inline Answer Ask(vynimplicit::ScalarField& field, const Wml::Vector3<float>& p)
{
    Answer a;
    a.value = field.Value(p.X(), p.Y(), p.Z());
    field.Gradient(p.X(), p.Y(), p.Z(), a.g[0], a.g[1], a.g[2], &a.gradientValue);
    field.Color(p.X(), p.Y(), p.Z(), a.colour[0], a.colour[1], a.colour[2]);
    return a;
}

/// count points spread over box grown by a tenth of its size (so some fall
/// outside the support), or over a unit box when box is empty.
inline std::vector<Wml::Vector3<float>> ProbePoints(Wml::AxisAlignedBox3<float> box, unsigned count)
{
    if (box.IsEmpty()) box = Wml::AxisAlignedBox3<float>(-1, 1, -1, 1, -1, 1);
    std::mt19937 rng(29);
    std::vector<Wml::Vector3<float>> points(count);
    for (Wml::Vector3<float>& p : points)
        for (int a = 0; a < 3; ++a) {
            const float grow = 0.1f * (box.Max(a) - box.Min(a));
            p[a] = std::uniform_real_distribution<float>(box.Min(a) - grow, box.Max(a) + grow)(rng);
        }
    return points;
}

inline std::vector<Answer> AskAll(vynimplicit::ScalarField& field,
                                  const std::vector<Wml::Vector3<float>>& points)
{
    std::vector<Answer> answers;
    answers.reserve(points.size());
    for (const Wml::Vector3<float>& p : points) answers.push_back(Ask(field, p));
    return answers;
}

/// Every thread asks every point, each starting at its own place in the list,
/// all released at once so that the first evaluations collide.
inline std::vector<std::vector<Answer>> AskConcurrently(vynimplicit::ScalarField& field,
                                                        const std::vector<Wml::Vector3<float>>& points,
                                                        unsigned threadCount)
{
    std::vector<std::vector<Answer>> answers(threadCount, std::vector<Answer>(points.size()));
    std::atomic<unsigned> ready{0};
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < threadCount; ++t)
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < threadCount) std::this_thread::yield();
            const size_t n = points.size();
            for (size_t k = 0; k < n; ++k) {
                const size_t i = (k + t * n / threadCount) % n;
                answers[t][i] = Ask(field, points[i]);
            }
        });
    for (std::thread& thread : threads) thread.join();
    return answers;
}

/// Number of answers that differ from the expected ones, and a description of
/// the first of them.
inline size_t CountDifferences(const std::vector<Answer>& expected, const std::vector<Answer>& got,
                               const std::vector<Wml::Vector3<float>>& points, std::string& first)
{
    size_t count = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (SameBits(expected[i], got[i])) continue;
        if (count++ == 0)
            first = "at (" + std::to_string(points[i].X()) + ", " + std::to_string(points[i].Y()) + ", " +
                    std::to_string(points[i].Z()) + "): value " + std::to_string(got[i].value) +
                    " instead of " + std::to_string(expected[i].value) + ", gradient x " +
                    std::to_string(got[i].g[0]) + " instead of " + std::to_string(expected[i].g[0]);
    }
    return count;
}

}  // namespace concurrent
