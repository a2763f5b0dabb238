#include "ui/FileRows.h"

#include <algorithm>

int FileRows::Insert(int index, const std::string& path, const ProbeFigures& facts)
{
    if (index < 0 || index > Count())
        index = Count();
    FileRow row;
    row.id = m_nextId++;
    row.path = path;
    row.facts = facts;
    row.texts = MakeFileRowTexts(path, facts);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    return index;
}

void FileRows::Remove(int index)
{
    if (index >= 0 && index < Count())
        m_rows.erase(m_rows.begin() + index);
}

void FileRows::Clear()
{
    m_rows.clear();
}

int FileRows::IndexOf(int id) const
{
    const auto at = std::find_if(m_rows.begin(), m_rows.end(),
                                 [id](const FileRow& row) { return row.id == id; });
    return at == m_rows.end() ? -1 : static_cast<int>(at - m_rows.begin());
}

void FileRows::SetTicked(int index, bool ticked)
{
    if (index >= 0 && index < Count())
        m_rows[static_cast<std::size_t>(index)].ticked = ticked;
}

void FileRows::SetTurn(int index, std::optional<int> turn)
{
    if (index >= 0 && index < Count())
        m_rows[static_cast<std::size_t>(index)].turn = turn;
}

void FileRows::SetOutput(int index, const std::string& output)
{
    if (index >= 0 && index < Count())
        m_rows[static_cast<std::size_t>(index)].output = output;
}

bool FileRows::Settle(int index, const PositionOutcome& outcome)
{
    if (index < 0 || index >= Count() ||
        (outcome.kind != PositionOutcome::kDone && outcome.kind != PositionOutcome::kFailed))
        return false;
    FileRow& row = m_rows[static_cast<std::size_t>(index)];
    row.outcome = outcome;
    if (outcome.kind == PositionOutcome::kDone)
        row.ticked = false;
    return true;
}

BatchRows FileRows::Ticked(int groupTurn) const
{
    BatchRows batch;
    for (const FileRow& row : m_rows) {
        if (!row.ticked)
            continue;
        batch.rows.push_back({row.id, row.path, row.texts.duration});
        batch.turns.push_back(row.turn.value_or(groupTurn));
    }
    return batch;
}
