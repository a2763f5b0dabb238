#pragma once

#include "batch/BatchPlan.h"
#include "batch/PositionOutcome.h"
#include "ui/FileRowTexts.h"

#include <optional>
#include <string>
#include <vector>

// One file of the window's list: what the list shows of it and what a batch
// takes from it.
struct FileRow {
    int id = 0;               // the row's own number, kept while it is in the list, never reused
    std::string path;         // the input's own full path
    ProbeFigures facts;       // what the probe found when the file was added
    FileRowTexts texts;       // the facts as the columns show them
    bool ticked = true;       // chosen for the next batch
    std::optional<int> turn;  // its own turn in degrees; none: the rotation group's
    // The last done or failed outcome a batch settled for it; kPending
    // while no batch has done either (the row is ready).
    PositionOutcome outcome;
    std::string output;  // the output the last batch chose or wrote for it
};

// A ticked row as a batch takes it.
struct BatchRows {
    // Each row's TickedRow::row is the FileRow's id.
    std::vector<TickedRow> rows;
    std::vector<int> turns;  // the turn of rows[k], its own or the rotation group's
};

// The rows of the file list, in list order. The list widget shows them
// and tells back only what the user changes (ticks); a batch is built from
// them and its outcomes are written into them by id, so rows added or
// removed meanwhile neither shift nor take another row's outcome.
class FileRows
{
public:
    // Inserts a row for a probed file before index (at the end when index
    // is out of range); returns where it went.
    int Insert(int index, const std::string& path, const ProbeFigures& facts);
    void Remove(int index);
    void Clear();

    int Count() const { return static_cast<int>(m_rows.size()); }
    const FileRow& At(int index) const { return m_rows[static_cast<std::size_t>(index)]; }
    // Where the row with that id is now; -1 when it was removed.
    int IndexOf(int id) const;

    void SetTicked(int index, bool ticked);
    void SetTurn(int index, std::optional<int> turn);
    void SetOutput(int index, const std::string& output);
    // A settled outcome: a done or failed one is kept (a done row is
    // unticked); a stopped or unreached one changes nothing. False when
    // nothing changed.
    bool Settle(int index, const PositionOutcome& outcome);

    // The ticked rows in list order, each with its own turn or groupTurn.
    BatchRows Ticked(int groupTurn) const;

private:
    std::vector<FileRow> m_rows;
    int m_nextId = 1;
};
