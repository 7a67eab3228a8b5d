// For the row writer tests: engine services that record what the writers
// ask of them, the cells of hand-made row records and a fixture that writes
// them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "output/html_tidy.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "tables/row_writers.h"
#include "tables/scratch_buffers.h"

// Keeps what a row writer asks of the engine: "tags:" and the text of a
// cell whose tags are run, "cell:" and the column, text and flags of a cell
// written in full.
class RecordingServices : public RowWriterServices {
public:
    std::vector<std::string> calls;

    void RunCellTags(const CellRecord& cell, TextString& text) override {
        calls.push_back("tags:" + std::to_string(cell.column) + ":" + text.str());
    }
    void WriteHtmlCell(const RowRecord&, const CellRecord& cell, const CellRecord* previous,
                       TextString& text) override {
        std::string call = "cell:" + std::to_string(cell.column) + ":" + text.str();
        if (cell.merged) call += "+" + std::to_string(cell.span);
        if (cell.rule) call += "~";
        if (previous) call += "<" + std::to_string(previous->column);
        calls.push_back(call);
    }
};

// One cell of a record, its text kept by the test.
inline CellRecord Cell(int column, TextString& text) {
    CellRecord cell;
    cell.column = column;
    cell.text = &text;
    return cell;
}

// A policy set, a recording document, the engine's scratch buffers, the
// recording services and the texts the records' cells point at.
class RowWriterTest : public testing::Test {
protected:
    FC set;
    RecordingDocument document;
    EngineScratch scratch;
    RecordingServices services;
    std::vector<TextString> texts = std::vector<TextString>(4);

    // Writes `row` with `writer`; gives the lines written.
    std::vector<std::string> WriteWith(void (*writer)(const RowRecord&, RowWriterContext&), const RowRecord& row) {
        document.Clear();
        RowWriterContext out{&set, &document, scratch.scratchBuffers, services};
        writer(row, out);
        return document.Texts();
    }
};
