// Any bytes either decode or fail with a JSON error; whatever decodes re-encodes to a line that
// decodes to the same record.
#include "JSON/JSONValue.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

template<typename Record, typename Decode> void checkStable(std::string_view line, Decode decode)
{
    Record record;
    try {
        record = decode(line);
    } catch (const quorvane::JSONError&) {
        return;
    }
    std::string encoded = quorvane::RPCCodec::encodeLine(record);
    if (encoded.find('\n') != encoded.size() - 1)
        std::abort();
    if (!(decode(std::string_view(encoded).substr(0, encoded.size() - 1)) == record))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view line(reinterpret_cast<const char*>(data), size);
    checkStable<quorvane::RPCRequest>(line, quorvane::RPCCodec::decodeRequest);
    checkStable<quorvane::RPCResponse>(line, quorvane::RPCCodec::decodeResponse);
    try {
        quorvane::JSONValue value = quorvane::JSONValue::parse(line);
        if (!(quorvane::JSONValue::parse(value.canonicalString()).canonicalString() == value.canonicalString()))
            std::abort();
    } catch (const quorvane::JSONError&) {
    }
    return 0;
}
