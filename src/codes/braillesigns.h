// The capital and number signs of Braille, put into a "Vni for Win" text before it goes through
// the Braille tables and taken out again after the way back.
#pragma once

#include <string>
#include <string_view>

namespace tavi {

constexpr char BrailleCapitalSign = '\xDE';
constexpr char BrailleNumberSign = '#';

// One capital sign before a single capital; two before a run of capitals (which goes on across
// spaces, the marks . , ! ? and the uppercase mark bytes) and one after it; a number sign before
// the first digit of a number (which goes on across , . / and digits). Never shorter than text.
std::string InsertBrailleSigns(std::string_view text);

// Leaves out every capital sign and every number sign directly before a digit.
std::string StripBrailleSigns(std::string_view text);

} // namespace tavi
