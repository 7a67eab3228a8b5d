// English tool-tip texts.
//
// The base language: every control that shows a tool tip has its text here,
// keyed by the control id that owns it (texts/tool_tip_owners.h says which
// controls own a text and which show the text of another).  Every other
// language is laid over these rows.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/tool_tip_tables.h"

namespace {

constexpr TextRow kRows[] = {
    // Main dialog.
    {1015, "Start the conversion"},
    {1122, "Select the file(s) you want converted"},
    {1012, "Select the output directory"},
    {1621, "Select the delimiter character to separate columns of data"},
    {1080, "Select the output filename"},
    {1077, "Select the output file extension"},
    {1505, "Select an existing document policy file to be used during the conversion"},
    {1520, "Reset all policies to their default values"},
    {1198, "Launch viewer application to load output file"},
    // Policy-file dialog.
    {1071, "Save the current policies to a .POL policy file"},
    // Added-HTML page.
    {1026, "Default title. Will appear in the Browser frame title"},
    {1185, "May use first heading as document title?"},
    {1191, "May use first line as document title?"},
    {1028, "Document Description. Added to <META> tag for search engines to read"},
    {1029, "Document Keywords. Added to <META> tags for search engines to read"},
    {1027, "URL of image (e.g. .JPG or .GIF file) to be used as backdrop"},
    {1010, "File containing HTML to be copied into the end of each HTML page"},
    {1009, "File containing HTML to be copied into the start of each HTML page"},
    {1011, "File containing HTML to be copied into the <HEAD> of each HTML page"},
    // More HTML options dialog.
    {1580, "Omit main tags from output, allowing HTML to be pasted into another document"},
    {1583, "Omit comments from code identifying Morvane"},
    {1582, "Base URL used to resolve all relative URLs in the document"},
    {1526, "File containing HTML fragments to be used to customise the output"},
    // RTF settings page.
    {1600, "Character encoding to be used for document.  Should match original character set (default is ascii)"},
    // Colours page.
    {1446, "Suppress all document colouring so that users can choose their own"},
    {1005, "Colour to be used for text"},
    {1004, "Colour to be used as page background"},
    {2008, "Colour to be used for hyperlinks when pressed"},
    {1006, "Colour to be used for unvisited hyperlinks"},
    {2007, "Colour to be used for hyperlinks that have been visited"},
    // File-structure page.
    {1042, "What text justification is used?"},
    {1273, "Is input file double spaced (every second line blank)"},
    {1043, "Perform only simple analysis. Don't look for headings etc."},
    {1044, "Does the document contain C-like code samples?"},
    {1455, "Does the document contain DOS (OEM) characters?"},
    {1456, "Does the document contain non-European characters (Japanese, Chinese, Korean etc)?"},
    {1463, "Does the document contain mime-encoded quotable characters?"},
    {1524, "Does the document contain PCL printer codes?"},
    {1457, "Does the document contain change bars?"},
    {1316, "Does the document contain page markers with a <FF>?"},
    // Hyperlinks page.
    {2030, "Convert all http, www, references to hyperlinks?"},
    {1275, "Convert all gopher references to hyperlinks?"},
    {1276, "Convert all telnet references to hyperlinks?"},
    {1274, "Convert all ftp etc. references to hyperlinks?"},
    {1459, "Only convert explicit ftp:// FTP addresses?"},
    {1591, "Check domain name has recognised syntax (end in .com, .edu, .co.uk etc)"},
    {2029, "Convert all email addresses to hyperlinks?"},
    {1458, "Allow email addresses that begin with a number?"},
    {1210, "Add <BR> to lines that contain URLs. This will preserve the line format"},
    {1030, "Convert USENET newsgroup names to hyperlinks?"},
    {1032, "Only convert recognised USENET hierarchies (alt. news. comp. rec. etc.)?"},
    {1033, "Additional USENET hierarchies to recognise (space separated list)"},
    {1031, "Convert cross-references to numbered sections to hyperlinks?"},
    {1034, "Starting at which level? Lower values more likely to give false links. 0 = no splitting"},
    {1265, "Open hyperlink in new browser window"},
    {1313, "Name of new window when opening hyperlink"},
    // RTF document-details page.
    {1301, "Document Title"},
    {1303, "Document's Author"},
    {1305, "Document's Company"},
    {1302, "Document's subject"},
    {1304, "Manager"},
    {1311, "Any comments associated with the document"},
    {1310, "Keywords for the document"},
    {1309, "Document's Category"},
    // Documentation page.
    {1128, "Location of the HTML doco on the local disk (file "},
    // Drag-and-drop page.
    {1130, "Should the status display be shown when converting files via drag and drop?"},
    // Messages page.
    {1217, "Error reporting level. Low values show more error messages"},
    // Viewers page.
    {1283, "Use DDE to view results in current browser."},
    {1287, "Name of DDE service, Usually your preferred browser"},
    {1289, "Name of DDE service, Use if now one of the known DDE services"},
    {1288, "Use DDE to update results in browser after each conversion"},
    {1127, "Browser command to be used when viewing generated HTML files"},
    {1131, "Browser command to be used when viewing generated RTF files"},
    {1452, "Add a prefix to the file URL.  Needed by some browsers, causes problems in others"},
    // Table-analysis page.
    {1132, "Should pre-formatted text be placed in a TABLE if possible?"},
    {9006, "Minimum number of spaces to define a column boundary"},
    {1204, "Does the table have sparse columns? (affects column calculations)"},
    {1496, "Ignore table header in analysis?"},
    // Table page.
    {1137, "Default header size in each table. A value of 0 means \"calculate\""},
    {1134, "Default border size. A value of 0 means \"none\""},
    {1143, "Default spacing between table cells (CELLSPACING attribute)"},
    {1142, "Default padding inside each table cell (CELLPADDING attribute)"},
    {1270, "Table cell contents alignment"},
    {1144, "Default colour for table border (BGCOLOR attribute)"},
    {1145, "Default colour for table border (BORDERCOLOR attribute)"},
    {1147, "Default colour for odd numbered data rows in the table"},
    {1256, "Do you want to colour alternate rows of the table?"},
    {1151, "Default colour for even numbered data rows in the table"},
    {1171, "Default table width (enter a pixel count or percentage)"},
    {1208, "Convert numbers in the table to hyperlinks to section numbers"},
};

}  // namespace

std::span<const TextRow> EnglishToolTipRows() { return kRows; }
