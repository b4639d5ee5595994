// The only file that knows about nlohmann-json: it reads text into JSONValue through the
// library's event interface, so no second tree is built and nesting depth stays bounded.
#include "JSON/JSONValue.h"

#include <nlohmann/json.hpp>

namespace quorvane {

namespace {

class Builder : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return add(JSONValue()); }
    bool boolean(bool value) override { return add(JSONValue(value)); }
    bool number_integer(number_integer_t value) override { return add(JSONValue(int64_t { value })); }
    bool number_unsigned(number_unsigned_t value) override
    {
        if (value <= static_cast<number_unsigned_t>(INT64_MAX))
            return add(JSONValue(static_cast<int64_t>(value)));
        return add(JSONValue(static_cast<double>(value)));
    }
    bool number_float(number_float_t value, const string_t&) override { return add(JSONValue(value)); }
    bool string(string_t& value) override { return add(JSONValue(std::move(value))); }
    bool binary(binary_t&) override { return fail("binary values are not JSON"); }

    bool start_object(std::size_t) override { return open(false); }
    bool key(string_t& value) override
    {
        m_stack.back().key = std::move(value);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(true); }
    bool end_array() override { return close(); }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        return fail(error.what());
    }

    JSONValue take()
    {
        if (!m_error.empty())
            throw JSONError(m_error);
        if (!m_result)
            throw JSONError("The JSON text is empty.");
        return std::move(*m_result);
    }

private:
    struct Level {
        bool isArray = false;
        JSONValue::Array array;
        JSONValue::Object object;
        std::string key;
    };

    bool fail(std::string message)
    {
        if (m_error.empty())
            m_error = std::move(message);
        return false;
    }

    bool open(bool isArray)
    {
        if (m_stack.size() >= static_cast<size_t>(JSONValue::maximumDepth))
            return fail("The JSON text is nested too deeply.");
        m_stack.push_back({});
        m_stack.back().isArray = isArray;
        return true;
    }

    bool close()
    {
        Level& level = m_stack.back();
        JSONValue finished = level.isArray ? JSONValue(std::move(level.array)) : JSONValue(std::move(level.object));
        m_stack.pop_back();
        return add(std::move(finished));
    }

    bool add(JSONValue value)
    {
        if (m_stack.empty()) {
            m_result = std::move(value);
            return true;
        }
        Level& level = m_stack.back();
        if (level.isArray)
            level.array.push_back(std::move(value));
        else
            level.object.insert_or_assign(std::move(level.key), std::move(value));
        return true;
    }

    std::vector<Level> m_stack;
    std::optional<JSONValue> m_result;
    std::string m_error;
};

} // namespace

JSONValue JSONValue::parse(std::string_view text)
{
    Builder builder;
    nlohmann::json::sax_parse(text.begin(), text.end(), &builder, nlohmann::json::input_format_t::json, true);
    return builder.take();
}

} // namespace quorvane
