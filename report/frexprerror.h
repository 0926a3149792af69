#pragma once
// A failure of the expression evaluator (unknown name, unbalanced parentheses,
// incompatible types, division by zero, an expression nested too deeply).

#include "core/exceptions.h"

class EfrExprError : public Exception
{
public:
    using Exception::Exception;
};
