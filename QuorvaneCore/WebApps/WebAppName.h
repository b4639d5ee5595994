#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct WebAppRecord;

// A web app's name is also its bundle's file name. Every path built from a name, and every bundle path a
// writer or remover is handed, goes through these checks so that no name can reach outside the web-apps folder.
namespace WebAppName {

// True for a name that is not empty, has no "/" and no control character, and does not begin with ".".
bool isSafe(std::string_view name);

// Throws a usage error for a name that `isSafe` refuses.
void requireSafe(std::string_view name);

// The longest name in UTF-8 bytes whose bundle folder (name + ".app") fits in one file name of the file
// system that holds `folder`, or would hold it once created.
size_t maximumLength(std::string_view folder);

// Throws unless `name` may name a web app among `apps`: safe, at most `longest` UTF-8 bytes, not another app's
// name (case and Unicode form aside) and, for a new app, not slugged as another app is. `renaming` is the slug of
// the app being renamed, which keeps its slug, or empty for a new app.
void requireAvailable(
    std::string_view name, size_t longest, const std::vector<WebAppRecord>& apps, std::string_view renaming = {});

// `folder` joined with `name` + ".app"; throws a usage error for an unsafe name.
std::string bundlePath(std::string_view folder, std::string_view name);

// Throws a usage error unless the last part of `bundlePath` is a safe name + ".app" and no part is "." or "..".
void requireSafeBundlePath(std::string_view bundlePath);

} // namespace WebAppName

} // namespace quorvane
