// Text between the editors' stored bytes (Windows-1252) and Qt's strings, and the text rules the dialogs share.
#pragma once

#include <string>

class QString;

// Every byte of the text becomes one character: the Windows-1252 character, or U+0081, U+008D, U+008F, U+0090,
// U+009D for the five bytes that code page leaves undefined, so every byte comes back from FromQString.
QString ToQString(const std::string& text);
// Each character becomes its Windows-1252 byte; a character outside the code page becomes '?' (one for a pair of
// surrogates).
std::string FromQString(const QString& text);

// Orders texts as the editors' sorted lists do: letter case ignored (Windows-1252 letters folded to lower case),
// then byte by byte. Negative, 0 or positive.
int CompareNoCase(const std::string& a, const std::string& b);

// Reads a number the way the dialogs read their edits: blanks skipped, an optional sign, the leading decimal
// digits; no digits give 0, and values beyond int are held at its limits.
int ReadDecimal(const std::string& text);

// Multi-line edit text: the stored text's line ends (CR LF, or bare LF) become single LFs for the widget, and
// back. `crlf` tells which the stored text used (CR LF when it had no line break at all).
std::string LinesForEdit(const std::string& stored, bool* crlf);
std::string LinesFromEdit(const std::string& edited, bool crlf);
