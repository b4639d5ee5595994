#include "JSON/JSONValue.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace quorvane {
namespace {

void expectCanonical(const JSONValue& value, const std::string& text)
{
    EXPECT_EQ(value.canonicalString(), text);
}

TEST(JSONValue, Scalars)
{
    expectCanonical(true, "true");
    expectCanonical(JSONValue(), "null");
    expectCanonical(int64_t { INT64_MIN }, "-9223372036854775808");
    expectCanonical(-0.0, "0");
    expectCanonical(0.1, "0.1");
    expectCanonical(1e-05, "1e-05");
    expectCanonical(-9223372036854775808.0, "-9223372036854775808");
    expectCanonical(std::nan(""), "null");
    expectCanonical(std::numeric_limits<double>::infinity(), "null");
}

TEST(JSONValue, Quoting)
{
    EXPECT_EQ(quoteJSON("\t\"\x01\r\n\\\b\x1f"), "\"\\t\\\"\\u0001\\r\\n\\\\\\u0008\\u001f\"");
    EXPECT_EQ(quoteJSON("\xC3\xA9/\xC3\xBC\x7f"), "\"\xC3\xA9/\xC3\xBC\x7f\"");
}

TEST(JSONValue, ObjectsSortMembersByScalarOrder)
{
    JSONValue value(JSONValue::Object { { "b", 1 }, { "a", JSONValue::Array { 1, "x", JSONValue() } },
        { "\xC3\xA9", false }, { "Z", JSONValue::Object {} } });
    expectCanonical(value, "{\"Z\":{},\"a\":[1,\"x\",null],\"b\":1,\"\xC3\xA9\":false}");
}

TEST(JSONValue, Accessors)
{
    EXPECT_EQ(JSONValue(2.0).intValue(), 2);
    EXPECT_EQ(JSONValue(2.5).intValue(), std::nullopt);
    EXPECT_EQ(JSONValue(9223372036854775808.0).intValue(), std::nullopt);
    EXPECT_EQ(JSONValue("x").intValue(), std::nullopt);
    EXPECT_EQ(JSONValue(1).boolValue(), std::nullopt);
}

TEST(JSONValue, ParsesWhatItWrites)
{
    for (const char* text :
        { "{\"a\":[1,2.5,-3,true,null,\"\\u00e9\\n\"],\"b\":{}}", "[]", "\"x\"", "-0.125", "1e-05" }) {
        SCOPED_TRACE(text);
        JSONValue value = JSONValue::parse(text);
        EXPECT_EQ(JSONValue::parse(value.canonicalString()), value);
    }
    EXPECT_EQ(JSONValue::parse("18446744073709551615"), JSONValue(18446744073709551615.0));
    EXPECT_EQ(JSONValue::parse(" {\"k\":1,\"k\":2} "), JSONValue(JSONValue::Object { { "k", 2 } }));
}

TEST(JSONValue, RefusesWhatIsNotJSON)
{
    for (const char* text : { "", "{", "[1,]", "{'a':1}", "nul", "1 2", "\"\xFF\"", "NaN" }) {
        SCOPED_TRACE(text);
        EXPECT_THROW(JSONValue::parse(text), JSONError);
    }
    std::string deep(JSONValue::maximumDepth + 1, '[');
    EXPECT_THROW(JSONValue::parse(deep + std::string(JSONValue::maximumDepth + 1, ']')), JSONError);
    EXPECT_NO_THROW(JSONValue::parse(std::string(10, '[') + std::string(10, ']')));
}

} // namespace
} // namespace quorvane
