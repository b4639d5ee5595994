#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Writes a manual page in the man macros, escaping every text it is given. Text is ASCII apart from the
// few typographic characters the pages use; any other character is refused, so that a page never needs a
// preprocessor to render.
class RoffWriter {
public:
    // Starts the page: its title, section number and the footer's source ("Quorvane 1.0.1").
    RoffWriter(std::string_view title, int section, std::string_view source, std::string_view manual);

    // A section heading (.SH) and a subsection heading (.SS).
    void section(std::string_view heading);
    void subsection(std::string_view heading);
    // A new paragraph of prose.
    void paragraph(std::string_view prose);
    // A tagged paragraph: `tag` is roff text made with the functions below, `prose` plain text.
    void item(std::string_view tag, std::string_view prose);
    // Lines shown as they stand, in a fixed-width block.
    void literalBlock(std::string_view lines);
    // Roff source put in as it stands, made with the functions below.
    void raw(std::string_view source);

    // The finished page.
    const std::string& text() const { return m_text; }

    // Prose: hyphens stay hyphens.
    static std::string prose(std::string_view text);
    // A word to type (an option, a key, a tile name): bold, its hyphens minus signs.
    static std::string bold(std::string_view text);
    // A placeholder for a word of the reader's: italic.
    static std::string italic(std::string_view text);

private:
    void line(std::string_view source);

    std::string m_text;
    bool m_afterHeading = false;
};

} // namespace quorvane
