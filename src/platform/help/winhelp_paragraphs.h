// The paragraphs of a text record: its formatting data (paragraph settings,
// then commands) read along its text, whose NUL-ended pieces alternate with
// the commands. Fonts, hotspots, macros and pictures are passed over; what
// shows is the text, its line breaks, tabs and paragraph ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace w95::winhelp {

// `formatting` starts after the record's header; `text` is expanded. A table
// gives each cell's paragraphs in order.
std::vector<std::string> Paragraphs(std::string_view formatting, std::string_view text, bool table);

}  // namespace w95::winhelp
