#include "Packaging/Generator/RoffWriter.h"

#include <stdexcept>

namespace quorvane {

namespace {

// `text` with roff's escape character, the typographic characters and, when asked, hyphens escaped.
std::string escaped(std::string_view text, bool minusSigns)
{
    std::string out;
    for (size_t index = 0; index < text.size(); ++index) {
        unsigned char byte = static_cast<unsigned char>(text[index]);
        if (text.substr(index).starts_with("\u2014")) {
            out += "\\(em";
            index += 2;
        } else if (text.substr(index).starts_with("\u2192")) {
            out += "\\(->";
            index += 2;
        } else if (byte >= 0x80 || (byte < 0x20 && byte != '\n')) {
            throw std::invalid_argument("a manual page cannot hold the character in: " + std::string(text));
        } else if (byte == '\\') {
            out += "\\e";
        } else if (byte == '-' && minusSigns) {
            out += "\\-";
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// A line of text must not begin with a control character, nor hold a line break of its own.
std::string textLines(std::string_view source)
{
    std::string out;
    bool lineStart = true;
    for (char character : source) {
        if (lineStart && (character == '.' || character == '\''))
            out += "\\&";
        out += character;
        lineStart = character == '\n';
    }
    return out;
}

} // namespace

RoffWriter::RoffWriter(std::string_view title, int section, std::string_view source, std::string_view manual)
{
    line(".TH " + escaped(title, true) + " " + std::to_string(section) + " \"\" \"" + escaped(source, false) + "\" \""
        + escaped(manual, false) + "\"");
}

void RoffWriter::section(std::string_view heading)
{
    line(".SH " + escaped(heading, false));
}

void RoffWriter::subsection(std::string_view heading)
{
    line(".SS \"" + escaped(heading, false) + "\"");
}

void RoffWriter::paragraph(std::string_view text)
{
    // A heading starts a paragraph of its own.
    if (!m_afterHeading)
        line(".PP");
    line(textLines(prose(text)));
}

void RoffWriter::item(std::string_view tag, std::string_view text)
{
    line(".TP");
    line(textLines(tag));
    line(textLines(prose(text)));
}

void RoffWriter::literalBlock(std::string_view lines)
{
    line(".PP");
    line(".nf");
    line(".RS 4");
    line(textLines(escaped(lines, true)));
    line(".RE");
    line(".fi");
}

void RoffWriter::raw(std::string_view source)
{
    line(source);
}

std::string RoffWriter::prose(std::string_view text)
{
    return escaped(text, false);
}

std::string RoffWriter::bold(std::string_view text)
{
    return "\\fB" + escaped(text, true) + "\\fR";
}

std::string RoffWriter::italic(std::string_view text)
{
    return "\\fI" + escaped(text, true) + "\\fR";
}

void RoffWriter::line(std::string_view source)
{
    m_afterHeading = source.starts_with(".SH") || source.starts_with(".SS");
    m_text.append(source);
    if (!m_text.ends_with('\n'))
        m_text += '\n';
}

} // namespace quorvane
