// The award application as a rich-text document: the template loaded from its RTF file
// and filled (award/Application.h) line by line. The application window and
// kvadrix-tool build it alike.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "award/Application.h"

class QTextDocument;

namespace kx {

// Windows-1257 bytes of a document line; a character the code page lacks reads as '?', a
// line break inside the paragraph travels as the byte '\v'.
std::string DocumentLineBytes(const QString& text);

// Loads the template at templatePath (Windows-1257 path bytes) into doc, replacing its
// content, and fills it with data and the list rows: the preview variant with page
// headers, or the save variant without. Throws the file error of a missing or unreadable
// template.
void BuildApplicationDocument(QTextDocument* doc, const std::string& templatePath,
                              const ApplicationData& data, const std::vector<ListEntry>& rows,
                              ListVariant variant);

}  // namespace kx
