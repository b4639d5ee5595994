#pragma once

namespace quorvane {

struct QuorvaneConfig;
struct TOMLDocument;

// Reads a config document into the typed configuration.
namespace ConfigDecoder {

// Never fails: missing keys and values of the wrong type give the defaults, unusable tables are skipped.
QuorvaneConfig decode(const TOMLDocument& document);

} // namespace ConfigDecoder

} // namespace quorvane
