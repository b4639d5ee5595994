#include "TOML/TOMLNode.h"

#include <utility>

namespace quorvane {

TOMLNode::TOMLNode(Raw raw)
    : m_content(std::move(raw))
{
}

TOMLNode::TOMLNode(Header header)
    : m_content(std::move(header))
{
}

TOMLNode::TOMLNode(Key key)
    : m_content(std::move(key))
{
}

TOMLNode TOMLNode::raw(std::string text)
{
    return TOMLNode(Raw { std::move(text) });
}

TOMLNode TOMLNode::header(TOMLPath path, std::string trailing)
{
    return TOMLNode(Header { std::move(path), std::move(trailing) });
}

TOMLNode TOMLNode::key(TOMLPath table, std::string key, TOMLValue value, std::string trailing)
{
    return TOMLNode(Key { std::move(table), std::move(key), std::move(value), std::move(trailing) });
}

} // namespace quorvane
