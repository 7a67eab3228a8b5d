// The master index (directory) page of a conversion run: one extra HTML page
// that lists every file the run converted, each as a line linking to its
// output.  The run opens it before the first input file, adds one entry
// after each file it converted and finishes it after the last one.  Nothing
// is written unless "Make Directory" is on (the /INDEX qualifier sets it).
#pragma once

#include <memory>

#include "foundation/text_string.h"

class Context;
class FC;
class HTMLFile;

// The page while the run writes it.  The run owns it; the routines below
// open, fill and close the document it holds.
struct MasterIndex {
    TextString pageFileName;  // the name actually used
    std::unique_ptr<HTMLFile> document;  // null while no page is open
    int listLevel = 0;  // contents-list levels open on the page
    int entryCount = 0;  // entries written
    bool utf8Page = false;  // the page declares UTF-8: names are written as they are

    MasterIndex();
    ~MasterIndex();
    MasterIndex(const MasterIndex&) = delete;
    MasterIndex& operator=(const MasterIndex&) = delete;
};

// The texts of the page's head and foot, each with the fallback to the
// matching document policy; the title is never empty ("Directory listing").
void GetDirectoryPageTexts(FC& set, TextString* title, TextString* description, TextString* keywords,
                           TextString* styleSheet, TextString* scriptFile, TextString* pageHeader,
                           TextString* pageFooter);

// The name of the page: the /INDEX file name when given; else "Directory
// filename", or when that is empty `directory` + "dirindex" + an extension
// (".HTM" with DOS file names, ".htm" with "Use .HTM extension", else the
// run's output extension, which is ".html" when the run writes RTF); the
// name is resolved against the "Output directory" policy.
TextString MasterIndexPageName(FC& set, Context& context, const TextString& directory);

// Opens the page and writes its head.  An unopenable page is reported and
// the run goes on without it.
void HTML_StartMasterIndex(FC& set, Context& context, const TextString& directory, MasterIndex& index);

// Adds the entry of one converted file: a contents line linking to
// `outputPath` (a link relative to the page's folder), showing the output's
// file name: UTF-8 text, written as it is on a page declared UTF-8 and as
// character references on any other.  Nothing happens while no page is
// open.
void HTML_AddMasterIndexEntry(FC& set, Context& context, MasterIndex& index, const TextString& outputPath);

// Closes the page's list levels, writes its foot (with its own "</BODY>":
// the per-file conversions have cleared the Context's block list) and
// closes it.
void HTML_EndMasterIndex(FC& set, Context& context, MasterIndex& index);

// The markup of one entry line: the contents-line markup of a level-1
// heading without section number, style class "TOC1" (or font markup when
// fonts are written as FONT tags), "<BR>" at the end.  `url` and `text` are
// used as given (already encoded and escaped).
TextString FormatMasterIndexLine(FC& set, Context& context, const TextString& url, const TextString& text);

// The link from a page in `pageDirectory` to `target`: the relative path
// when both lie on the same file system tree, with every byte other than
// letters, digits and "-._~/" percent-encoded.
TextString MakeIndexLink(const TextString& pageDirectory, const TextString& target);
