// A fixture for tests of the table engine: a policy set with its context,
// a recording HTML document with the BODY block open, the messages kept.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "tables/preform.h"

class EngineFixture : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC set;
    RecordingDocument document;

    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        context.documentState.htmlOutput = 1;
        TextString body("<BODY>");
        context.documentState.blocks.Add(&set, &document, body);
        document.Clear();
    }

    // An engine writing to the document, holding one line for each text.
    std::unique_ptr<PreForm> EngineWithLines(const std::vector<const char*>& texts) {
        auto engine = std::make_unique<PreForm>(&document, &set, nullptr);
        for (const char* text : texts) {
            AnalysedLine line;
            line.SetText(text);
            engine->AddLine(line);
        }
        return engine;
    }
};
