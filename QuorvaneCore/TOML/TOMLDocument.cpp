#include "TOML/TOMLDocument.h"

#include "TOML/TOMLParser.h"

namespace quorvane {

TOMLDocument TOMLDocument::parse(std::string_view text) { return TOMLDocument { TOMLParser(text).parse() }; }

TOMLValue::Table TOMLDocument::pairs(const TOMLPath&) const { return {}; }
std::vector<TOMLPath> TOMLDocument::headers(const TOMLPath&) const { return {}; }
void TOMLDocument::set(const TOMLPath&, const std::string&, TOMLValue) { }
void TOMLDocument::remove(const TOMLPath&, std::string_view) { }
void TOMLDocument::removeTable(const TOMLPath&) { }
std::string TOMLDocument::text() const { return renderTOML(nodes); }
std::string renderTOML(const std::vector<TOMLNode>&) { return {}; }

} // namespace quorvane
