// Evaluates a filter's syntax tree directly in C++, with the same results as its compiled SQL.
#pragma once

#include "platform/expr/ast.h"
#include "platform/expr/value.h"

#include <functional>
#include <optional>

namespace melodex::expr {

/// The value of a name, asked in upper case ("MUS:ARTIST"); nothing when the name is unknown.
/// Values are taken as they are: a text keeps any trailing blanks it has.
using ValueGetter = std::function<std::optional<Value>(const QString &upperName)>;

struct Evaluation
{
    Value value;
    Error error;

    bool ok() const { return !error.isError(); }
    /// Whether the value selects the record (non-zero, or a non-blank text).
    bool selects() const { return ok() && isTrue(value); }
};

/// Evaluates `root`. TODAY() reads the clock. Never throws.
Evaluation evaluate(const Node &root, const ValueGetter &getter);

} // namespace melodex::expr
