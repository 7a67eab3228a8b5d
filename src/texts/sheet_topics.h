// The topics on which the main window opens its property sheets: each sheet
// turns a topic into its page by a table of its own.
#pragma once

enum SheetTopic : int {
    // The output-policies sheet.
    kTopicTitleAndDescription = 1,
    kTopicDocumentColours = 4,
    kTopicDocumentSettings = 9,
    kTopicFonts = 12,
    kTopicHyperlinks = 15,
    kTopicRtfSettings = 23,
    kTopicTableGeneration = 32,
    // The analysis-policies sheet.
    kTopicFileStructure = 11,
    kTopicTableAnalysis = 31,
    // The program-settings sheet.
    kTopicDragAndDrop = 24,
    kTopicDocumentation = 25,
    kTopicViewers = 26,
    kTopicDiagnostics = 28,
    kTopicPolicyFiles = 29,
};
