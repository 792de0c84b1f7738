// The syntax tree of a filter expression, and the error type its stages report.
#pragma once

#include "platform/expr/builtins.h"
#include "platform/expr/value.h"

#include <QString>

#include <memory>
#include <vector>

namespace melodex::expr {

/// What went wrong with a filter and where: `position` is the offset of the offending
/// character in the filter text (0 for the first), or -1 when no position applies.
struct Error
{
    QString message;
    qsizetype position = -1;

    bool isError() const { return !message.isEmpty(); }
    /// The message with a 1-based character position, for showing to the user.
    QString describe() const;
};

struct Node
{
    enum class Kind {
        Text,       ///< a quoted text; `text`
        Number,     ///< a number; `number`
        Name,       ///< a field or bound variable; `text` as written
        Call,       ///< `function` applied to `children`; `text` is the name as written
        Negate,     ///< unary minus
        Not,        ///< logical not
        And,        ///< all `children` (two or more)
        Or,         ///< any of `children` (two or more)
        Concat,     ///< the `children` joined as texts (two or more)
        Compare,    ///< `op` (Eq .. Ge) over two children
        Arithmetic, ///< `op` (Add .. Div) over two children
    };
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge, Add, Sub, Mul, Div };

    Kind kind = Kind::Number;
    qsizetype position = 0; ///< offset of the node's first or operator character
    QString text;
    Value number;
    Op op = Op::Eq;
    Function function = Function::Upper;
    int height = 0; ///< levels of operators below and including this one; 0 for a leaf
    std::vector<std::unique_ptr<Node>> children;
};

/// The tree as a compact prefix form, e.g. "(OR (= MUS:ARTIST 'ABBA') (NOT X))".
QString dump(const Node &node);
/// The operator as the language and SQL both write it ("=", "<>", "+", ...).
QString operatorText(Node::Op op);

} // namespace melodex::expr
