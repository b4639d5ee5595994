#include "RPC/RPCCodec.h"

#include "Command/CommandOutput.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "JSON/JSONValue.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(RPCCodec, EncodesMembersInDeclaredOrderWithOneLineFeed)
{
    EXPECT_EQ(RPCCodec::encodeLine(RPCRequest { "id-1", { "tile", "a\nb", "--json" } }),
        "{\"id\":\"id-1\",\"arguments\":[\"tile\",\"a\\nb\",\"--json\"]}\n");
    EXPECT_EQ(RPCCodec::encodeLine(RPCResponse { "i", 0, "ok", "{\"pong\":true}" }),
        "{\"id\":\"i\",\"exitCode\":0,\"message\":\"ok\",\"payload\":\"{\\\"pong\\\":true}\"}\n");
    EXPECT_THROW(RPCCodec::encodeLine(RPCRequest { "i", { "\xFF" } }), JSONError);
}

TEST(RPCCodec, ResponseFromOutputCarriesTheCanonicalPayload)
{
    CommandOutput output { 5, "No app named x.", JSONValue::Object { { "code", "not_found" } } };
    EXPECT_EQ(RPCResponse("r", output), (RPCResponse { "r", 5, "No app named x.", "{\"code\":\"not_found\"}" }));
}

TEST(RPCCodec, DecodesMembersInAnyOrderAndIgnoresExtras)
{
    EXPECT_EQ(RPCCodec::decodeRequest("{\"arguments\":[\"ping\"],\"extra\":{},\"id\":\"x\"}"),
        (RPCRequest { "x", { "ping" } }));
    EXPECT_EQ(RPCCodec::decodeResponse("{\"payload\":\"{}\",\"message\":\"\",\"exitCode\":-4294967296,\"id\":\"\"}"),
        (RPCResponse { "", -4294967296, "", "{}" }));
    EXPECT_EQ(
        RPCCodec::decodeResponse("{\"id\":\"\",\"exitCode\":3.0,\"message\":\"m\",\"payload\":\"{}\"}").exitCode, 3);
}

TEST(RPCCodec, RefusesMissingOrMistypedMembers)
{
    for (const char* line : { "{\"arguments\":[]}", "{\"id\":1,\"arguments\":[]}",
             "{\"id\":\"x\",\"arguments\":\"ping\"}", "{\"id\":\"x\",\"arguments\":[1]}", "[]" })
        EXPECT_THROW(RPCCodec::decodeRequest(line), JSONError) << line;
    for (const char* line : { "{\"id\":\"x\",\"message\":\"m\",\"payload\":\"{}\"}",
             "{\"id\":\"x\",\"exitCode\":\"0\",\"message\":\"m\",\"payload\":\"{}\"}",
             "{\"id\":\"x\",\"exitCode\":0.5,\"message\":\"m\",\"payload\":\"{}\"}",
             "{\"id\":\"x\",\"exitCode\":0,\"message\":\"m\",\"payload\":{}}" })
        EXPECT_THROW(RPCCodec::decodeResponse(line), JSONError) << line;
}

TEST(RPCCodec, RoundTrips)
{
    auto withoutLineFeed = [](const std::string& line) { return std::string_view(line).substr(0, line.size() - 1); };
    RPCRequest request { "3F2504E0-4F89-11D3-9A0C-0305E82C3301",
        { "app", "add", "https://x.example/?a=\"1\"", "\xC3\xA9", "" } };
    EXPECT_EQ(RPCCodec::decodeRequest(withoutLineFeed(RPCCodec::encodeLine(request))), request);
    RPCResponse response { "id", 8, "two\nlines\t\x01", "{\"a\":[1]}" };
    EXPECT_EQ(RPCCodec::decodeResponse(withoutLineFeed(RPCCodec::encodeLine(response))), response);
}

} // namespace
} // namespace quorvane
