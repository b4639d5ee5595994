#include "Agents/ShellQuote.h"

#include "Support/UnicodeText.h"

#include <optional>

namespace quorvane::ShellQuote {

std::string single(std::string_view word)
{
    std::string quoted = "'";
    for (char byte : word) {
        if (byte == '\'')
            quoted += "'\"'\"'";
        else
            quoted += byte;
    }
    quoted += '\'';
    return quoted;
}

std::string command(const std::vector<std::string>& argv)
{
    std::string text;
    for (const std::string& word : argv) {
        if (!text.empty())
            text += ' ';
        text += single(word);
    }
    return text;
}

std::vector<std::string> split(std::string_view text)
{
    // The walk goes scalar by scalar, not by grapheme cluster: a word that begins with a combining mark
    // would otherwise fuse with the quote before it and the quote would be lost.
    std::vector<std::string> words;
    std::u32string word;
    std::optional<char32_t> openQuote;
    bool escaped = false;
    for (char32_t scalar : UnicodeText::scalars(text)) {
        if (escaped) {
            word += scalar;
            escaped = false;
        } else if (scalar == U'\\' && openQuote != U'\'') {
            escaped = true;
        } else if (openQuote) {
            if (scalar == *openQuote)
                openQuote.reset();
            else
                word += scalar;
        } else if (scalar == U'\'' || scalar == U'"') {
            openQuote = scalar;
        } else if (UnicodeText::isWhiteSpaceScalar(scalar)) {
            if (!word.empty())
                words.push_back(UnicodeText::utf8(word));
            word.clear();
        } else {
            word += scalar;
        }
    }
    if (!word.empty())
        words.push_back(UnicodeText::utf8(word));
    return words;
}

std::string launchScript(std::string_view workingDirectory, const std::vector<std::string>& argv)
{
    return "#!/bin/sh\ncd -- " + single(workingDirectory) + " || exit 1\nexec " + command(argv);
}

} // namespace quorvane::ShellQuote
