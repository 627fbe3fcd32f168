#include "view/UndoHistory.h"

#include <algorithm>

namespace vynui {

namespace {

// Bookkeeping of one distinct chunk beyond its characters: the map node and
// its bucket pointer, roughly.
constexpr std::size_t kChunkOverhead = sizeof(std::string) + 4 * sizeof(void*);

}  // namespace

UndoHistory::UndoHistory(std::size_t maxSteps, std::size_t byteBudget)
    : m_maxSteps(std::max<std::size_t>(maxSteps, 1)), m_budget(byteBudget)
{
}

std::vector<std::string> UndoHistory::SplitRecords(const std::string& text)
{
    std::vector<std::string> pieces;
    static const std::string kRecord = "<Record ";
    std::size_t start = 0;
    std::size_t next = text.find(kRecord);
    while (next != std::string::npos) {
        // The indentation before the tag belongs to the record it opens.
        std::size_t cut = next;
        while (cut > start && (text[cut - 1] == ' ' || text[cut - 1] == '\t')) --cut;
        if (cut > start) pieces.push_back(text.substr(start, cut - start));
        start = cut;
        next = text.find(kRecord, next + kRecord.size());
    }
    if (start < text.size() || pieces.empty()) pieces.push_back(text.substr(start));
    return pieces;
}

UndoHistory::State UndoHistory::Intern(const std::string& text)
{
    State state;
    for (std::string& piece : SplitRecords(text)) {
        auto found = m_chunks.find(piece);
        if (found == m_chunks.end()) {
            m_bytes += piece.capacity() + kChunkOverhead;
            found = m_chunks.emplace(std::move(piece), 0).first;
        }
        ++found->second;
        state.push_back(&found->first);
    }
    state.shrink_to_fit();
    m_bytes += StateBytes(state);
    return state;
}

void UndoHistory::Release(const State& state)
{
    m_bytes -= StateBytes(state);
    for (Chunk chunk : state) {
        auto found = m_chunks.find(*chunk);
        if (found == m_chunks.end()) continue;
        if (--found->second == 0) {
            m_bytes -= found->first.capacity() + kChunkOverhead;
            m_chunks.erase(found);
        }
    }
}

std::string UndoHistory::Join(const State& state)
{
    std::size_t size = 0;
    for (Chunk chunk : state) size += chunk->size();
    std::string text;
    text.reserve(size);
    for (Chunk chunk : state) text += *chunk;
    return text;
}

void UndoHistory::Reset(const std::string& text)
{
    for (const State& state : m_states) Release(state);
    m_states.clear();
    m_states.push_back(Intern(text));
    m_current = 0;
}

bool UndoHistory::Record(const std::string& text)
{
    if (m_states.empty()) {
        Reset(text);
        return true;
    }
    if (Current() == text) return false;
    while (CanRedo()) {
        Release(m_states.back());
        m_states.pop_back();
    }
    m_states.push_back(Intern(text));
    m_current = m_states.size() - 1;
    Trim();
    return true;
}

void UndoHistory::ReplaceCurrent(const std::string& text)
{
    if (m_states.empty()) {
        Reset(text);
        return;
    }
    // Interned first: chunks the old and new text share are not freed and
    // made again.
    State state = Intern(text);
    Release(m_states[m_current]);
    m_states[m_current] = std::move(state);
    Trim();
}

void UndoHistory::DropOldest()
{
    Release(m_states.front());
    m_states.erase(m_states.begin());
    --m_current;
}

void UndoHistory::Trim()
{
    // Oldest first, never the current state; redo states only go with an
    // edit (Record), which has dropped them already.
    while (m_current > 0 && (m_states.size() > m_maxSteps + 1 || m_bytes > m_budget)) DropOldest();
}

std::string UndoHistory::Undo()
{
    if (!CanUndo()) return std::string();
    --m_current;
    return Join(m_states[m_current]);
}

std::string UndoHistory::Redo()
{
    if (!CanRedo()) return std::string();
    ++m_current;
    return Join(m_states[m_current]);
}

std::string UndoHistory::Current() const
{
    return m_states.empty() ? std::string() : Join(m_states[m_current]);
}

}  // namespace vynui
