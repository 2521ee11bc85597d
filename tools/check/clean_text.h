// Text taken from a run (a student's name, a log line, what a program
// printed) made safe for the reports: every writer passes such text through
// clean_text, directly or through the escapers below, so that no run can make
// a report invalid or break out of its place in it.
#pragma once

#include <string>
#include <vector>

namespace check {

// Valid UTF-8 that XML 1.0 accepts: a byte that is not part of a well-formed
// sequence (overlong forms and surrogates included) becomes U+FFFD, and so
// do the characters XML forbids or a terminal would obey (C0 controls other
// than tab and newline, DEL, C1 controls, U+FFFE and U+FFFF).
std::string clean_text(const std::string& text);

// The same for a terminal, where what is taken out is shown as \xNN (tab
// and newline too): nothing a student wrote can move the cursor or
// recolour it, and a name stays recognisable.
std::string terminal_safe(const std::string& text);

// At most `bytes` bytes of clean text, cut at a character's edge; "…" marks
// a cut.
std::string clean_line(const std::string& text, std::size_t bytes);

// At most `count` lines of at most `bytes` each; a last line says how many
// more there were.
std::vector<std::string> clean_lines(const std::vector<std::string>& lines, std::size_t count,
                                     std::size_t bytes);

// A JSON string literal, quotes included.
std::string json_string(const std::string& text);

// Text for HTML and XML, inside an element or a quoted attribute.
std::string markup(const std::string& text);

}  // namespace check
