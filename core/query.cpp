#include "core/query.h"

#include <string_view>

FindQuery SplitQuery(const char* input) {
    FindQuery q;
    if (!input) return q;
    std::string_view s(input);
    size_t open = s.find('{'), close = s.find('}');
    if (open != s.npos && close != s.npos) {
        // Both braces become string ends: the text runs from behind the "{" to the next end,
        // which is the "}" when it follows the "{", else the input's end.
        size_t text_end = close > open ? close : s.size();
        q.text = s.substr(open + 1, text_end - open - 1);
        q.pattern = s.substr(0, open < close ? open : close);
    } else {
        q.pattern = s;
    }
    while (!q.pattern.empty() && q.pattern.back() == ' ')
        q.pattern.pop_back();
    if (!q.pattern.empty() && q.pattern[0] == '{') q.pattern.clear();
    return q;
}
