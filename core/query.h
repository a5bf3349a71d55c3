// The search box's query.
#pragma once

#include <string>

// The query of the search box: a name pattern and an optional {text}.
struct FindQuery {
    std::string pattern;
    std::string text;
};
FindQuery SplitQuery(const char* input);
