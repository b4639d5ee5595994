#include "TOMLTestSupport.h"

#include <iomanip>

namespace quorvane {

namespace {

void printPath(const TOMLPath& path, std::ostream* out)
{
    *out << "[";
    for (size_t i = 0; i < path.size(); ++i)
        *out << (i ? ", " : "") << std::quoted(path[i]);
    *out << "]";
}

} // namespace

void PrintTo(const TOMLValue& value, std::ostream* out)
{
    switch (value.kind()) {
    case TOMLValue::Kind::string:
        *out << std::quoted(*value.asString());
        return;
    case TOMLValue::Kind::boolean:
        *out << (*value.asBool() ? "true" : "false");
        return;
    case TOMLValue::Kind::integer:
        *out << *value.asInteger();
        return;
    case TOMLValue::Kind::decimal:
        *out << std::setprecision(17) << *value.asDouble() << "(double)";
        return;
    case TOMLValue::Kind::array:
        *out << "[";
        for (const TOMLValue& element : *value.asArray()) {
            PrintTo(element, out);
            *out << ", ";
        }
        *out << "]";
        return;
    case TOMLValue::Kind::table:
        *out << "{";
        for (const auto& [key, element] : *value.asTable()) {
            *out << std::quoted(key) << ": ";
            PrintTo(element, out);
            *out << ", ";
        }
        *out << "}";
        return;
    }
}

void PrintTo(const TOMLNode& node, std::ostream* out)
{
    if (const TOMLNode::Raw* raw = node.asRaw()) {
        *out << "raw " << std::quoted(raw->text);
    } else if (const TOMLNode::Header* header = node.asHeader()) {
        *out << "header ";
        printPath(header->path, out);
        *out << " " << std::quoted(header->trailing);
    } else if (const TOMLNode::Key* key = node.asKey()) {
        *out << "key ";
        printPath(key->table, out);
        *out << " " << std::quoted(key->key) << " = ";
        PrintTo(key->value, out);
        *out << " " << std::quoted(key->trailing);
    }
}

} // namespace quorvane
