#pragma once
// The undo history of one scene: a line of states, each the scene as file
// text, with a cursor at the state the scene is in. Recording a state after
// an undo drops the states that could have been redone.
//
// Consecutive states of a scene share almost all of their records (a moved
// shape changes one record; its profile field, the largest part, stays), so
// a state is kept as a list of record chunks and equal chunks are stored
// once. The byte budget counts the chunks held and the lists; the oldest
// states go first when a new one would overrun it or the step limit. The
// state the cursor is on is never dropped, even when it alone overruns.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vynui {

class UndoHistory {
public:
    /// Undoable steps kept at most (states: one more).
    static constexpr std::size_t kDefaultMaxSteps = 100;
    static constexpr std::size_t kDefaultByteBudget = std::size_t(256) << 20;

    explicit UndoHistory(std::size_t maxSteps = kDefaultMaxSteps,
                         std::size_t byteBudget = kDefaultByteBudget);
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    /// Forgets every state; text becomes the only one.
    void Reset(const std::string& text);
    /// Appends text as the new current state unless it equals the current
    /// one; the redo branch goes. True when a state was added.
    bool Record(const std::string& text);
    /// Replaces the current state's text (the scene re-read after a restore
    /// says the same in other words: new object IDs).
    void ReplaceCurrent(const std::string& text);

    bool CanUndo() const { return m_current > 0; }
    bool CanRedo() const { return m_current + 1 < m_states.size(); }
    /// Moves the cursor one state back / forward and answers that state's
    /// text; empty and unmoved when there is none.
    std::string Undo();
    std::string Redo();
    std::string Current() const;

    /// States held (undoable steps + 1 + redoable steps); 0 before Reset.
    std::size_t GetNumStates() const { return m_states.size(); }
    std::size_t GetCurrentIndex() const { return m_current; }
    /// Bytes held: the distinct chunks' texts and the states' chunk lists.
    std::size_t GetBytes() const { return m_bytes; }
    std::size_t GetByteBudget() const { return m_budget; }
    std::size_t GetMaxSteps() const { return m_maxSteps; }

    /// Splits file text into the pieces states share: the header, then one
    /// piece per record (its trailing space with it), the end tag going with
    /// the last. Concatenated they give the text back.
    static std::vector<std::string> SplitRecords(const std::string& text);

private:
    using Chunk = const std::string*;
    using State = std::vector<Chunk>;

    State Intern(const std::string& text);
    void Release(const State& state);
    static std::string Join(const State& state);
    void DropOldest();
    void Trim();
    static std::size_t StateBytes(const State& state) { return state.capacity() * sizeof(Chunk); }

    std::size_t m_maxSteps;
    std::size_t m_budget;
    std::size_t m_bytes = 0;
    // Each distinct chunk once, with the number of state entries using it.
    // Element addresses stay valid across rehashing.
    std::unordered_map<std::string, std::size_t> m_chunks;
    std::vector<State> m_states;
    std::size_t m_current = 0;
};

}  // namespace vynui
