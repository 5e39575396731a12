#pragma once
// A small RTF reader for the program's own notes: groups, paragraphs (\par,
// \pard, \qc \qr \qj \ql), line breaks and tabs, bold, italic and underline,
// font sizes (\fs in half points), \plain, hex escapes (\'hh, Windows-1252),
// Unicode (\u with \uc), the escaped \\ \{ \}, and the usual typographic
// symbols (\bullet, dashes, quotes, \~). Destinations the text does not show
// (font and colour tables, style sheets, document information, pictures and
// every {\* ...} group) are skipped; other control words are ignored.

#include <QTextDocument>
#include <memory>
#include <stdexcept>
#include <string_view>

class ERtfError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The text as a formatted document. Raises ERtfError when the text is not RTF
// or its groups are nested deeper than the reader follows.
std::unique_ptr<QTextDocument> ReadRtf(std::string_view rtf);

// The longest notes file the program reads (bytes).
constexpr std::size_t MaxRtfFileSize = 4 << 20;
