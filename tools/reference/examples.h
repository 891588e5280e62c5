#pragma once

// The hand-written input of the reference: one example per member of the
// control, with the automation errors each property or method raises.
//
//   // a note to the editor (dropped)
//   == Format
//   errors: 6 13
//   Quillomet1.Format = "#,##0.00 kg"
//
// An entry starts at a "== NAME" line; for a property or a method the next
// line is "errors:" and the error numbers, or "none"; an event has no such
// line (the control raises it, no caller calls it). The lines up to the
// next entry are the example, as a script writes it.
#include "common/described_error.h"
#include "reference/surface.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillomet::reference {

struct Example {
    std::string member;
    int line = 0; // of its "==" line
    std::optional<std::vector<int>> errors;
    std::vector<std::string> code;
};

// A file that cannot be read as entries; what() names the line.
class InputError : public DescribedError {
public:
    using DescribedError::DescribedError;
};

std::vector<Example> ParseExamples(std::string_view text);

// What is wrong between the entries and the members, one line each: a
// member without an example, an entry naming no member or naming one twice,
// an error list where it does not belong or missing where it does, an error
// number the control does not have, an entry without code. Empty when the
// two agree.
std::vector<std::string> CheckExamples(std::span<const Member> members,
                                       std::span<const Example> examples);

// The entry for a member, or null.
const Example* FindExample(std::span<const Example> examples, std::string_view member);

// Whether the control raises errors under this number.
bool IsErrorNumber(int number);

} // namespace quillomet::reference
