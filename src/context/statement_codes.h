// Directive statements: the codes the preprocessor gives a delivered
// directive line (its tag code), which the line analysis makes the line's
// type.  1001-1034 by statement, and the two lines that stand for a list the
// writer builds (241, 242).
#pragma once

// Statement codes given to delivered directive lines (the line's tag code).
enum DirectiveStatement : int {
    kStatementNone = -3,
    kStatementLineRule = 1001,
    kStatementToc = 1002,
    kStatementPara = 1003,
    kStatementBeginList = 1004,
    kStatementEndList = 1005,
    kStatementListItem = 1006,
    kStatementChangeIndent = 1007,
    kStatementChangePolicy = 1008,
    kStatementEndIgnore = 1009,
    kStatementReserved = 1010,  // given by no directive; still kept out of the tables
    kStatementEndSpecialBlock = 1011,
    kStatementNewFile = 1012,
    kStatementBeginContents = 1013,
    kStatementEndContents = 1014,
    kStatementBeginHTML = 1015,
    kStatementEndHTML = 1016,
    kStatementDefineBlock = 1017,
    kStatementEndBlock = 1018,
    kStatementEmbedBlock = 1019,
    kStatementInsertBlock = 1020,
    kStatementResetBlock = 1021,
    kStatementSaveContext = 1022,
    kStatementRestoreContext = 1023,
    kStatementDefineVariable = 1024,
    kStatementDefineHTMLFragment = 1025,
    kStatementDefineTextFragment = 1026,
    kStatementResetHTMLFragment = 1027,
    kStatementResetTextFragment = 1028,
    kStatementLinkPoint = 1029,
    kStatementAllow = 1030,
    kStatementDisallow = 1031,
    kStatementPage = 1032,
    kStatementBeginUserTable = 1033,
    kStatementMetaTag = 1034,
    // The range of the directive statements (the tagged line types).
    kStatementFirst = kStatementLineRule,
    kStatementLast = kStatementMetaTag,
    kStatementContentsList = 241,
    kStatementNavigationBar = 242,
};
