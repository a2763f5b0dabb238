#include "cli/PrintableName.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

}  // namespace

std::string PrintableName(const std::string& name)
{
    if (std::none_of(name.begin(), name.end(),
                     [](char c) { return IsControl(static_cast<unsigned char>(c)); }))
        return name;
    std::string quoted = "$'";
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case 0x1b:
            quoted += "\\e";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\'':
            quoted += "\\'";
            break;
        default:
            if (IsControl(c)) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                quoted += escaped;
            } else {
                quoted += ch;
            }
        }
    }
    return quoted + "'";
}
