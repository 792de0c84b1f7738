// Parses a filter text into a syntax tree, refusing texts too long or too deeply nested.
#pragma once

#include "platform/expr/ast.h"

#include <QStringView>

#include <memory>

namespace melodex::expr {

/// Deepest nesting accepted: parentheses, NOT, unary minus and function calls each count a
/// level, and so does every operator above another in the tree.
inline constexpr int kMaxNesting = 100;

/// Longest filter text accepted, in UTF-16 units.
inline constexpr qsizetype kMaxFilterLength = 64 * 1024;

struct ParseResult
{
    std::unique_ptr<Node> root; ///< null for a blank filter, which selects everything
    Error error;

    bool ok() const { return !error.isError(); }
};

/// Parses `text`. Operators from loosest to tightest: OR; AND; NOT (also "~"); the comparisons
/// = <> ~= < > <= >= =< =>; &; + and -; * and /; unary minus. Keywords, names and function
/// names are case-insensitive. Never throws.
ParseResult parse(QStringView text);

/// `text` written as a quoted text of the language ("O'Brien" gives 'O''Brien'), for code that
/// builds filters from values, such as the query wizard.
QString textLiteral(QStringView text);

} // namespace melodex::expr
