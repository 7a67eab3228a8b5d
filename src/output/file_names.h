// File names and queued source lines of one conversion: the output, listing
// and statistics file names, where the contents list goes, the file names of
// FILENAME and NEWFILE tags, the preprocessor lines queued before the input
// (default folio blocks, the fragments file), and HTML anchors of source
// lines turned into link definitions.
#pragma once

#include "foundation/text_string.h"

class FC;
class TextLine;
class WrappedTextFile;

// Splits the input path into its directory, name and extension and works out
// the output directory, output name and extension (from the context's output
// settings and specification, then `outputPath`, whose non-empty parts win),
// and the listing, second listing and statistics file names (only when the
// context's listing switches or "Generate diagnostics files" ask for them,
// and only when not set already).  The extension defaults to ".html".
// `switches` is not used.
void MakeOutputFileNames(const TextString& inputPath, const TextString& outputPath, FC* policies, int switches,
                         TextString* inputDirectory, TextString* outputDirectory, TextString* outputName,
                         TextString* extension, TextString* listingName, TextString* secondListingName,
                         TextString* statisticsName);

// Sets where the contents list goes: the existing list, an external file,
// in the document or a separate page (at most one), and the two flags of a
// CONTENTS_LIST directive.
void SetContentsListMode(FC* policies);

// Applies the run's output specification (the /OUTPUT qualifier) to an output
// name: its folder, name and extension replace the defaults where given ("[*]",
// "*" and ".*" keep the default).  `out` = folder + name + extension.  A
// specification that names an existing character device (/dev/null, a
// terminal) is the output as it stands: no extension is added to it (nor
// to a FIFO, socket or block device, which the run then refuses by name).
void ApplyOutputSpecification(FC* policies, const TextString& defaultDirectory, const TextString& defaultName,
                              const TextString& defaultExtension, TextString* out);

// For HTML output under rule sets 1 and 2, queues the lines that define the
// default folio blocks; then BEGIN_PRE under "Preserve file structure using
// <PRE>", then the fragments file when one is named.  Directive lines use the
// current "Directive delimiter".
void DefineDefaultFolioBlocks(FC* policies, WrappedTextFile* source);

// Queues the fragment definitions of the "Fragments file" (looked for in the
// input directory, then in the context's alternative folder): definition
// directives and the lines inside a definition; everything else is dropped.
void LoadFragmentsFile(FC* policies, WrappedTextFile* source);

// The file names of the FILENAME and NEWFILE tags nearest to the current
// position (directory, name, extension), and those of the tag before it.
// Only on the contents pass.
void GetTaggedFileDetails(FC* policies, TextString* directory, TextString* name, TextString* extension,
                          TextString* previousDirectory, TextString* previousName, TextString* previousExtension);

// Removes the HTML anchors ("<a ...>text</a>") from the line; while output
// is written each anchor's text becomes a link definition with the anchor's
// opening tag.  `out` receives the line without the anchors.
void AddAnchorsToLinkDictionary(FC* policies, const TextLine* line, TextString* out);
