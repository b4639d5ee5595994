#include "TOML/TOMLParser.h"

namespace quorvane {

TOMLParser::TOMLParser(std::string_view text)
    : m_text(text)
{
}

std::vector<TOMLNode> TOMLParser::parse() { return {}; }

} // namespace quorvane
