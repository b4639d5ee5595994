#include "Configuration/DesktopEntryEscaping.h"

namespace quorvane::DesktopEntryEscaping {

std::string string(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
        }
    }
    if (out.starts_with(' '))
        out.replace(0, 1, "\\s");
    return out;
}

std::string execArgument(std::string_view argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    quoted += '"';
    return string(quoted);
}

} // namespace quorvane::DesktopEntryEscaping
